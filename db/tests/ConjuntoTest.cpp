#include "Arvore.h"
#include "TempDir.h"

#include "db/Armazem.h"
#include "db/Conjunto.h"
#include "db/Esquema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <optional>

namespace fs = std::filesystem;
using db::Busca;
using db::Valor;

namespace {

// A company directory with every company table; TbCli holds a few clients. Every case runs
// on both stores.
class Store : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override {
        NOTERA_PULA_SEM_SERVIDOR(GetParam());
        arvore = std::make_unique<Arvore>(GetParam());
        sqlExec("INSERT INTO TbCli VALUES (3, 'BETA', '1.1', 2), (1, 'ALFA', NULL, NULL),"
                "(2, 'ALFAIATARIA', '1.2', 0), (4, 'alfa minúscula', '', 1), (5, NULL, NULL, 0)");
    }

    bool sqlite() const { return GetParam() == Motor::Sqlite; }
    std::string dir() const { return arvore->empresa(1); }

    // Independent connection: what other processes see.
    void sqlExec(const std::string& texto) { ASSERT_NO_THROW(arvore->executa(dir(), texto)); }
    std::string sqlValor(const std::string& texto) { return arvore->valor(dir(), texto); }

    db::Consulta clientes() {
        db::Consulta q(dir(), {"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"});
        q.abre();
        return q;
    }

    std::vector<std::int64_t> codigos(const std::vector<db::Registro>& rs) {
        std::vector<std::int64_t> r;
        for (auto& x : rs)
            r.push_back(x["cod_cli"].comoInteiro());
        return r;
    }

    std::unique_ptr<Arvore> arvore;
};

TEST_P(Store, FalhasTrazemTextoDoMotorENaoCriamNada) {
    fs::path raiz = arvore->dados();
    fs::create_directories(raiz / "vazio");
    const bool s = sqlite();
    struct Caso {
        std::string diretorio;
        std::string tabela; // empty: a query on TBPERLOTX
        std::string texto;
    } casos[] = {
        {(raiz / "falta").string(), "TbCli",
         s ? "unable to open database file" : "schema \"falta\" does not exist"},
        {(raiz / "vazio").string(), "TbCli",
         s ? "unable to open database file" : "schema \"vazio\" does not exist"},
        {dir(), "TbEmp", s ? "no such table: TbEmp" : "relation \"tbemp\" does not exist"},
        {dir(), "", s ? "no such table: TBPERLOTX" : "relation \"tbperlotx\" does not exist"},
    };
    for (auto& c : casos) {
        db::Tabela t(c.diretorio, c.tabela);
        db::Consulta q(c.diretorio, {"SELECT FIM_PER FROM TBPERLOTX"});
        db::Conjunto& alvo = c.tabela.empty() ? static_cast<db::Conjunto&>(q) : t;
        try {
            alvo.abre();
            ADD_FAILURE() << "opened " << c.diretorio << " " << c.tabela;
        } catch (const db::Erro& e) {
            EXPECT_NE(std::string(e.what()).find(c.texto), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.diretorio), std::string::npos) << e.what();
        }
        EXPECT_FALSE(alvo.aberto());
    }
    EXPECT_FALSE(fs::exists(raiz / "falta"));
    EXPECT_TRUE(fs::is_empty(raiz / "vazio"));
    db::Tabela t(dir(), "TbCli");
    t.abre();
    EXPECT_THROW(t.campo("nao_existe"), db::Erro);
}

TEST_P(Store, NomesSemCaixaESufixoDb) {
    for (const char* nome : {"TbCli", "tbcli", "TBCLI.DB", "TbCli.db"}) {
        db::Tabela t(dir() + "/", nome);
        ASSERT_NO_THROW(t.abre()) << nome;
        EXPECT_EQ(t.conta(), 5);
        ASSERT_TRUE(t.localiza("COD_CLI", 2));
        EXPECT_EQ(t.campo("Nom_Cli").comoTexto(), "ALFAIATARIA");
    }
    db::Consulta q(dir(), {"select COD_CLI from \"tbcli.DB\""});
    EXPECT_NO_THROW(q.abre());
}

TEST_P(Store, LocalizaExatoEPorPrefixo) {
    auto q = clientes();
    struct Caso {
        const char* campo;
        Valor valor;
        Busca busca;
        std::int64_t achado; // 0: not found, current record stays
    } casos[] = {
        {"nom_cli", "ALFA", Busca::Exata, 1},
        {"nom_cli", "alfa", Busca::Exata, 0},
        {"nom_cli", "ALF", Busca::Exata, 0},
        {"nom_cli", "ALF", Busca::Prefixo, 1}, // first in the query's order (cod_cli)
        {"nom_cli", "ALFAI", Busca::Prefixo, 2},
        {"nom_cli", "alfa m", Busca::Prefixo, 4},
        {"nom_cli", "GAMA", Busca::Prefixo, 0},
        {"cod_cli", 3, Busca::Exata, 3},
        {"cod_cli", 9, Busca::Exata, 0},
        {"ccn_cli", "", Busca::Exata, 1}, // blank text matches NULL too
        {"nom_cli", Valor(), Busca::Exata, 5},
    };
    for (auto& c : casos) {
        q.vaiParaPosicao(4);
        auto antes = q.campo("cod_cli").comoInteiro();
        EXPECT_EQ(q.localiza(c.campo, c.valor, c.busca), c.achado != 0)
            << c.campo << " " << c.valor.comoTexto();
        EXPECT_EQ(q.campo("cod_cli").comoInteiro(), c.achado ? c.achado : antes);
    }
    EXPECT_TRUE(q.localiza({{"hpn_cli", 0}, {"nom_cli", "ALFA"}}, Busca::Prefixo));
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 2);
    EXPECT_FALSE(q.localiza({{"hpn_cli", 2}, {"nom_cli", "ALFA"}}, Busca::Exata));
}

TEST_P(Store, OrdemNavegacaoEJanelas) {
    auto q = clientes();
    // Natural order of a query: its first column.
    EXPECT_EQ(codigos(q.leApos(std::nullopt, 10)), (std::vector<std::int64_t>{1, 2, 3, 4, 5}));
    q.ultimo();
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 5);
    EXPECT_TRUE(q.fim());

    // By name: NULL first, then byte order (capitals before small letters).
    q.ordena("NOM_CLI");
    EXPECT_EQ(q.ordem(), "nom_cli");
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 5); // the current record is kept
    std::vector<std::int64_t> vistos;
    for (q.primeiro(); !q.fim(); q.proximo())
        vistos.push_back(q.campo("cod_cli").comoInteiro());
    EXPECT_EQ(vistos, (std::vector<std::int64_t>{5, 1, 2, 3, 4}));
    vistos.clear();
    for (q.ultimo(); !q.inicio(); q.anterior())
        vistos.push_back(q.campo("cod_cli").comoInteiro());
    EXPECT_EQ(vistos, (std::vector<std::int64_t>{4, 3, 2, 1, 5}));

    ASSERT_TRUE(q.localiza("cod_cli", 2));
    EXPECT_EQ(q.posicao(), 2);
    auto m = *q.marcador();
    EXPECT_EQ(codigos(q.leApos(m, 10)), (std::vector<std::int64_t>{3, 4}));
    EXPECT_EQ(codigos(q.leAntes(m, 10)), (std::vector<std::int64_t>{5, 1}));
    EXPECT_EQ(codigos(q.leAntes(m, 1)), (std::vector<std::int64_t>{1}));
    EXPECT_EQ(codigos(q.leAntes(std::nullopt, 2)), (std::vector<std::int64_t>{3, 4}));
    q.primeiro();
    EXPECT_EQ(codigos(q.leApos(q.marcador(), 2)), (std::vector<std::int64_t>{1, 2}));
    EXPECT_EQ(q.posicao(), 0);
    ASSERT_TRUE(q.vaiPara(m));
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 2);
    ASSERT_TRUE(q.vaiParaPosicao(3));
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 3);
    EXPECT_FALSE(q.vaiParaPosicao(5));
    EXPECT_THROW(q.ordena("nao_existe"), db::Erro);

    // The next number: last in the order of the key.
    db::Tabela t(dir(), "TbCli");
    t.abre();
    t.ordena("cod_cli");
    t.releia();
    t.ultimo();
    EXPECT_EQ(t.campo("cod_cli").comoInteiro() + 1, 6);
}

TEST_P(Store, TabelaVaziaELeituraDeNulos) {
    db::Tabela t(dir(), "TbLanPag");
    t.abre();
    EXPECT_TRUE(t.vazio());
    EXPECT_TRUE(t.inicio() && t.fim());
    t.ordena("num_lan");
    t.ultimo();
    EXPECT_EQ(t.campo("num_lan").comoInteiro(), 0); // an empty table numbers from 1
    t.acrescenta();
    t.define("num_lan", 1);
    t.grava();
    for (const char* f : {"dat_lan", "val_lan", "his_lan", "ccf_lan"}) {
        EXPECT_EQ(t.campo(f).comoInteiro(), 0) << f;
        EXPECT_EQ(t.campo(f).comoTexto(), "") << f;
        EXPECT_EQ(t.campo(f).comoDinheiro().dezMilesimos(), 0) << f;
        EXPECT_EQ(t.campo(f).comoDataHora(), 0.0) << f;
    }
}

TEST_P(Store, GravacaoVisivelAOutraConexaoETiposGuardados) {
    db::Tabela t(dir(), "TbLanPag");
    t.abre();
    double dia = base::Data{2004, 1, 15}.emDiasDelphi();
    t.acrescenta();
    t.define("num_lan", 1);
    t.define("dat_lan", Valor::dataHora(dia));
    t.define("ven_lan", Valor::dataHora(dia + 0.75));
    t.define("val_lan", Valor(1234.56789));
    t.define("his_lan", "TRANSFERÊNCIA");
    t.grava();
    EXPECT_EQ(t.estado(), db::Estado::Navegando);
    if (sqlite())
        EXPECT_EQ(sqlValor("SELECT dat_lan || '|' || ven_lan || '|' || typeof(val_lan) || '|' || "
                           "his_lan FROM TbLanPag"),
                  "2004-01-15|2004-01-15 18:00:00|real|TRANSFERÊNCIA");
    else
        EXPECT_EQ(sqlValor("SELECT dat_lan || '|' || ven_lan || '|' || val_lan || '|' || "
                           "pg_typeof(val_lan) || '|' || his_lan FROM TbLanPag"),
                  "2004-01-15 00:00:00|2004-01-15 18:00:00|1234.5679|numeric|TRANSFERÊNCIA");
    EXPECT_EQ(t.campo("val_lan").comoDinheiro().dezMilesimos(), 12345679);
    EXPECT_EQ(t.campo("dat_lan").comoDataHora(), dia);
    EXPECT_DOUBLE_EQ(t.campo("ven_lan").comoDataHora(), dia + 0.75);
    EXPECT_EQ(t.campos()[1].tipo, db::Tipo::DataHora);
    EXPECT_EQ(t.campos()[10].tipo, db::Tipo::Dinheiro);

    t.edita();
    t.define("his_lan", "ALTERADO");
    t.grava();
    EXPECT_EQ(sqlValor("SELECT his_lan FROM TbLanPag"), "ALTERADO");

    // Moving while editing posts, as the original engine did.
    t.edita();
    t.define("sit_lan", "A");
    t.primeiro();
    EXPECT_EQ(sqlValor("SELECT sit_lan FROM TbLanPag"), "A");

    // An edit never overwrites a change made meanwhile by another user.
    t.edita();
    t.define("his_lan", "MEU");
    sqlExec("UPDATE TbLanPag SET his_lan = 'DELE'");
    EXPECT_THROW(t.grava(), db::Erro);
    t.cancela();
    EXPECT_EQ(sqlValor("SELECT his_lan FROM TbLanPag"), "DELE");
    t.releia();
    EXPECT_EQ(t.campo("his_lan").comoTexto(), "DELE");

    // A change by someone else is seen after re-reading.
    sqlExec("INSERT INTO TbLanPag (num_lan) VALUES (7)");
    t.ordena("num_lan");
    t.releia();
    t.ultimo();
    EXPECT_EQ(t.campo("num_lan").comoInteiro(), 7);
    t.salvaEmDisco();
}

TEST_P(Store, ChaveRepetidaDaErroNuncaDuplica) {
    db::Tabela a(dir(), "TbLanPag"), b(dir(), "TbLanPag");
    a.abre();
    b.abre();
    for (auto* t : {&a, &b}) {
        t->ordena("num_lan");
        t->ultimo();
    }
    std::int64_t na = a.campo("num_lan").comoInteiro() + 1;
    std::int64_t nb = b.campo("num_lan").comoInteiro() + 1;
    a.acrescenta();
    a.define("num_lan", na);
    a.grava();
    b.acrescenta();
    b.define("num_lan", nb);
    try {
        b.grava();
        ADD_FAILURE() << "duplicate posted";
    } catch (const db::Erro& e) {
        EXPECT_NE(std::string(e.what()).find(sqlite() ? "UNIQUE constraint failed"
                                                      : "duplicate key value violates unique"),
                  std::string::npos)
            << e.what();
    }
    EXPECT_EQ(b.estado(), db::Estado::Inserindo);
    b.cancela();
    EXPECT_EQ(sqlValor("SELECT count(*) FROM TbLanPag"), "1");
}

TEST_P(Store, ConsultaDePeriodos) {
    sqlExec("INSERT INTO TBPERLOT VALUES ('2003-11-01', '2003-11-30', 6),"
            "('2003-12-01', '2004-01-31', 7), ('2004-02-01', '2004-02-29', 12)");
    struct Caso {
        base::Data data;
        bool achou;
        std::int64_t lote;
        const char* ano;
    } casos[] = {
        {{2003, 12, 15}, true, 7, "2004"}, {{2003, 12, 1}, true, 7, "2004"},
        {{2004, 1, 31}, true, 7, "2004"},  {{2004, 2, 29}, true, 12, "2004"},
        {{2003, 11, 30}, true, 6, "2003"}, {{2004, 3, 1}, false, 0, ""},
    };
    for (auto& c : casos) {
        db::Consulta q;
        q.defineDiretorio(dir());
        q.defineSql({"SELECT FIM_PER, LOT_PER, EXTRACT(YEAR FROM FIM_PER) ANO", "FROM TBPERLOT",
                     "WHERE (INI_PER <= :DATA_LAN) AND", "      (FIM_PER >= :DATA_LAN) "});
        q.defineParametro("DATA_LAN", Valor::dataHora(c.data.emDiasDelphi()));
        q.abre();
        ASSERT_EQ(!q.vazio(), c.achou) << base::formataDataLonga(c.data);
        EXPECT_EQ(q.conta(), c.achou ? 1 : 0);
        EXPECT_EQ(q.campo("LOT_PER").comoInteiro(), c.lote);
        EXPECT_EQ(q.campo("ano").comoTexto(), c.ano);
    }
    db::Consulta semParametro(dir(), {"SELECT * FROM TBPERLOT WHERE INI_PER <= :X"});
    EXPECT_THROW(semParametro.abre(), db::Erro);
}

// Another workstation adds a field, then remakes the table with other fields, while this one
// keeps the tree open: each data set opened afterwards has the table as it now is, inside a
// unit of work or not.
TEST_P(Store, TabelaRefeitaPorOutraEstacaoEhVistaComoEsta) {
    db::Tabela cli(dir(), "TbCli");
    cli.abre(); // keeps the tree's connection
    const auto abreCtl = [&](bool emUnidade) {
        std::optional<db::UnidadeDeTrabalho> u;
        if (emUnidade) u.emplace(dir());
        db::Tabela ctl(dir(), "TbCtl");
        ctl.abre();
        std::vector<std::string> nomes;
        for (auto& c : ctl.campos())
            nomes.push_back(c.nome);
        db::Consulta q(dir(), {"SELECT * FROM TbCtl WHERE num_lot IS NOT NULL"});
        q.abre();
        EXPECT_EQ(q.campos().size(), nomes.size());
        if (u) {
            u->confirma();
        }
        return nomes;
    };
    for (bool emUnidade : {false, true}) {
        SCOPED_TRACE(emUnidade ? "em unidade" : "fora de unidade");
        sqlExec("DROP TABLE IF EXISTS TbCtl");
        sqlExec(sqlite() ? "CREATE TABLE TbCtl (num_lot TEXT)"
                         : "CREATE TABLE tbctl (num_lot TEXT COLLATE \"C\", notera_linha BIGINT "
                           "GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY)");
        EXPECT_EQ(abreCtl(emUnidade), std::vector<std::string>{"num_lot"});
        EXPECT_EQ(abreCtl(emUnidade), std::vector<std::string>{"num_lot"});
        sqlExec("ALTER TABLE TbCtl ADD COLUMN obs_lot TEXT");
        EXPECT_EQ(abreCtl(emUnidade), (std::vector<std::string>{"num_lot", "obs_lot"}));
        sqlExec("DROP TABLE TbCtl");
        sqlExec(sqlite() ? "CREATE TABLE TbCtl (mot_lot TEXT, num_lot INTEGER)"
                         : "CREATE TABLE tbctl (mot_lot TEXT, num_lot INTEGER, notera_linha "
                           "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY)");
        EXPECT_EQ(abreCtl(emUnidade), (std::vector<std::string>{"mot_lot", "num_lot"}));
    }
    {
        // A write through the remade table lands in its new fields.
        db::Tabela ctl(dir(), "TbCtl");
        ctl.abre();
        ctl.acrescenta();
        ctl.define("mot_lot", Valor(std::string("novo")));
        ctl.define("num_lot", Valor(std::int64_t(7)));
        ctl.grava();
        EXPECT_EQ(ctl.campo("num_lot").comoInteiro(), 7);
    }
    EXPECT_EQ(sqlValor("SELECT mot_lot FROM TbCtl WHERE num_lot = 7"), "novo");
    {
        // A data set left open across a remaking: a unit may fail once with the server's
        // text, never twice, and nothing it wrote stays.
        db::Tabela aberta(dir(), "TbCtl");
        aberta.abre();
        sqlExec("DROP TABLE TbCtl");
        sqlExec(sqlite() ? "CREATE TABLE TbCtl (mot_lot TEXT, num_lot TEXT)"
                         : "CREATE TABLE tbctl (mot_lot TEXT, num_lot TEXT, notera_linha BIGINT "
                           "GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY)");
        sqlExec("INSERT INTO TbCtl (mot_lot, num_lot) VALUES ('velho', '1')");
        int falhas = 0;
        for (int tentativa = 0; tentativa < 3; ++tentativa) {
            try {
                db::UnidadeDeTrabalho u(dir());
                aberta.primeiro();
                aberta.edita();
                aberta.define("mot_lot", Valor(std::string("tentativa")));
                aberta.grava();
                u.confirma();
                break;
            } catch (const db::Erro& e) {
                ++falhas;
                EXPECT_NE(std::string(e.what()), "");
                aberta.cancela();
            }
        }
        EXPECT_LE(falhas, 1);
        EXPECT_EQ(sqlValor("SELECT mot_lot FROM TbCtl"), "tentativa");
        EXPECT_EQ(sqlValor("SELECT count(*) FROM TbCtl"), "1");
    }
}

TEST_P(Store, ConsultaComplexaEhMaterializada) {
    db::Consulta q(dir(), {"SELECT hpn_cli, count(*) N FROM TbCli GROUP BY hpn_cli"});
    q.abre();
    EXPECT_EQ(q.conta(), 4); // NULL, 0, 1, 2
    ASSERT_TRUE(q.localiza("hpn_cli", 0));
    EXPECT_EQ(q.campo("N").comoInteiro(), 2);
    EXPECT_THROW(q.acrescenta(), db::Erro);
    sqlExec("INSERT INTO TbCli (cod_cli, hpn_cli) VALUES (9, 0)");
    q.releia();
    EXPECT_EQ(q.campo("N").comoInteiro(), 3);
}

TEST_P(Store, CampoCalculadoEConsultaAtualizavel) {
    sqlExec("INSERT INTO TbPla VALUES ('1.1.01.001', 123, 'CAIXA', ''), ('1.0.00.000', 0, 'ATIVO', "
            "'')");
    db::Consulta q;
    q.defineDiretorio(dir());
    q.defineSql({"Select cde_pla, cdr_pla, nom_pla, plag_pla", "From TbPla"});
    int chamadas = 0;
    q.adicionaCalculado(
        "Codigo", db::Tipo::Texto,
        [&](const db::Registro& r) {
            ++chamadas;
            auto n = r["cdr_pla"].comoInteiro();
            return n < 1 ? Valor("") : Valor(std::to_string(n) + "-X");
        },
        0);
    q.abre();
    ASSERT_EQ(q.campos().size(), 5u);
    EXPECT_EQ(q.campos()[0].nome, "Codigo");
    EXPECT_TRUE(q.campos()[0].calculado);
    EXPECT_EQ(q.campo("codigo").comoTexto(), ""); // first by cde_pla: 1.0.00.000
    q.proximo();
    EXPECT_EQ(q.campo("Codigo").comoTexto(), "123-X");
    EXPECT_EQ(q.leApos(std::nullopt, 5).at(1).em(0).comoTexto(), "123-X");
    EXPECT_GT(chamadas, 0);
    EXPECT_THROW(q.localiza("Codigo", "123-X"), db::Erro);
    q.edita();
    EXPECT_THROW(q.define("Codigo", "1"), db::Erro);
    q.define("nom_pla", "CAIXA GERAL");
    q.grava();
    EXPECT_EQ(sqlValor("SELECT nom_pla FROM TbPla WHERE cdr_pla = 123"), "CAIXA GERAL");
}

TEST_P(Store, SomenteLeituraLeENaoMudaNada) {
    // A file still in its creator's journal mode: a reader must not switch it.
    if (sqlite()) sqlExec("PRAGMA journal_mode=DELETE");
    const auto bytes = [&] {
        if (!sqlite()) return std::string();
        std::ifstream f(db::caminhoArquivo(dir()), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    const std::string antes = bytes();
    db::Tabela t(dir(), "TbCli");
    t.defineSomenteLeitura(true);
    t.abre();
    EXPECT_EQ(t.conta(), 5);
    EXPECT_EQ(t.leApos(std::nullopt, 10).size(), 5u);
    EXPECT_THROW(t.acrescenta(), db::Erro);
    t.primeiro();
    EXPECT_THROW(t.edita(), db::Erro);
    t.fecha();
    EXPECT_EQ(bytes(), antes);
    if (sqlite()) {
        EXPECT_EQ(sqlValor("PRAGMA journal_mode"), "delete");
    }
}

INSTANTIATE_TEST_SUITE_P(Armazens, Store, ::testing::Values(Motor::Sqlite, Motor::Postgres),
                         [](const auto& info) { return nomeDoMotor(info.param); });

} // namespace
