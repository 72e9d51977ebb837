// The posting notice of a fixed transfer printed on Windows through the report's print
// dialog, answered as the host answers it, into a PostScript file. The data tree is made and
// the files read back on Linux (tests/aviso_wine.sh), which gives NOTERA_AVISO_TABELAS (the
// register directory) and NOTERA_AVISO_DIR, where aviso2.ps gets both copies and aviso1.ps
// the upper one.

#include "RoboImpressao.h"

#include "host/win32/ImpressoraArquivo.h"
#include "notera/core/Execucao.h"
#include "notera/core/Transferencia.h"
#include "notera/notice/AvisoAL.h"
#include "notera/report/win32/ImpressaoWin32.h"
#include "notera/report/win32/Largo.h"

#include "tests/support/RespostasSimples.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

std::string ambiente(const char* nome) {
    const char* v = std::getenv(nome);
    return v ? v : "";
}

std::size_t conta(const std::string& s, const std::string& parte) {
    std::size_t n = 0;
    for (auto i = s.find(parte); i != std::string::npos; i = s.find(parte, i + 1))
        ++n;
    return n;
}

struct CasoVias {
    const char* nome;
    bool duas;
    const char* arquivo; // in NOTERA_AVISO_DIR
};

class Vias : public ::testing::TestWithParam<CasoVias> {};

TEST_P(Vias, NoArquivoPostScript) {
    const auto& c = GetParam();
    const std::string tabelas = ambiente("NOTERA_AVISO_TABELAS");
    const std::string dir = ambiente("NOTERA_AVISO_DIR");
    ASSERT_FALSE(tabelas.empty()) << "NOTERA_AVISO_TABELAS not set";
    ASSERT_FALSE(dir.empty()) << "NOTERA_AVISO_DIR not set";
    std::string erro;
    ASSERT_TRUE(host::garanteImpressoraPostScript(erro)) << erro;
    const std::wstring arquivo = report::win32::largo(dir + "\\" + c.arquivo);
    ::DeleteFileW(arquivo.c_str());

    std::vector<std::string> perguntas;
    constexpr int Sim = 0, Nao = 1;
    notera::Execucao ex(notera::ServicosHost(nullptr, nullptr, nullptr),
                        std::make_unique<apoio::RespostasSimples>(
                            std::vector<int>{Sim, c.duas ? Sim : Nao}, perguntas));
    ex.DirTabelas = tabelas;
    ex.TabPadroes.QTbEmp.defineDiretorio(tabelas);
    ex.TabPadroes.QTbEmp.abre();
    ex.RefPagamentos = "PAG 2024/03";
    ex.DataMovimento = base::Data{2024, 3, 15}.emDiasDelphi();
    notera::DadosTransferencia t;
    t.CodEmpresa = 2;
    t.CodEmpDestino = 1;
    t.Valor = base::Dinheiro::deDezMilesimos(15000000); // 1.500,00
    t.HistVar1 = "TRANSFERENCIA MENSAL";

    teste::RoboImpressao robo(::GetCurrentThreadId(), {teste::imprimeEm(arquivo)});
    report::ImpressaoWin32 impressao;
    notera::ImprimeAviso(ex, t, 42, impressao);

    ASSERT_EQ(perguntas.size(), 2u);
    EXPECT_EQ(perguntas[0], "Imprimir \"Aviso de Lançamento\" ?");
    EXPECT_EQ(perguntas[1], "Imprimir em 2 vias?");
    ASSERT_EQ(robo.vistos().size(), 1u);
    EXPECT_EQ(robo.vistos()[0].copias, L"1");
    EXPECT_TRUE(robo.falhas().empty());
    const std::string ps = teste::lerArquivo(arquivo);
    ASSERT_GE(ps.size(), 4u) << c.arquivo;
    EXPECT_EQ(ps.substr(0, 4), "%!PS");
    // Two copies are two halves of one sheet.
    EXPECT_EQ(conta(ps, "%%Page:"), 1u);
    EXPECT_EQ(conta(ps, "%%Title: Report\n"), 1u);
}

INSTANTIATE_TEST_SUITE_P(AvisoGdi, Vias,
                         ::testing::Values(CasoVias{"DuasVias", true, "aviso2.ps"},
                                           CasoVias{"UmaVia", false, "aviso1.ps"}),
                         [](const auto& i) { return std::string(i.param.nome); });

} // namespace
