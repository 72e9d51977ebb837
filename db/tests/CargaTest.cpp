// Bulk loads: one transaction per load, tables and fields made on demand, names matched
// without regard to case, and what another connection sees before and after.

#include "db/Carga.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fstream>

namespace {

class CargaTest : public ::testing::Test {
protected:
    TempDir dir;
    void SetUp() override { db::criaArquivo(dir.str(), db::Nivel::Empresa); }
    std::int64_t linhas(const std::string& tabela) {
        db::Tabela t(dir.str(), tabela);
        t.abre();
        return t.conta();
    }
    // Rows as a connection of another process sees them.
    std::int64_t linhasDeFora(const std::string& tabela) {
        sqlite3* c = nullptr;
        sqlite3_open_v2(db::caminhoArquivo(dir.str()).c_str(), &c, SQLITE_OPEN_READONLY, nullptr);
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> fecha(c, sqlite3_close_v2);
        sqlite3_stmt* s = nullptr;
        std::string texto = "SELECT count(*) FROM " + tabela;
        if (sqlite3_prepare_v2(c, texto.c_str(), -1, &s, nullptr) != SQLITE_OK) return -1;
        std::int64_t n = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
        sqlite3_finalize(s);
        return n;
    }
};

TEST_F(CargaTest, NadaAparecePorInteiroAntesDeConfirmar) {
    {
        db::Carga c(dir.str());
        c.preparaInsercao("tbhis", {"COD_HIS", "nom_his"});
        c.insere({db::Valor(1), db::Valor("UM")});
        c.insere({db::Valor(2), db::Valor("DOIS")});
        EXPECT_EQ(c.conta("TBHIS"), 2);
        EXPECT_EQ(linhasDeFora("TbHis"), 0); // another connection sees nothing yet
    }                                        // not confirmed: rolled back
    EXPECT_EQ(linhas("TbHis"), 0);

    db::Carga c(dir.str());
    c.preparaInsercao("TbHis", {"cod_his", "nom_his"});
    c.insere({db::Valor(1), db::Valor("UM")});
    c.confirma();
    EXPECT_EQ(linhas("TbHis"), 1);
}

TEST_F(CargaTest, TabelaECampoNovosComSeusTipos) {
    db::Carga c(dir.str());
    c.criaTabela({"TbNova", {{"cod", db::Tipo::Inteiro}, {"quando", db::Tipo::DataHora}}, {}, {}});
    c.acrescentaCampo("tbnova", {"valor", db::Tipo::Dinheiro});
    c.acrescentaCampo("TbCli", {"extra_cli", db::Tipo::Imagem});
    c.confirma();
    auto campos = db::camposDaTabela(dir.str(), "TbNova");
    ASSERT_EQ(campos.size(), 3u);
    EXPECT_EQ(campos[2].nome, "valor");
    EXPECT_EQ(campos[1].tipo, db::Tipo::DataHora);
    EXPECT_EQ(campos[2].tipo, db::Tipo::Dinheiro);
    EXPECT_EQ(db::camposDaTabela(dir.str(), "TbCli").back().tipo, db::Tipo::Imagem);
    auto t = db::tabelas(dir.str());
    EXPECT_NE(std::find(t.begin(), t.end(), "TbNova"), t.end());
}

TEST_F(CargaTest, EsvaziaEErrosComOTextoDoMotor) {
    db::Carga c(dir.str());
    c.preparaInsercao("TbHis", {"cod_his"});
    c.insere({db::Valor(1)});
    // The table's key refuses a repeated code, with SQLite's own words.
    try {
        c.insere({db::Valor(1)});
        FAIL() << "a repeated key was accepted";
    } catch (const db::Erro& e) {
        EXPECT_NE(std::string(e.what()).find("UNIQUE constraint failed"), std::string::npos)
            << e.what();
    }
    c.esvazia("TbHis");
    EXPECT_EQ(c.conta("TbHis"), 0);
    EXPECT_THROW(c.conta("TbNenhuma"), db::Erro);
    EXPECT_THROW(db::Carga(dir.str() + "/nao-existe"), db::Erro);
}

TEST_F(CargaTest, BancoConfNoDiretorioOuAcima) {
    EXPECT_FALSE(db::noServidor(dir.str()));
    std::filesystem::create_directories(dir.caminho() / "Tabelas/001");
    std::ofstream(dir.caminho() / "banco.conf") << "postgresql:///x\n";
    EXPECT_TRUE(db::noServidor((dir.caminho() / "Tabelas/001").string()));
}

} // namespace
