// The notice's layout without Qt: a canvas that records what it is asked to draw and measures
// every character alike, so the boxes the layout computes can be checked to the micrometre.

#include "Apoio.h"

#include "base/Texto.h"
#include "notera/core/Execucao.h"
#include "notera/core/Transferencia.h"
#include "notera/notice/AvisoAL.h"

#include "tests/support/RespostasSimples.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace {

using report::Alinhamento;
using report::Caixa;

struct Desenhado {
    char tipo; // 'T' text, 'L' line, 'R' rectangle, 'I' image, 'P' new page
    Caixa caixa;
    std::string texto; // the text, or an image's bytes
    report::Fonte fonte;
    Alinhamento alinhamento = Alinhamento::Esquerda;
    std::optional<Caixa> recorte;
};

// 0.2 mm a point for each character (0.25 bold); a line is 0.4 mm a point.
class TelaGravada : public report::Tela {
public:
    std::vector<Desenhado> feitos;

    double largura(std::string_view t, const report::Fonte& f) override {
        return static_cast<double>(base::caracteres(t)) * f.tamanhoPt * (f.negrito ? 0.25 : 0.2);
    }
    double entrelinha(const report::Fonte& f) override { return f.tamanhoPt * 0.4; }
    void texto(const Caixa& c, std::string_view t, const report::Fonte& f, Alinhamento a,
               const Caixa* recorte) override {
        feitos.push_back({'T', c, std::string(t), f, a,
                          recorte ? std::optional<Caixa>(*recorte) : std::nullopt});
    }
    void linha(double x0, double y0, double x1, double y1, double) override {
        feitos.push_back({'L', {x0, y0, x1 - x0, y1 - y0}, {}, {}, {}, {}});
    }
    void retangulo(const Caixa& c, double) override { feitos.push_back({'R', c, {}, {}, {}, {}}); }
    void imagem(const Caixa& c, std::string_view bytes) override {
        feitos.push_back({'I', c, std::string(bytes), {}, {}, {}});
    }
    void novaPagina() override { feitos.push_back({'P', {}, {}, {}, {}, {}}); }

    std::vector<Desenhado> textos(const std::string& t) const {
        std::vector<Desenhado> r;
        for (const auto& f : feitos)
            if (f.tipo == 'T' && f.texto == t) r.push_back(f);
        return r;
    }
};

constexpr double M = 6.35; // margins, left and top

// The destination (1, with a logo), the origin (2) and a company without logo (3).
struct Dados {
    apoio::DirTemp dir;
    std::string tabelas = dir / "d/Tabelas";
    Dados() {
        auto r =
            apoio::executa({apoio::binario("notera-dados"), "criar", dir / "d", "1", "2", "3"});
        EXPECT_EQ(r.saida, 0) << r.err;
        r = apoio::executa(
            {"/usr/bin/sqlite3", tabelas + "/tabelas.sqlite",
             "INSERT INTO TbEmp (cod_emp, nom_emp, end_emp, nro_emp, fon_emp, fax_emp, cep_emp, "
             "cid_emp, uf_emp, imag_emp) VALUES "
             "(1, 'DESTINO COMERCIO LTDA', 'RUA DAS FLORES', '100', '1', '2', '01000-000', "
             "'SAO PAULO', 'SP', X'89504E470D0A'), "
             "(2, 'ORIGEM INDUSTRIA SA', 'AV. BRASIL', '2000', '', '', '20000-000', 'RIO', 'RJ', "
             "NULL), (3, 'SEM LOGO LTDA', 'RUA B', '3', '', '', '3', 'BH', 'MG', NULL)"});
        EXPECT_EQ(r.saida, 0) << r.err;
    }
};

// The printing service drawing on the recording canvas, or failing as a printer does.
class ImpressaoGravada : public report::Impressao {
public:
    TelaGravada tela;
    std::vector<int> pedidos; // copies asked for, one per dialog
    std::optional<std::string> falha;
    bool imprime(report::Relatorio& r, int copias) override {
        pedidos.push_back(copias);
        if (falha) throw report::Erro(*falha);
        r.desenha(tela, copias);
        return true;
    }
};

struct Aviso {
    Dados dados;
    std::vector<std::string> vistas;
    notera::Execucao ex;
    notera::DadosTransferencia t;
    explicit Aviso(std::vector<int> respostas, std::int64_t centavos = 150000, int destino = 1)
        : ex(notera::ServicosHost(nullptr, nullptr, nullptr),
             std::make_unique<apoio::RespostasSimples>(std::move(respostas), vistas)) {
        ex.DirTabelas = dados.tabelas;
        ex.TabPadroes.QTbEmp.defineDiretorio(dados.tabelas);
        ex.TabPadroes.QTbEmp.abre();
        ex.RefPagamentos = "PAG 2024/03";
        ex.DataMovimento = base::Data{2024, 3, 15}.emDiasDelphi();
        t.CodEmpresa = 2;
        t.CodEmpDestino = destino;
        t.Valor = base::Dinheiro::deDezMilesimos(centavos * 100);
        t.HistVar1 = "TRANSFERENCIA MENSAL";
    }
    ImpressaoGravada imprime(std::optional<std::string> falha = {}) {
        ImpressaoGravada impressao;
        impressao.falha = std::move(falha);
        notera::ImprimeAviso(ex, t, 42, impressao);
        return impressao;
    }
};

void confereCaixa(const Caixa& viu, const Caixa& quer) {
    EXPECT_NEAR(viu.esquerda, quer.esquerda, 1e-9);
    EXPECT_NEAR(viu.topo, quer.topo, 1e-9);
    EXPECT_NEAR(viu.largura, quer.largura, 1e-9);
    EXPECT_NEAR(viu.altura, quer.altura, 1e-9);
}

// Texts of both copies. A fixed one keeps its design box and is clipped to it; the others
// take the measured width where their alignment anchors them, unclipped.
struct CasoTexto {
    const char* texto;
    Caixa caixa, caixa2; // design boxes in the band, upper and lower copy
    Alinhamento alinhamento;
    bool fixo, negrito;
};

const CasoTexto Textos[] = {
    {"Número:",
     {163.619, 8.890, 13.970, 4.022},
     {164.254, 115.570, 13.970, 4.022},
     Alinhamento::Esquerda,
     false,
     true},
    {"42",
     {178.435, 8.890, 12.700, 4.022},
     {177.165, 115.570, 14.605, 4.022},
     Alinhamento::Direita,
     false,
     true},
    {"AVISO DE LANÇAMENTO",
     {33.443, 8.890, 127.424, 4.022},
     {34.078, 115.570, 127.424, 4.022},
     Alinhamento::Centro,
     true,
     true},
    {"1.500,00",
     {166.370, 57.362, 25.612, 4.022},
     {167.005, 164.042, 25.612, 4.022},
     Alinhamento::Direita,
     true,
     false},
    {"15/03/2024",
     {165.312, 91.864, 12.277, 4.022},
     {165.735, 198.332, 12.277, 4.022},
     Alinhamento::Esquerda,
     false,
     false},
    {"DESTINO COMERCIO LTDA",
     {4.445, 19.262, 156.210, 4.064},
     {5.080, 125.942, 156.210, 4.022},
     Alinhamento::Esquerda,
     true,
     false},
};

TEST(AvisoTela, TextosNasCaixasDasDuasVias) {
    Aviso a({0, 0}); // print, two copies
    const auto impressao = a.imprime();
    EXPECT_EQ(impressao.pedidos, std::vector<int>{1});
    TelaGravada medida;
    for (const auto& c : Textos) {
        SCOPED_TRACE(c.texto);
        const auto achados = impressao.tela.textos(c.texto);
        ASSERT_EQ(achados.size(), 2u);
        report::Fonte fonte;
        fonte.negrito = c.negrito;
        const double largura = medida.largura(c.texto, fonte);
        for (int via = 0; via < 2; ++via) {
            const auto& viu = achados[static_cast<std::size_t>(via)];
            const Caixa& d = via == 0 ? c.caixa : c.caixa2;
            Caixa quer{M + d.esquerda, M + d.topo, d.largura, d.altura};
            if (!c.fixo) {
                if (c.alinhamento == Alinhamento::Direita)
                    quer.esquerda += d.largura - largura;
                else if (c.alinhamento == Alinhamento::Centro)
                    quer.esquerda += (d.largura - largura) / 2;
                quer.largura = largura;
            }
            confereCaixa(viu.caixa, quer);
            EXPECT_EQ(viu.alinhamento, c.alinhamento);
            EXPECT_EQ(viu.fonte.negrito, c.negrito);
            EXPECT_EQ(viu.fonte.familia, "Times New Roman");
            EXPECT_EQ(viu.fonte.tamanhoPt, 10);
            ASSERT_EQ(viu.recorte.has_value(), c.fixo);
            if (c.fixo) confereCaixa(*viu.recorte, quer);
        }
    }
}

TEST(AvisoTela, TextoFixoLongoCortadoComReticencias) {
    report::Relatorio r;
    auto& e = r.cabecalho.elementos.adiciona<report::Rotulo>("nome", Caixa{4.445, 19.262, 31, 4});
    e.fixo = true;
    e.texto = "AÇÚCAR E ÁLCOOL\r\nDO NORDESTE LTDA"; // 33 characters, 66 mm
    TelaGravada tela;
    r.desenha(tela);
    ASSERT_EQ(tela.feitos.size(), 1u);
    // As many characters as fit with the ellipsis, cut between characters, not bytes.
    EXPECT_EQ(tela.feitos[0].texto, "AÇÚCAR E ÁLCOO…");
    e.texto = "ÁLCOOL\r\nLTDA"; // fits: printed whole, its line break as blanks
    tela.feitos.clear();
    r.desenha(tela);
    ASSERT_EQ(tela.feitos.size(), 1u);
    EXPECT_EQ(tela.feitos[0].texto, "ÁLCOOL  LTDA");
}

TEST(AvisoTela, HistoricoQuebraNaLarguraDoMemo) {
    Aviso a({0, 1}, 123456789); // 1.234.567,89: the words take two lines
    const auto impressao = a.imprime();
    const Caixa memo{M + 4.868, M + 52.917, 155.152, 30.903};
    std::vector<Desenhado> linhas;
    for (const auto& f : impressao.tela.feitos)
        if (f.recorte && f.recorte->topo == memo.topo && f.recorte->esquerda == memo.esquerda)
            linhas.push_back(f);
    ASSERT_EQ(linhas.size(), 3u);
    EXPECT_EQ(linhas[0].texto, "REF. PAGAMENTOS: PAG 2024/03 - TRANSFERENCIA MENSAL");
    const std::string extenso = "(UM MILHAO, DUZENTOS E TRINTA E QUATRO MIL, QUINHENTOS E "
                                "SESSENTA E SETE REAIS E OITENTA E NOVE CENTAVOS)";
    EXPECT_EQ(linhas[1].texto + ' ' + linhas[2].texto, extenso);
    TelaGravada medida;
    const report::Fonte fonte;
    // The first line of the words is as long as the box allows: its next word does not fit.
    const std::string seguinte = linhas[2].texto.substr(0, linhas[2].texto.find(' '));
    EXPECT_LE(medida.largura(linhas[1].texto, fonte), memo.largura);
    EXPECT_GT(medida.largura(linhas[1].texto + ' ' + seguinte, fonte), memo.largura);
    for (std::size_t i = 0; i < linhas.size(); ++i) {
        SCOPED_TRACE(i);
        confereCaixa(*linhas[i].recorte, memo);
        EXPECT_NEAR(linhas[i].caixa.topo, memo.topo + static_cast<double>(i) * 4.0, 1e-9);
        EXPECT_EQ(linhas[i].caixa.esquerda, memo.esquerda);
    }
}

// One copy draws nothing of the lower one; the logo is the destination's, when it has one.
struct CasoVias {
    const char* nome;
    int duasVias; // the answer: 0 yes, 1 no
    int destino;
    std::size_t imagens;
};

class Vias : public ::testing::TestWithParam<CasoVias> {};

TEST_P(Vias, RegiaoOcultaNaoDesenha) {
    const auto& c = GetParam();
    Aviso a({0, c.duasVias}, 150000, c.destino);
    const auto impressao = a.imprime();
    const double limite = M + 106.892;
    std::size_t acima = 0, abaixo = 0, imagens = 0;
    for (const auto& f : impressao.tela.feitos) {
        (f.caixa.topo < limite ? acima : abaixo) += 1;
        if (f.tipo == 'I') {
            ++imagens;
            EXPECT_EQ(f.texto, std::string("\x89PNG\r\n"));
        }
    }
    EXPECT_GT(acima, 25u);
    EXPECT_EQ(abaixo, c.duasVias == 0 ? acima : 0u);
    EXPECT_EQ(imagens, c.imagens);
}

INSTANTIATE_TEST_SUITE_P(AvisoTela, Vias,
                         ::testing::Values(CasoVias{"UmaVia", 1, 1, 1},
                                           CasoVias{"DuasVias", 0, 1, 2},
                                           CasoVias{"SemLogotipo", 0, 3, 0}),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST(AvisoTela, FalhaDaImpressoraMostrada) {
    Aviso a({0, 1, 0});
    const auto impressao = a.imprime("impressora desligada");
    EXPECT_EQ(impressao.pedidos, std::vector<int>{1});
    ASSERT_EQ(a.vistas.size(), 3u);
    EXPECT_EQ(a.vistas[2], "impressora desligada");
}

} // namespace
