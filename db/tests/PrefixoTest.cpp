// The prefix search answers the first record in the data set's order whose name begins
// with the text, whichever way it reads the table: checked on hand-made rows where the
// first by code and the first by name differ, and against a plain walk on larger tables
// shaped so that either of its two readings has to end the search.

#include "Arvore.h"
#include "TempDir.h"

#include "db/Conjunto.h"
#include "db/Esquema.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

using db::Busca;
using db::Valor;

namespace {

// Every case runs on both stores.
class Prefixo : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override {
        NOTERA_PULA_SEM_SERVIDOR(GetParam());
        arvore = std::make_unique<Arvore>(GetParam());
    }

    bool sqlite() const { return GetParam() == Motor::Sqlite; }
    std::string dir() const { return arvore->empresa(1); }

    // Clients in one statement, in the order given (which is the row order).
    void insere(const std::vector<std::pair<int, std::optional<std::string>>>& linhas) {
        std::string texto = "INSERT INTO TbCli (cod_cli, nom_cli, hpn_cli) VALUES ";
        for (std::size_t k = 0; k < linhas.size(); ++k) {
            const auto& [cod, nome] = linhas[k];
            std::string aspas = "NULL";
            if (nome) {
                aspas = "'";
                for (char ch : *nome)
                    aspas += ch == '\'' ? std::string("''") : std::string(1, ch);
                aspas += "'";
            }
            texto += (k ? ", (" : "(") + std::to_string(cod) + ", " + aspas + ", " +
                     std::to_string(cod % 3) + ")";
        }
        ASSERT_NO_THROW(arvore->executa(dir(), texto));
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

    std::unique_ptr<Arvore> arvore;
};

TEST_P(Prefixo, PrimeiroNaOrdemDoConjuntoNaoOPrimeiroAlfabetico) {
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
    db::Consulta q(dir(), {"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"});
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
            if (!sqlite() && !std::string_view(c.prefixo).empty() &&
                std::string_view(c.prefixo).back() == '\xC3') {
                // The server takes only whole characters: its own error, and nothing moves.
                ASSERT_TRUE(q.localiza("cod_cli", 3));
                EXPECT_THROW(q.localiza("nom_cli", Valor(c.prefixo), Busca::Prefixo), db::Erro);
                EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 3);
                continue;
            }
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

TEST_P(Prefixo, TabelaNaOrdemDasLinhasEConsultaComCondicao) {
    insere({{9, "MARIA"}, {2, "MARTA"}, {4, "MARIO"}, {1, "MARCOS"}, {3, "MA"}});
    // A table's natural order is its row order: MARIA was stored first.
    db::Tabela t(dir(), "TbCli");
    t.abre();
    ASSERT_TRUE(t.localiza("nom_cli", Valor("MAR"), Busca::Prefixo));
    EXPECT_EQ(t.campo("cod_cli").comoInteiro(), 9);
    t.ordena("cod_cli");
    ASSERT_TRUE(t.localiza("nom_cli", Valor("MAR"), Busca::Prefixo));
    EXPECT_EQ(t.campo("cod_cli").comoInteiro(), 1);

    // Only the query's rows count (hpn_cli = cod_cli % 3: 9, 3 give 0; 4, 1 give 1).
    db::Consulta q(dir(), {"Select cod_cli, nom_cli From TbCli", "Where hpn_cli = 1"});
    q.abre();
    ASSERT_TRUE(q.localiza("nom_cli", Valor("MAR"), Busca::Prefixo));
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 1);
    EXPECT_FALSE(q.localiza("nom_cli", Valor("MART"), Busca::Prefixo)); // 2 % 3 is 2
    EXPECT_FALSE(q.localiza("nom_cli", Valor("MA"), Busca::Exata));

    // A materialised query has no index to read.
    db::Consulta m(dir(), {"Select cod_cli, nom_cli From TbCli Order By nom_cli"});
    m.abre();
    ASSERT_TRUE(m.localiza("nom_cli", Valor("MARI"), Busca::Prefixo));
    EXPECT_EQ(m.campo("cod_cli").comoInteiro(), 4);
}

// Tables large enough that each of the two readings has to run through several steps:
// common prefixes whose first match by code comes early, rare prefixes whose matches sit
// at the highest codes, and prefixes that match nothing.
TEST_P(Prefixo, ComoUmPasseioNaOrdemEmTabelasGrandes) {
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
    db::Consulta q(dir(), {"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"});
    q.abre();
    db::Tabela t(dir(), "TbCli");
    t.abre();
    db::Consulta c(dir(), {"Select cod_cli, nom_cli From TbCli", "Where hpn_cli <> 2"});
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

// The range's upper bound on texts whose last byte cannot simply grow by one: after 0x7F
// and 0xBF the next byte would not be UTF-8, which the server refuses. The bound must
// still exclude the next character ("\xC2\x80" after "\x7F", "\xC3\x80" after "\xC2\xBF").
TEST_P(Prefixo, LimiteDaFaixaEmTextoValido) {
    insere({{1, "AB\xC2\x80"},               // AB + U+0080: just above AB + U+007F
            {2, "AB\x7F"},                   //
            {3, "\xC3\x80 VISTA"},           // U+00C0, just above U+00BF
            {4, "\xC2\xBFQUE?"},             // U+00BF
            {5, "\xF0\x90\x80\x80"},         // U+10000, just above U+FFFF
            {6, "X\xEF\xBF\xBF"},            // U+FFFF
            {7, "\xF4\x8F\xBF\xBF\xC2\xBF"}, // U+10FFFF U+00BF
            {8, "\xF4\x8F\xBF\xBF"}});       // U+10FFFF
    struct Caso {
        const char* prefixo;
        std::int64_t porCodigo, porNome; // 0: no match
    } casos[] = {
        {"AB\x7F", 2, 2},                   // not AB + U+0080
        {"AB\xC2\x80", 1, 1},               //
        {"AB", 1, 2},                       // by name U+007F comes first
        {"\xC2\xBF", 4, 4},                 // not U+00C0
        {"\xC3\x80", 3, 3},                 //
        {"X\xEF\xBF\xBF", 6, 6},            // not U+10000
        {"\xF0\x90\x80\x80", 5, 5},         //
        {"\xF4\x8F\xBF\xBF", 7, 8},         // the highest character: no bound above it
        {"\xF4\x8F\xBF\xBF\xC2\xBF", 7, 7}, //
        {"\xF4\x8F\xBF\xBF\xC2\xC0", 0, 0}, // not UTF-8: matches nothing on SQLite
    };
    for (bool tabela : {false, true}) {
        std::unique_ptr<db::Conjunto> c;
        if (tabela)
            c = std::make_unique<db::Tabela>(dir(), "TbCli");
        else
            c = std::make_unique<db::Consulta>(
                dir(), std::vector<std::string>{"Select cod_cli, nom_cli From TbCli"});
        c->abre();
        for (bool porNome : {false, true}) {
            c->ordena(porNome ? "nom_cli" : "cod_cli");
            for (auto& k : casos) {
                std::string_view p(k.prefixo);
                ASSERT_TRUE(c->localiza("cod_cli", 2));
                if (!sqlite() && p.back() == '\xC0') {
                    EXPECT_THROW(c->localiza("nom_cli", Valor(k.prefixo), Busca::Prefixo),
                                 db::Erro);
                } else {
                    const std::int64_t esperado = porNome ? k.porNome : k.porCodigo;
                    EXPECT_EQ(c->localiza("nom_cli", Valor(k.prefixo), Busca::Prefixo),
                              esperado != 0)
                        << k.prefixo;
                    EXPECT_EQ(c->campo("cod_cli").comoInteiro(), esperado ? esperado : 2)
                        << k.prefixo << (porNome ? " by name" : " by code");
                    continue;
                }
                EXPECT_EQ(c->campo("cod_cli").comoInteiro(), 2);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Armazens, Prefixo, ::testing::Values(Motor::Sqlite, Motor::Postgres),
                         [](const auto& info) { return nomeDoMotor(info.param); });

} // namespace
