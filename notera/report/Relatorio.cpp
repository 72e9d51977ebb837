#include "Relatorio.h"

#include "DialogoImpressao.h"
#include "base/Money.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

#include <cmath>

namespace report {

namespace {

constexpr double EspessuraLinhaPt = 0.75;

double espessura(const Pintor& pintor) {
    return pintor.x(EspessuraLinhaPt * 25.4 / 72.0);
}

QRectF retangulo(const Pintor& pintor, const Caixa& c) {
    return {pintor.x(c.esquerda), pintor.x(c.topo), pintor.x(c.largura), pintor.x(c.altura)};
}

QFont fonte(const Pintor& pintor, double tamanhoPt, bool negrito) {
    QFont f(familiaSerifada());
    f.setPointSizeF(tamanhoPt);
    f.setBold(negrito);
    return QFont(f, &pintor.dispositivo);
}

QPen caneta(const Pintor& pintor) {
    QPen c(Qt::black, espessura(pintor));
    c.setCapStyle(Qt::FlatCap);
    c.setJoinStyle(Qt::MiterJoin);
    return c;
}

Qt::Alignment alinhamentoQt(Alinhamento a) {
    switch (a) {
    case Alinhamento::Centro:
        return Qt::AlignHCenter;
    case Alinhamento::Direita:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

void desenhaTodos(const std::vector<std::unique_ptr<Elemento>>& elementos, const Pintor& pintor) {
    for (const auto& e : elementos)
        if (e->visivel) e->desenha(pintor);
}

Elemento* procura(const std::vector<std::unique_ptr<Elemento>>& elementos, const QString& nome) {
    for (const auto& e : elementos) {
        if (e->nome == nome) return e.get();
        if (auto* r = dynamic_cast<Regiao*>(e.get()))
            if (auto* achado = procura(r->elementos, nome)) return achado;
    }
    return nullptr;
}

} // namespace

QString familiaSerifada() {
    static const QString times = QStringLiteral("Times New Roman");
    return QFontDatabase::families().contains(times) ? times : QStringLiteral("Liberation Serif");
}

void Forma::desenha(const Pintor& pintor) const {
    const double e = espessura(pintor);
    pintor.p.setPen(caneta(pintor));
    pintor.p.setBrush(Qt::NoBrush);
    pintor.p.drawRect(retangulo(pintor, caixa).adjusted(e / 2, e / 2, -e / 2, -e / 2));
}

void Linha::desenha(const Pintor& pintor) const {
    const double e = espessura(pintor);
    const QRectF r = retangulo(pintor, caixa);
    pintor.p.setPen(caneta(pintor));
    if (direcao == Direcao::Horizontal)
        pintor.p.drawLine(QPointF(r.left(), r.bottom() - e / 2),
                          QPointF(r.right(), r.bottom() - e / 2));
    else
        pintor.p.drawLine(QPointF(r.left() + e / 2, r.top()),
                          QPointF(r.left() + e / 2, r.bottom()));
}

void Rotulo::desenha(const Pintor& pintor) const {
    const QFont f = fonte(pintor, tamanhoPt, negrito);
    // One line: control characters from stored texts print as blanks.
    QString t = textoImpresso();
    for (QChar& c : t)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) c = QLatin1Char(' ');
    QRectF r = retangulo(pintor, caixa);
    auto& p = pintor.p;
    p.save();
    p.setFont(f);
    p.setPen(Qt::black);
    if (fixo) {
        // A text wider than its box is cut with an ellipsis inside it, never run past it.
        t = QFontMetricsF(f, &pintor.dispositivo).elidedText(t, Qt::ElideRight, r.width());
        p.setClipRect(r, Qt::IntersectClip);
    } else {
        const double largura = QFontMetricsF(f, &pintor.dispositivo).horizontalAdvance(t);
        const double ancora = alinhamento == Alinhamento::Direita  ? r.right()
                              : alinhamento == Alinhamento::Centro ? r.center().x()
                                                                   : r.left();
        const double esquerda = alinhamento == Alinhamento::Direita  ? ancora - largura
                                : alinhamento == Alinhamento::Centro ? ancora - largura / 2
                                                                     : ancora;
        r = QRectF(esquerda, r.top(), largura, r.height());
    }
    p.drawText(r,
               static_cast<int>(alinhamentoQt(alinhamento) | Qt::AlignTop) | Qt::TextSingleLine |
                   (fixo ? 0 : Qt::TextDontClip),
               t);
    p.restore();
}

namespace {

// One section of a display format applied to a magnitude: literal prefix and suffix, "0"
// digits always shown, "#" digits shown when significant, "," groups thousands.
QString formataSecao(double magnitude, const QString& secao, bool& zero) {
    static const QString simbolos = QStringLiteral("#0,.");
    qsizetype inicio = -1, fim = -1;
    for (qsizetype i = 0; i < secao.size(); ++i)
        if (simbolos.contains(secao[i])) {
            if (inicio < 0) inicio = i;
            fim = i;
        }
    const QString prefixo = inicio < 0 ? secao : secao.left(inicio);
    const QString sufixo = inicio < 0 ? QString() : secao.mid(fim + 1);
    const QString mascara = inicio < 0 ? QString() : secao.mid(inicio, fim - inicio + 1);
    const qsizetype ponto = mascara.indexOf(QLatin1Char('.'));
    const QString inteira = ponto < 0 ? mascara : mascara.left(ponto);
    const QString fracao = ponto < 0 ? QString() : mascara.mid(ponto + 1);
    const int minimoDecimais = static_cast<int>(fracao.count(QLatin1Char('0')));
    const int decimais = minimoDecimais + static_cast<int>(fracao.count(QLatin1Char('#')));
    const int minimoInteiros = static_cast<int>(inteira.count(QLatin1Char('0')));

    const auto n = base::roundScaled(magnitude, decimais);
    if (!n) throw Erro("value out of range for the display format");
    zero = *n == 0;
    const QString digitos = QString::number(*n).rightJustified(decimais + 1, QLatin1Char('0'));
    QString parteInteira = digitos.left(digitos.size() - decimais);
    QString parteFracao = digitos.right(decimais);
    while (parteFracao.size() > minimoDecimais && parteFracao.endsWith(QLatin1Char('0')))
        parteFracao.chop(1);
    if (parteInteira == QLatin1String("0") && minimoInteiros == 0 && !mascara.isEmpty())
        parteInteira.clear();
    parteInteira = parteInteira.rightJustified(minimoInteiros, QLatin1Char('0'));
    if (inteira.contains(QLatin1Char(',')))
        for (qsizetype i = parteInteira.size() - 3; i > 0; i -= 3)
            parteInteira.insert(i, QLatin1Char('.'));
    QString r = prefixo + parteInteira;
    if (!parteFracao.isEmpty()) r += QLatin1Char(',') + parteFracao;
    return r + sufixo;
}

} // namespace

QString Valor::formataNumero(double valor, const QString& formato) {
    if (formato.isEmpty()) {
        const auto n = base::roundScaled(valor, 0);
        if (!n) throw Erro("value out of range for the display format");
        return QString::number(*n);
    }
    // Positive and zero values take the first section; negative ones the second, which
    // writes its own sign, or the first after a "-". A value that rounds to zero is zero.
    const QStringList secoes = formato.split(QLatin1Char(';'));
    bool zero = false;
    const QString positivo = formataSecao(std::fabs(valor), secoes.front(), zero);
    if (valor >= 0 || zero) return positivo;
    if (secoes.size() > 1 && !secoes[1].isEmpty())
        return formataSecao(std::fabs(valor), secoes[1], zero);
    return QLatin1Char('-') + positivo;
}

void Memo::desenha(const Pintor& pintor) const {
    const QRectF r = retangulo(pintor, caixa);
    auto& p = pintor.p;
    p.save();
    p.setFont(fonte(pintor, tamanhoPt, false));
    p.setPen(Qt::black);
    p.setClipRect(r, Qt::IntersectClip);
    p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, linhas.join(QLatin1Char('\n')));
    p.restore();
}

void Imagem::desenha(const Pintor& pintor) const {
    const QByteArray bytes = fonte ? fonte() : QByteArray();
    QImage imagem;
    if (bytes.isEmpty() || !imagem.loadFromData(bytes)) return;
    pintor.p.drawImage(retangulo(pintor, caixa), imagem);
}

void Regiao::desenha(const Pintor& pintor) const {
    desenhaTodos(elementos, pintor);
}

Elemento* Relatorio::elemento(const QString& nome) const {
    return procura(cabecalho.elementos.elementos, nome);
}

void Relatorio::configura(QPrinter& impressora, int copias) const {
    impressora.setDocName(nomeTrabalho);
    // Drawing starts at the paper's corner and places the margins itself, so the layout
    // keeps its measures whatever the printer's own unprintable edges are.
    impressora.setFullPage(true);
    if (!impressora.setPageSize(
            QPageSize(QSizeF(pagina.largura, pagina.altura), QPageSize::Millimeter)) ||
        !impressora.setPageOrientation(QPageLayout::Portrait))
        throw Erro("the printer does not take the report's page size");
    impressora.setCopyCount(copias);
}

void Relatorio::imprimeEm(QPrinter& impressora) {
    if (impressora.outputFormat() == QPrinter::PdfFormat) {
        // The PDF writer does not say why a file cannot be written; the file system does.
        QFile f(impressora.outputFileName());
        if (!f.open(QIODevice::WriteOnly))
            throw Erro(QStringLiteral("Não foi possível criar o arquivo \"%1\": %2")
                           .arg(impressora.outputFileName(), f.errorString())
                           .toStdString());
    }
    const int vezes = impressora.supportsMultipleCopies() ? 1 : impressora.copyCount();
    QPainter p;
    if (!p.begin(&impressora))
        throw Erro(QStringLiteral("Não foi possível iniciar a impressão em \"%1\".")
                       .arg(impressora.outputFileName().isEmpty() ? impressora.printerName()
                                                                  : impressora.outputFileName())
                       .toStdString());
    for (int i = 0; i < vezes; ++i) {
        if (i > 0 && !impressora.newPage()) throw Erro("the printer refused a new page");
        const double porMm = impressora.logicalDpiX() / 25.4;
        p.save();
        p.translate(pagina.margemEsquerda * porMm, pagina.margemSuperior * porMm);
        desenha(p, impressora);
        p.restore();
    }
    if (!p.end() || impressora.printerState() == QPrinter::Error)
        throw Erro("the printer reported an error while printing");
}

void Relatorio::desenha(QPainter& p, QPaintDevice& dispositivo) {
    if (cabecalho.antesDeImprimir) cabecalho.antesDeImprimir();
    const Pintor pintor{p, dispositivo, dispositivo.logicalDpiX() / 25.4};
    p.setRenderHint(QPainter::Antialiasing);
    p.setBackgroundMode(Qt::TransparentMode);
    cabecalho.elementos.desenha(pintor);
}

bool Relatorio::imprime(QWidget* pai) {
    DialogoImpressao dialogo(pai);
    if (dialogo.exec() != QDialog::Accepted) return false;
    QPrinter impressora(QPrinter::HighResolution);
    dialogo.aplicaEm(impressora);
    configura(impressora, dialogo.copias());
    imprimeEm(impressora);
    return true;
}

} // namespace report
