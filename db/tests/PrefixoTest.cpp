// The prefix search answers the first record in the data set's order whose name begins
// with the text, whichever way it reads the table: checked on hand-made rows where the
// first by code and the first by name differ, and against a plain walk on larger tables
// shaped so that either of its two readings has to end the search.

#include "TempDir.h"

#include "db/Conjunto.h"
#include "db/Esquema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

using db::Busca;
using db::Valor;

namespace {

class Prefixo : public ::testing::Test {
protected:
    void SetUp() override { db::criaArquivo(dir.str(), db::Nivel::Empresa); }

    void sqlExec(const std::string& texto) {
        sqlite3* c = nullptr;
        ASSERT_EQ(sqlite3_open(db::caminhoArquivo(dir.str()).c_str(), &c), SQLITE_OK);
        char* erro = nullptr;
        int rc = sqlite3_exec(c, texto.c_str(), nullptr, nullptr, &erro);
        std::string msg = erro ? erro : "";
        sqlite3_free(erro);
        sqlite3_close(c);
        ASSERT_EQ(rc, SQLITE_OK) << msg;
    }

    // Clients in one transaction, in the order given (which is the row order).
    void insere(const std::vector<std::pair<int, std::optional<std::string>>>& linhas) {
        sqlite3* c = nullptr;
        ASSERT_EQ(sqlite3_open(db::caminhoArquivo(dir.str()).c_str(), &c), SQLITE_OK);
        sqlite3_exec(c, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(c, "INSERT INTO TbCli (cod_cli, nom_cli, hpn_cli) VALUES (?, ?, ?)", -1,
                           &s, nullptr);
        for (auto& [cod, nome] : linhas) {
            sqlite3_bind_int(s, 1, cod);
            if (nome)
                sqlite3_bind_text(s, 2, nome->c_str(), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(s, 2);
            sqlite3_bind_int(s, 3, cod % 3);
            ASSERT_EQ(sqlite3_step(s), SQLITE_DONE) << sqlite3_errmsg(c);
            sqlite3_reset(s);
        }
        sqlite3_finalize(s);
        sqlite3_exec(c, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(c);
    }

    // What a plain walk over the records, read in the data set's order, finds: the code, or 0.
    static std::int64_t primeiroPorPasseio(const std::vector<db::Registro>& emOrdem,
                                           const std::string& prefixo) {
        for (const auto& r : emOrdem) {
            const Valor& v = r["nom_cli"];
            if (!v.ehNulo() && v.comoTexto().rfind(prefixo, 0) == 0)
                return r["cod_cli"].comoInteiro();
        }
        return 0;
    }

    TempDir dir;
};

TEST_F(Prefixo, PrimeiroNaOrdemDoConjuntoNaoOPrimeiroAlfabetico) {
    insere({{20, "ALFA"},
            {8, "ALFA"},
            {5, "ALFAZEMA"},
            {7, "alfa"},
            {3, "BETA"},
            {1, std::nullopt},
            {4, ""},
            {9, "ÁGUA"},
            {6, "ALFAIATE"},
            {11, "ALFA"}});
    db::Consulta q(dir.str(), {"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"});
    q.abre();
    struct Caso {
        const char* prefixo;
        std::int64_t porCodigo; // the query's natural order; 0: no match
        std::int64_t porNome;   // ordered by nom_cli: ties in row order
    } casos[] = {
        {"ALF", 5, 20},      // by code ALFAZEMA (5); by name ALFA, first of three in rows
        {"ALFA", 5, 20},     //
        {"ALFAI", 6, 6},     //
        {"ALFAZ", 5, 5},     //
        {"ALFA ", 0, 0},     // a blank is part of the text
        {"alf", 7, 7},       // case as typed
        {"aLF", 0, 0},       //
        {"A", 5, 20},        // Á is not A
        {"Á", 9, 9},         //
        {"B", 3, 3},         //
        {"Z", 0, 0},         //
        {"ALFAZEMAS", 0, 0}, // longer than every name
        {"\xC3", 9, 9},      // a prefix that ends inside a character still compares bytes
    };
    for (bool porNome : {false, true}) {
        q.ordena(porNome ? "nom_cli" : "");
        for (auto& c : casos) {
            ASSERT_TRUE(q.localiza("cod_cli", 3));
            const std::int64_t esperado = porNome ? c.porNome : c.porCodigo;
            EXPECT_EQ(q.localiza("nom_cli", Valor(c.prefixo), Busca::Prefixo), esperado != 0)
                << c.prefixo << (porNome ? " by name" : " by code");
            // Not found: the current record stays.
            EXPECT_EQ(q.campo("cod_cli").comoInteiro(), esperado ? esperado : 3)
                << c.prefixo << (porNome ? " by name" : " by code");
        }
    }
}

TEST_F(Prefixo, TabelaNaOrdemDasLinhasEConsultaComCondicao) {
    insere({{9, "MARIA"}, {2, "MARTA"}, {4, "MARIO"}, {1, "MARCOS"}, {3, "MA"}});
    // A table's natural order is its row order: MARIA was stored first.
    db::Tabela t(dir.str(), "TbCli");
    t.abre();
    ASSERT_TRUE(t.localiza("nom_cli", Valor("MAR"), Busca::Prefixo));
    EXPECT_EQ(t.campo("cod_cli").comoInteiro(), 9);
    t.ordena("cod_cli");
    ASSERT_TRUE(t.localiza("nom_cli", Valor("MAR"), Busca::Prefixo));
    EXPECT_EQ(t.campo("cod_cli").comoInteiro(), 1);

    // Only the query's rows count (hpn_cli = cod_cli % 3: 9, 3 give 0; 4, 1 give 1).
    db::Consulta q(dir.str(), {"Select cod_cli, nom_cli From TbCli", "Where hpn_cli = 1"});
    q.abre();
    ASSERT_TRUE(q.localiza("nom_cli", Valor("MAR"), Busca::Prefixo));
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 1);
    EXPECT_FALSE(q.localiza("nom_cli", Valor("MART"), Busca::Prefixo)); // 2 % 3 is 2
    EXPECT_FALSE(q.localiza("nom_cli", Valor("MA"), Busca::Exata));

    // A materialised query has no index to read.
    db::Consulta m(dir.str(), {"Select cod_cli, nom_cli From TbCli Order By nom_cli"});
    m.abre();
    ASSERT_TRUE(m.localiza("nom_cli", Valor("MARI"), Busca::Prefixo));
    EXPECT_EQ(m.campo("cod_cli").comoInteiro(), 4);
}

// Tables large enough that each of the two readings has to run through several steps:
// common prefixes whose first match by code comes early, rare prefixes whose matches sit
// at the highest codes, and prefixes that match nothing.
TEST_F(Prefixo, ComoUmPasseioNaOrdemEmTabelasGrandes) {
    std::mt19937 rng(12345);
    const int n = 20000;
    std::vector<int> codigos(n);
    for (int i = 0; i < n; ++i)
        codigos[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(codigos.begin(), codigos.end(), rng);
    const char* comuns[] = {"SILVA ", "SANTOS ", "SOUZA ", "OLIVEIRA "};
    std::vector<std::pair<int, std::optional<std::string>>> linhas;
    for (int cod : codigos) {
        std::string nome;
        if (cod > n - 40)
            nome = "ZELIA " + std::to_string((cod * 7919) % 1000); // rare, top codes only
        else if (cod % 997 == 0)
            nome = "raro " + std::to_string(cod % 5);
        else
            nome = std::string(comuns[rng() % 4]) + std::to_string(rng() % 5000);
        linhas.emplace_back(cod, cod % 1500 == 0 ? std::nullopt : std::optional(nome));
    }
    insere(linhas);

    const std::vector<std::string> prefixos = {
        "S",    "SO",     "SOUZA 1", "SOUZA 49", "OLIVEIRA 4999", "ZELIA", "ZELIA 19999", "Z",
        "raro", "raro 3", "R",       "X",        "SILVA 12345",   "",      "SANTOS",      "sil"};
    db::Consulta q(dir.str(), {"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"});
    q.abre();
    db::Tabela t(dir.str(), "TbCli");
    t.abre();
    db::Consulta c(dir.str(), {"Select cod_cli, nom_cli From TbCli", "Where hpn_cli <> 2"});
    c.abre();
    for (auto* conjunto : {static_cast<db::Conjunto*>(&q), static_cast<db::Conjunto*>(&t),
                           static_cast<db::Conjunto*>(&c)}) {
        const auto emOrdem = conjunto->leApos(std::nullopt, n + 1);
        ASSERT_GT(emOrdem.size(), static_cast<std::size_t>(n / 2));
        for (const auto& p : prefixos) {
            if (p.empty()) continue;
            const std::int64_t esperado = primeiroPorPasseio(emOrdem, p);
            conjunto->primeiro();
            const std::int64_t antes = conjunto->campo("cod_cli").comoInteiro();
            EXPECT_EQ(conjunto->localiza("nom_cli", Valor(p), Busca::Prefixo), esperado != 0) << p;
            EXPECT_EQ(conjunto->campo("cod_cli").comoInteiro(), esperado ? esperado : antes) << p;
        }
    }
    // The rare prefix at the top of the codes really is there, and last by code.
    ASSERT_TRUE(q.localiza("nom_cli", Valor("ZELIA"), Busca::Prefixo));
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), n - 39);
}

} // namespace
