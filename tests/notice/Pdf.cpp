#include "Pdf.h"

#include "Apoio.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace pdf {

namespace {

constexpr double MmPorPonto = 25.4 / 72.0;

QString desescapa(QString t) {
    t.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"));
    t.replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"));
    return t.replace(QLatin1String("&amp;"), QLatin1String("&"));
}

} // namespace

Documento le(const QString& arquivo) {
    Documento d;
    auto r = apoio::executa({"/usr/bin/pdftotext", "-bbox", arquivo.toStdString(), "-"});
    EXPECT_EQ(r.saida, 0) << r.err;
    const QString html = QString::fromStdString(r.out);
    static const QRegularExpression pagina(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression palavra(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    static const QRegularExpression qualquer(pagina.pattern() + '|' + palavra.pattern());
    for (auto it = qualquer.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            if (++d.paginas == 1) {
                d.largura = m.captured(1).toDouble() * MmPorPonto;
                d.altura = m.captured(2).toDouble() * MmPorPonto;
            }
            continue;
        }
        d.palavras.push_back(
            {desescapa(m.captured(7)),
             {m.captured(3).toDouble() * MmPorPonto, m.captured(4).toDouble() * MmPorPonto,
              m.captured(5).toDouble() * MmPorPonto, m.captured(6).toDouble() * MmPorPonto},
             d.paginas});
    }
    return d;
}

std::vector<Caixa> procura(const Documento& d, const QString& frase, int pagina) {
    const QStringList partes = frase.split(QLatin1Char(' '));
    std::vector<Caixa> achadas;
    const auto& p = d.palavras;
    for (std::size_t i = 0; i + partes.size() <= p.size(); ++i) {
        bool igual = pagina == 0 || p[i].pagina == pagina;
        for (qsizetype k = 0; igual && k < partes.size(); ++k)
            igual = p[i + k].texto == partes[k] && p[i + k].pagina == p[i].pagina;
        if (!igual) continue;
        Caixa c = p[i].caixa;
        for (qsizetype k = 1; k < partes.size(); ++k) {
            const Caixa& o = p[i + k].caixa;
            c = {std::min(c.x0, o.x0), std::min(c.y0, o.y0), std::max(c.x1, o.x1),
                 std::max(c.y1, o.y1)};
        }
        achadas.push_back(c);
    }
    return achadas;
}

QImage rasteriza(const QString& arquivo, int pagina) {
    QTemporaryDir dir;
    const QString prefixo = dir.filePath(QStringLiteral("pagina"));
    const std::string n = std::to_string(pagina);
    auto r = apoio::executa({"/usr/bin/pdftoppm", "-r", "254", "-png", "-f", n, "-l", n,
                             "-singlefile", arquivo.toStdString(), prefixo.toStdString()});
    EXPECT_EQ(r.saida, 0) << r.err;
    QImage img(prefixo + QStringLiteral(".png"));
    EXPECT_FALSE(img.isNull());
    return img.convertToFormat(QImage::Format_RGB32);
}

QString titulo(const QString& arquivo) {
    auto r = apoio::executa({"/usr/bin/pdfinfo", arquivo.toStdString()});
    EXPECT_EQ(r.saida, 0) << r.err;
    for (const QString& l : QString::fromStdString(r.out).split(QLatin1Char('\n')))
        if (l.startsWith(QLatin1String("Title:"))) return l.mid(6).trimmed();
    return {};
}

QStringList fontes(const QString& arquivo) {
    auto r = apoio::executa({"/usr/bin/pdffonts", arquivo.toStdString()});
    EXPECT_EQ(r.saida, 0) << r.err;
    QStringList nomes;
    const QStringList linhas =
        QString::fromStdString(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < linhas.size(); ++i) // two header lines
        nomes << linhas[i].section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    return nomes;
}

} // namespace pdf
