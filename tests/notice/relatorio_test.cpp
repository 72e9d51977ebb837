// The renderer's pieces: display formats, text anchoring, hidden groups, copies and the
// print dialog's API.

#include "Apoio.h"
#include "Pdf.h"

#include "notera/report/Relatorio.h"
#include "notera/report/qt/DialogoImpressao.h"
#include "notera/report/qt/ImpressaoQt.h"

#include <QPrinter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct CasoFormato {
    double valor;
    const char* formato;
    const char* texto;
};

class Formato : public ::testing::TestWithParam<CasoFormato> {};

TEST_P(Formato, FormataNumero) {
    const auto& c = GetParam();
    EXPECT_EQ(report::Valor::formataNumero(c.valor, c.formato), c.texto);
}

INSTANTIATE_TEST_SUITE_P(
    Relatorio, Formato,
    ::testing::Values(CasoFormato{1500, "#,0.00;-#,0.00", "1.500,00"},
                      CasoFormato{-1234567.891, "#,0.00;-#,0.00", "-1.234.567,89"},
                      CasoFormato{0, "#,0.00;-#,0.00", "0,00"},
                      CasoFormato{-0.001, "#,0.00;-#,0.00", "0,00"},
                      CasoFormato{0.5, "#,0.00", "0,50"}, CasoFormato{1.005, "#,0.00", "1,01"},
                      CasoFormato{999999.995, "#,0.00", "1.000.000,00"},
                      CasoFormato{-7.5, "#,0.00", "-7,50"}, CasoFormato{1234.5, "#0.00", "1234,50"},
                      CasoFormato{12.5, "R$ #,0.0#", "R$ 12,5"}, CasoFormato{42, "", "42"},
                      CasoFormato{-42, "", "-42"}));

// A report with an anchored text of each alignment and a hidden group.
struct Fixture {
    apoio::DirTemp dir;
    QString arquivo = QString::fromStdString(dir / "r.pdf");
    report::Relatorio r;
    Fixture() {
        auto& banda = r.cabecalho.elementos;
        auto texto = [&](report::Regiao& onde, const char* nome, const char* t, report::Caixa c,
                         report::Alinhamento a) -> report::Rotulo& {
            auto& e = onde.adiciona<report::Rotulo>(nome, c);
            e.texto = t;
            e.alinhamento = a;
            return e;
        };
        texto(banda, "esq", "ESQUERDA", {10, 10, 5, 4}, report::Alinhamento::Esquerda);
        texto(banda, "dir", "DIREITA", {10, 20, 5, 4}, report::Alinhamento::Direita);
        texto(banda, "cen", "CENTRO", {10, 30, 5, 4}, report::Alinhamento::Centro);
        auto& grupo = banda.adiciona<report::Regiao>("grupo", report::Caixa{0, 50, 100, 20});
        texto(grupo, "oculto", "OCULTO", {10, 60, 50, 4}, report::Alinhamento::Esquerda);
    }
    pdf::Documento imprime(int copias) {
        QPrinter p(QPrinter::HighResolution);
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(arquivo);
        report::configura(r, p, copias);
        report::imprimeEm(r, p);
        return pdf::le(arquivo);
    }
};

TEST(Relatorio, TextoAjustadoFicaPresoAoAlinhamento) {
    Fixture f;
    const auto doc = f.imprime(1);
    const double m = 6.35;
    auto um = [&](const char* t) {
        auto v = pdf::procura(doc, QString::fromUtf8(t));
        EXPECT_EQ(v.size(), 1u) << t;
        return v.empty() ? pdf::Caixa{} : v.front();
    };
    EXPECT_NEAR(um("ESQUERDA").x0, m + 10, 0.2);
    EXPECT_NEAR(um("DIREITA").x1, m + 15, 0.2);
    const auto c = um("CENTRO");
    EXPECT_NEAR((c.x0 + c.x1) / 2, m + 12.5, 0.2);
    EXPECT_GT(c.x1 - c.x0, 5); // wider than its design box: not clipped
    EXPECT_EQ(pdf::procura(doc, QStringLiteral("OCULTO")).size(), 1u);
}

TEST(Relatorio, TextoFixoLongoCortadoNaCaixa) {
    // A company name of 5,000 characters, with control characters among its words.
    QString nome;
    for (int i = 0; nome.size() < 5000; ++i)
        nome += QStringLiteral("EMPRESA%1%2").arg(i).arg(i % 7 == 0 ? "\r\n\t" : " ");
    apoio::DirTemp dir;
    const QString arquivo = QString::fromStdString(dir / "r.pdf");
    report::Relatorio r;
    auto& e =
        r.cabecalho.elementos.adiciona<report::Rotulo>("ppLb_Emp11", report::Caixa{10, 10, 60, 4});
    e.texto = nome.toStdString();
    e.fixo = true;
    QPrinter p(QPrinter::HighResolution);
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setOutputFileName(arquivo);
    report::configura(r, p, 1);
    report::imprimeEm(r, p);
    const auto doc = pdf::le(arquivo);
    const double m = 6.35;
    ASSERT_FALSE(doc.palavras.empty());
    EXPECT_EQ(doc.palavras.front().texto, "EMPRESA0");
    EXPECT_NEAR(doc.palavras.front().caixa.x0, m + 10, 0.2);
    double direita = 0;
    for (const auto& w : doc.palavras)
        direita = std::max(direita, w.caixa.x1);
    EXPECT_LE(direita, m + 70 + 0.1);
    EXPECT_LT(doc.palavras.size(), 20u); // the rest of the name is not in the file at all
    EXPECT_TRUE(doc.palavras.back().texto.endsWith(QChar(0x2026)))
        << doc.palavras.back().texto.toStdString();
}

TEST(Relatorio, RegiaoOcultaNaoImprime) {
    Fixture f;
    f.r.em<report::Regiao>("grupo").visivel = false;
    const auto doc = f.imprime(1);
    EXPECT_EQ(pdf::procura(doc, QStringLiteral("OCULTO")).size(), 0u);
    EXPECT_EQ(pdf::procura(doc, QStringLiteral("ESQUERDA")).size(), 1u);
}

TEST(Relatorio, GanchoAntesDaBandaECopias) {
    Fixture f;
    int vezes = 0;
    f.r.cabecalho.antesDeImprimir = [&] {
        ++vezes;
        f.r.em<report::Rotulo>("esq").texto = QStringLiteral("COPIA%1").arg(vezes).toStdString();
    };
    const auto doc = f.imprime(2);
    EXPECT_EQ(doc.paginas, 2);
    EXPECT_EQ(vezes, 2);
    EXPECT_EQ(pdf::procura(doc, QStringLiteral("COPIA1"), 1).size(), 1u);
    EXPECT_EQ(pdf::procura(doc, QStringLiteral("COPIA2"), 2).size(), 1u);
}

TEST(Relatorio, ElementoDesconhecidoEhErro) {
    Fixture f;
    EXPECT_THROW(f.r.em<report::Rotulo>("nada"), report::Erro);
    EXPECT_THROW(f.r.em<report::Memo>("esq"), report::Erro);
}

TEST(DialogoImpressao, PropriedadesDeQuemResponde) {
    report::DialogoImpressao d;
    EXPECT_EQ(d.objectName(), QStringLiteral("DialogoImpressao"));
    EXPECT_TRUE(d.setProperty("arquivoPdf", QStringLiteral("/tmp/x.pdf")));
    EXPECT_TRUE(d.setProperty("copias", 3));
    EXPECT_TRUE(d.property("saidaPdf").toBool());
    EXPECT_EQ(d.property("impressora").toString(), QString());
    EXPECT_EQ(d.arquivoPdf(), QStringLiteral("/tmp/x.pdf"));
    EXPECT_EQ(d.copias(), 3);
    QPrinter p;
    d.aplicaEm(p);
    EXPECT_EQ(p.outputFormat(), QPrinter::PdfFormat);
    EXPECT_EQ(p.outputFileName(), QStringLiteral("/tmp/x.pdf"));
}

TEST(DialogoImpressao, PdfSemArquivoNaoImprime) {
    report::DialogoImpressao d;
    d.defineArquivoPdf(QString());
    auto* ok = d.findChild<QWidget*>(QStringLiteral("BtImprimir"));
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(ok->isEnabled());
    d.defineArquivoPdf(QStringLiteral("a.pdf"));
    EXPECT_TRUE(ok->isEnabled());
}

} // namespace
