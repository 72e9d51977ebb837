// What a new user meets first: --help on every program, a data directory typed without its
// closing "/", a company whose directory is missing.

#include "Host.h"

#include <gtest/gtest.h>

#include <filesystem>

using apoio::rodaHost;
using apoio::sql;

namespace {

TEST(Ajuda, TodoProgramaMostraOUsoESai0) {
    const std::vector<std::vector<std::string>> casos = {
        {"notera-host", "--help"},
        {"notera-host", "-h"},
        {"notera-host", "transferencia", "--help"},
        {"notera-host", "cheque", "--porta", "/tmp/x", "--help"},
        {"notera-dados", "--help"},
        {"cheque-spool", "--help"},
        {"bench-db", "--help"},
        {"bench-postagem", "--help"},
    };
    for (const auto& c : casos) {
        std::vector<std::string> argv = c;
        argv[0] = apoio::binario(c[0]);
        SCOPED_TRACE(c[0] + " " + c.back());
        auto r = apoio::executa(argv, {{"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_EQ(r.saida, 0) << r.err;
        EXPECT_EQ(r.out.rfind("uso: " + c[0], 0), 0u) << r.out;
        EXPECT_EQ(r.err, "");
    }
    // bench-db took an unknown word for the directory to fill.
    EXPECT_FALSE(std::filesystem::exists("--help"));
}

TEST(Ajuda, ArgumentosErradosDasBancadasRecusados) {
    const std::vector<std::vector<std::string>> casos = {
        {"bench-db", "--tamanho"},
        {"bench-postagem", "0"},
        {"bench-postagem", "dez"},
        {"bench-postagem", "5", "6"},
    };
    for (const auto& c : casos) {
        std::vector<std::string> argv = c;
        argv[0] = apoio::binario(c[0]);
        SCOPED_TRACE(c[0] + " " + c[1]);
        auto r = apoio::executa(argv, {{"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_EQ(r.saida, 2);
        EXPECT_EQ(r.err.rfind("uso: " + c[0], 0), 0u) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists("--tamanho"));
}

class Novato : public ::testing::Test {
protected:
    void SetUp() override {
        auto r = apoio::executa({apoio::binario("notera-dados"), "criar", dados(), "1", "2"});
        ASSERT_EQ(r.saida, 0) << r.err;
        sql(dados() + "/Tabelas/tabelas.sqlite",
            "INSERT INTO TbEmp (cod_emp, nom_emp, cen_emp, cfg_emp, nal_emp, nos_emp) VALUES "
            "(1, 'ALFA', 0, '', 0, 0), (2, 'BETA', 0, '', 0, 0)");
    }
    std::string dados() const { return dir / "dados"; }

    apoio::ExecucaoHost roda(const std::string& dirDados, const char* empresa,
                             const std::string& roteiro) {
        return rodaHost(dir, {"transferencia", "--dados", dirDados, "--empresa", empresa}, roteiro);
    }

    static QStringList mensagens(const apoio::ExecucaoHost& e) {
        QStringList l;
        for (const auto& m : e.eventos("message"))
            l << m["text"].toString();
        return l;
    }

    apoio::DirTemp dir;
};

TEST_F(Novato, DiretorioDeDadosSemBarraFinal) {
    // The origin company's tables open: no message at all, and its supplier is found.
    sql(dados() + "/Tabelas/002/tabelas.sqlite",
        "INSERT INTO TbFor VALUES (7, 'FORNECEDOR SETE', '', 0)");
    auto e = roda(dados(), "1",
                  "type 2\nkey Enter\ntype 7\nkey Enter\ndump Ed_Fornecedor\n"
                  "click BtSair\n");
    EXPECT_EQ(e.r.saida, 1) << e.r.err;
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
    EXPECT_EQ(mensagens(e), QStringList{});
    auto d = e.dumps("Ed_Fornecedor");
    ASSERT_FALSE(d.isEmpty());
    EXPECT_TRUE(d.last()["text"].toString().contains("FORNECEDOR SETE"))
        << d.last()["text"].toString().toStdString();
}

TEST_F(Novato, DiretorioDeDadosLongoDemaisRecusado) {
    auto e = roda("/" + std::string(255, 'd'), "1", "");
    EXPECT_EQ(e.r.saida, 2);
    EXPECT_NE(e.r.err.find("--dados com mais de 255 caracteres"), std::string::npos) << e.r.err;
}

TEST_F(Novato, EmpresaDeOrigemSemDiretorio) {
    std::filesystem::remove_all(dados() + "/Tabelas/002");
    auto e = roda(dados() + "/", "1", "answer OK\ntype 2\nkey Enter\nclick BtSair\n");
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
    const QString dir = QString::fromStdString(dados() + "/Tabelas/002");
    EXPECT_EQ(mensagens(e), QStringList{"Erro na consulta as tabelas da empresa indicada.\r\n"
                                        "empresa 2, diretório " +
                                        dir + ": o diretório " + dir + " não existe"});
}

TEST_F(Novato, EmpresaDeDestinoSemDiretorio) {
    std::filesystem::remove_all(dados() + "/Tabelas/002");
    auto e = roda(dados() + "/", "2", "answer OK\n");
    EXPECT_EQ(e.r.saida, 1);
    const QString dir = QString::fromStdString(dados() + "/Tabelas/002");
    EXPECT_EQ(mensagens(e), QStringList{"Não foi possível consultar as tabela da empresas\r\n"
                                        "empresa 2, diretório " +
                                        dir + ": o diretório " + dir + " não existe"});
}

} // namespace
