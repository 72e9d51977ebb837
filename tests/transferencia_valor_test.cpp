// The transfer read once from the form's texts, and a company's directories.

#include "notera/core/AmbienteEmpresa.h"
#include "notera/form/TextosTransferencia.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using base::Data;
using base::Dinheiro;
using notera::ChequeTransferencia;
using notera::TextosTransferencia;

Dinheiro dm(std::int64_t n) {
    return Dinheiro::deDezMilesimos(n);
}

// A grid of |colunas| columns: row 0 titles, then the given rows; GradeAux holds the bank
// code "7" and the accounts behind every row.
TextosTransferencia textos(const std::vector<std::vector<const char*>>& linhas, int colunas = 10) {
    TextosTransferencia t;
    t.Valor = std::string("1.500,00");
    const int n = 1 + static_cast<int>(linhas.size());
    t.Cheques.redimensiona(colunas, n);
    t.estado.GradeAux.redimensiona(colunas, n);
    for (int r = 1; r < n; ++r) {
        const auto& l = linhas[static_cast<std::size_t>(r - 1)];
        for (int c = 0; c < colunas && c < static_cast<int>(l.size()); ++c)
            t.Cheques.defineCelula(c, r, std::string(l[static_cast<std::size_t>(c)]));
        t.estado.GradeAux.defineCelula(notera::ColBanco, r, std::string("7"));
        t.estado.GradeAux.defineCelula(notera::ColContaFiscal, r, std::string("1.1.01"));
        t.estado.GradeAux.defineCelula(notera::ColContaGerencial, r, std::string("G1"));
    }
    return t;
}

TEST(LeTransferencia, ValorEHistoricos) {
    TextosTransferencia t = textos({{"  /  /    "}});
    t.estado.CodEmpresa = 2;
    t.estado.CodEmpDestino = 1;
    t.estado.ContaCred1 = std::string("3.1.01");
    t.HistVar1 = std::string("REC");
    t.HistVar2 = std::string("PAG");
    t.HisVarBan = std::string("BAN");
    const auto d = notera::LeTransferencia(t);
    EXPECT_EQ(d.Valor, dm(15000000)); // the thousands point of ValorMonetario
    EXPECT_EQ(d.CodEmpresa, 2);
    EXPECT_EQ(d.CodEmpDestino, 1);
    EXPECT_EQ(d.ContaCred1.texto(), std::string("3.1.01"));
    EXPECT_EQ(d.HistVar1, std::string("REC"));
    EXPECT_EQ(d.HistVar2, std::string("PAG"));
    EXPECT_EQ(d.HisVarBan, std::string("BAN"));
    EXPECT_TRUE(d.Cheques.empty());
}

TEST(LeTransferencia, LinhaDeCheque) {
    const auto d = notera::LeTransferencia(textos(
        {{"20/01/2004", "BANCO", "123456", "600,5", "CHQ", "C - Compensado", "x", "25/01/04"}}));
    ASSERT_EQ(d.Cheques.size(), 1u);
    const ChequeTransferencia& c = d.Cheques.front();
    EXPECT_EQ(c.Invalida, std::string());
    EXPECT_EQ(c.Vencimento, (Data{2004, 1, 20}));
    EXPECT_EQ(c.Banco, 7); // the code behind the name shown
    EXPECT_EQ(c.Numero, 123456);
    EXPECT_EQ(c.Valor, dm(6005000));
    EXPECT_EQ(c.Historico, std::string("CHQ"));
    EXPECT_EQ(c.Situacao, std::string("C"));
    EXPECT_EQ(c.Motivo, 0); // not a number
    ASSERT_TRUE(c.Quitacao);
    EXPECT_EQ(*c.Quitacao, (Data{2004, 1, 25}));
    EXPECT_EQ(c.ContaFiscal, std::string("1.1.01"));
    EXPECT_EQ(c.ContaGerencial, std::string("G1"));
}

TEST(LeTransferencia, QuaisLinhasSaoCheques) {
    struct Caso {
        const char* nome;
        std::vector<std::vector<const char*>> linhas;
        std::size_t cheques;
    } casos[] = {
        {"one row without date", {{"  /  /    "}}, 0},
        {"one blank row", {{""}}, 0},
        {"one row with date", {{"01/03/2004", "", "1", "1,00"}}, 1},
        {"two rows, the first without date", {{"  /  /    "}, {"01/03/2004", "", "1", "1,00"}}, 2},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        EXPECT_EQ(notera::LeTransferencia(textos(c.linhas)).Cheques.size(), c.cheques);
    }
}

TEST(LeTransferencia, CelulaQueNaoLeFicaNaLinha) {
    // The first cell that does not read, in the order the cheque writer reads them.
    struct Caso {
        std::vector<const char*> linha;
        const char* invalida;
    } casos[] = {
        {{"31/02/2004", "", "1", "x", "", "C - Compensado", "", ""},
         "'31/02/2004' não é uma data válida"},
        {{"01/03/2004", "", "1", "x", "", "C - Compensado", "", "  /  /    "},
         "'  /  /    ' não é uma data válida"},
        {{"01/03/2004", "", "1", "1.234,00", "", "P - Pré-Datado", "", "  /  /    "},
         "'1.234,00' não é um valor válido"},
        {{"01/03/2004", "", "1", "12,3x", "", "D - Depositado", "", ""},
         "'12,3x' não é um valor válido"},
        {{"01/03/2004", "", "1", "-4,25", "", "V - Devolvido", "12", "bad"}, ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.linha[3]);
        const auto d = notera::LeTransferencia(textos({c.linha}));
        ASSERT_EQ(d.Cheques.size(), 1u);
        EXPECT_EQ(d.Cheques.front().Invalida, std::string(c.invalida));
    }
}

TEST(LeTransferencia, ContasSoComAsColunasMostradas) {
    struct Caso {
        int colunas;
        const char* fiscal;
        const char* gerencial;
    } casos[] = {{8, "", ""}, {9, "1.1.01", ""}, {10, "1.1.01", "G1"}};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.colunas);
        const auto d = notera::LeTransferencia(
            textos({{"01/03/2004", "", "1", "1,00", "", "P - Pré-Datado"}}, c.colunas));
        ASSERT_EQ(d.Cheques.size(), 1u);
        EXPECT_EQ(d.Cheques.front().ContaFiscal, std::string(c.fiscal));
        EXPECT_EQ(d.Cheques.front().ContaGerencial, std::string(c.gerencial));
    }
}

TEST(AmbienteEmpresa, DiretoriosDaEmpresaEDoCatalogo) {
    struct Caso {
        std::int32_t codigo, cen;
        const char* empresa;
        const char* catalogo;
    } casos[] = {
        {1, 0, "001", "001"},
        {27, -3, "027", "027"},
        {1234, 5, "1234", "005"},
        {-1, 1, "-001", "001"},
    };
    // The register directory, then the system's separator ("\\" on Windows).
    const auto sob = [](const char* codigo) {
        return std::string("/d/Tabelas") + platform::SeparadorDeDiretorios + codigo;
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.codigo);
        notera::AmbienteEmpresa a;
        a.define(std::string("/d/Tabelas"), {c.codigo, c.cen, {}});
        EXPECT_EQ(a.diretorio(), sob(c.empresa));
        EXPECT_EQ(a.diretorioCatalogo(), sob(c.catalogo));
    }
}

TEST(AmbienteEmpresa, GerencialPelaPosicao27) {
    const std::string com = std::string(26, 'N') + 'S', sem = std::string(26, 'S') + 'N';
    struct Caso {
        std::string cfg;
        bool contabil, gerencial;
    } casos[] = {{com, true, true},
                 {com, false, false},
                 {sem, true, false},
                 {std::string(26, 'S'), true, false}};
    for (const auto& c : casos) {
        notera::AmbienteEmpresa a;
        a.define(std::string("/d/Tabelas"), {1, 0, c.cfg});
        EXPECT_EQ(a.gerencial(c.contabil), c.gerencial) << c.cfg;
        EXPECT_EQ(a.configuracao(), c.cfg);
    }
}

} // namespace
