#include "TelaQt.h"

#include "notera/report/Relatorio.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>

namespace report {

namespace {

QString qs(std::string_view t) {
    return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
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

} // namespace

QString familiaSerifada() {
    static const QString times = QStringLiteral("Times New Roman");
    static const bool instalada = QFontDatabase::families().contains(times);
    return instalada ? times : QStringLiteral("Liberation Serif");
}

TelaQt::TelaQt(QPainter& p, QPaintDevice& dispositivo)
    : p_(p), dispositivo_(dispositivo), pontosPorMm_(dispositivo.logicalDpiX() / 25.4) {
    p_.setRenderHint(QPainter::Antialiasing);
    p_.setBackgroundMode(Qt::TransparentMode);
}

QFont TelaQt::fonteQt(const Fonte& fonte) const {
    const QString familia = qs(fonte.familia);
    QFont f(familia == QLatin1String("Times New Roman") ? familiaSerifada() : familia);
    f.setPointSizeF(fonte.tamanhoPt);
    f.setBold(fonte.negrito);
    return QFont(f, &dispositivo_);
}

QRectF TelaQt::emPontos(const Caixa& c) const {
    return {c.esquerda * pontosPorMm_, c.topo * pontosPorMm_, c.largura * pontosPorMm_,
            c.altura * pontosPorMm_};
}

QPen TelaQt::caneta(double espessura) const {
    QPen c(Qt::black, espessura * pontosPorMm_);
    c.setCapStyle(Qt::FlatCap);
    c.setJoinStyle(Qt::MiterJoin);
    return c;
}

double TelaQt::largura(std::string_view texto, const Fonte& fonte) {
    return QFontMetricsF(fonteQt(fonte), &dispositivo_).horizontalAdvance(qs(texto)) / pontosPorMm_;
}

double TelaQt::entrelinha(const Fonte& fonte) {
    return QFontMetricsF(fonteQt(fonte), &dispositivo_).lineSpacing() / pontosPorMm_;
}

void TelaQt::texto(const Caixa& caixa, std::string_view texto, const Fonte& fonte,
                   Alinhamento alinhamento, const Caixa* recorte) {
    p_.save();
    p_.setFont(fonteQt(fonte));
    p_.setPen(Qt::black);
    if (recorte) p_.setClipRect(emPontos(*recorte), Qt::IntersectClip);
    p_.drawText(emPontos(caixa),
                static_cast<int>(alinhamentoQt(alinhamento) | Qt::AlignTop) | Qt::TextSingleLine |
                    Qt::TextDontClip,
                qs(texto));
    p_.restore();
}

void TelaQt::linha(double x0, double y0, double x1, double y1, double espessura) {
    p_.setPen(caneta(espessura));
    p_.drawLine(QPointF(x0 * pontosPorMm_, y0 * pontosPorMm_),
                QPointF(x1 * pontosPorMm_, y1 * pontosPorMm_));
}

void TelaQt::retangulo(const Caixa& caixa, double espessura) {
    p_.setPen(caneta(espessura));
    p_.setBrush(Qt::NoBrush);
    p_.drawRect(emPontos(caixa));
}

void TelaQt::imagem(const Caixa& caixa, std::string_view bytes) {
    QImage imagem;
    if (!imagem.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                             static_cast<int>(bytes.size())))
        return;
    p_.drawImage(emPontos(caixa), imagem);
}

void TelaQt::novaPagina() {
    auto* paginado = dynamic_cast<QPagedPaintDevice*>(&dispositivo_);
    if (!paginado || !paginado->newPage()) throw Erro("the printer refused a new page");
}

} // namespace report
