// Units of work, next numbers and reservations, on both stores.

#include "Arvore.h"

#include "db/Armazem.h"
#include "db/Conjunto.h"
#include "db/Esquema.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>

namespace fs = std::filesystem;
using db::Valor;

namespace {

class Unidade : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override {
        NOTERA_PULA_SEM_SERVIDOR(GetParam());
        arvore = std::make_unique<Arvore>(GetParam());
        arvore->executa(arvore->registro(),
                        "INSERT INTO TbEmp (cod_emp, nom_emp, nal_emp) VALUES (1, 'UM', 10), "
                        "(2, 'DOIS', 20)");
    }
    std::string conta(const std::string& dir, const std::string& tabela) {
        return arvore->valor(dir, "SELECT count(*) FROM " + tabela);
    }
    std::unique_ptr<Arvore> arvore;
};

// One posting across the register and two companies, made to fail after each step in turn.
TEST_P(Unidade, TudoOuNadaEmTresDiretorios) {
    for (int falhaApos = 1; falhaApos <= 5; ++falhaApos) {
        SCOPED_TRACE("falha depois do passo " + std::to_string(falhaApos));
        db::Consulta emp(arvore->registro(), {"Select *", "From TbEmp"});
        db::Tabela pag(arvore->empresa(1), "TbLanPag");
        db::Tabela rec(arvore->empresa(2), "TbLanRec");
        db::Tabela cal(arvore->empresa(2), "TbCal");
        for (db::Conjunto* c : std::initializer_list<db::Conjunto*>{&emp, &pag, &rec, &cal})
            c->abre();
        bool confirmou = false;
        try {
            db::UnidadeDeTrabalho u(arvore->registro());
            auto passo = [&](int n) {
                if (n == falhaApos) throw std::runtime_error("falha injetada");
            };
            ASSERT_TRUE(emp.localiza("cod_emp", 2));
            emp.edita();
            emp.define("nal_emp", emp.campo("nal_emp").comoInteiro() + 1);
            emp.grava();
            passo(1);
            pag.acrescenta();
            pag.define("num_lan", pag.proximoNumero("num_lan"));
            pag.define("val_lan", Valor(base::Dinheiro::deDezMilesimos(15000000)));
            pag.grava();
            passo(2);
            rec.acrescenta();
            rec.define("num_lan", rec.proximoNumero("num_lan"));
            rec.grava();
            passo(3);
            cal.acrescenta();
            cal.define("num_cal", cal.proximoNumero("num_cal"));
            cal.grava();
            passo(4);
            u.confirma();
            confirmou = true;
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "falha injetada");
        }
        if (!confirmou) {
            EXPECT_EQ(
                arvore->valor(arvore->registro(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 2"),
                "20");
            EXPECT_EQ(conta(arvore->empresa(1), "TbLanPag"), "0");
            EXPECT_EQ(conta(arvore->empresa(2), "TbLanRec"), "0");
            EXPECT_EQ(conta(arvore->empresa(2), "TbCal"), "0");
            // What the data sets show is what is stored.
            emp.releia();
            ASSERT_TRUE(emp.localiza("cod_emp", 2));
            EXPECT_EQ(emp.campo("nal_emp").comoInteiro(), 20);
        } else {
            EXPECT_EQ(
                arvore->valor(arvore->registro(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 2"),
                "21");
            EXPECT_EQ(conta(arvore->empresa(1), "TbLanPag"), "1");
            EXPECT_EQ(conta(arvore->empresa(2), "TbLanRec"), "1");
            EXPECT_EQ(arvore->valor(arvore->empresa(2), "SELECT num_cal FROM TbCal"), "1");
        }
    }
}

TEST_P(Unidade, ForaDeUnidadeCadaGravacaoEhConfirmada) {
    db::Tabela pag(arvore->empresa(1), "TbLanPag");
    pag.abre();
    for (int n = 1; n <= 3; ++n) {
        pag.acrescenta();
        pag.define("num_lan", pag.proximoNumero("num_lan"));
        pag.grava();
        EXPECT_EQ(conta(arvore->empresa(1), "TbLanPag"), std::to_string(n));
    }
    EXPECT_EQ(arvore->valor(arvore->empresa(1), "SELECT max(num_lan) FROM TbLanPag"), "3");
}

TEST_P(Unidade, ProximoNumeroEhOMaiorMaisUm) {
    db::Tabela lct(arvore->empresa(1), "TbLct");
    lct.abre();
    EXPECT_EQ(lct.proximoNumero("num_lct"), 1);
    arvore->executa(arvore->empresa(1), "INSERT INTO TbLct (num_lct) VALUES (7), (3)");
    EXPECT_EQ(lct.proximoNumero("NUM_LCT"), 8);
    // A query over the table numbers by the whole table, whatever its condition.
    db::Consulta q(arvore->empresa(1), {"SELECT num_lct FROM TbLct WHERE num_lct < 5"});
    q.abre();
    EXPECT_EQ(q.proximoNumero("num_lct"), 8);
    EXPECT_THROW(lct.proximoNumero("nao_existe"), db::Erro);
}

// Message boxes wait until the unit is over: after the commit, or after the rollback.
TEST_P(Unidade, AcoesGuardadasParaDepoisDoFim) {
    db::Tabela cal(arvore->empresa(2), "TbCal");
    cal.abre();
    std::vector<std::string> vistos;
    {
        db::UnidadeDeTrabalho u(arvore->empresa(2));
        cal.acrescenta();
        cal.define("num_cal", 1);
        cal.grava();
        u.aoConfirmar(
            [&] { vistos.push_back("confirmada:" + conta(arvore->empresa(2), "TbCal")); });
        u.aoTerminar([&] { vistos.push_back("fim:" + conta(arvore->empresa(2), "TbCal")); });
        EXPECT_TRUE(vistos.empty());
        u.confirma();
        EXPECT_TRUE(u.confirmada());
    }
    EXPECT_EQ(vistos, (std::vector<std::string>{"confirmada:1", "fim:1"}));
    vistos.clear();
    {
        db::UnidadeDeTrabalho u(arvore->empresa(2));
        cal.acrescenta();
        cal.define("num_cal", 2);
        cal.grava();
        u.aoConfirmar([&] { vistos.push_back("confirmada"); });
        u.aoTerminar([&] { vistos.push_back("fim:" + conta(arvore->empresa(2), "TbCal")); });
    }
    EXPECT_EQ(vistos, (std::vector<std::string>{"fim:1"}));
}

TEST_P(Unidade, UnidadeInternaSemConfirmarDesfazTudo) {
    db::Tabela cal(arvore->empresa(2), "TbCal");
    cal.abre();
    db::UnidadeDeTrabalho fora(arvore->registro());
    cal.acrescenta();
    cal.define("num_cal", 1);
    cal.grava();
    {
        db::UnidadeDeTrabalho dentro(arvore->empresa(2));
        cal.acrescenta();
        cal.define("num_cal", 2);
        cal.grava();
    }
    EXPECT_THROW(fora.confirma(), db::Erro);
    EXPECT_EQ(conta(arvore->empresa(2), "TbCal"), "0");

    db::UnidadeDeTrabalho outra(arvore->registro());
    {
        db::UnidadeDeTrabalho dentro(arvore->empresa(2));
        cal.acrescenta();
        cal.define("num_cal", 5);
        cal.grava();
        dentro.confirma();
        EXPECT_EQ(conta(arvore->empresa(2), "TbCal"), "0"); // only the outermost commits
    }
    outra.confirma();
    EXPECT_EQ(conta(arvore->empresa(2), "TbCal"), "1");
}

// An engine error inside a unit: its text reaches the caller, nothing stays, the next unit
// works.
TEST_P(Unidade, ErroDoMotorNoMeioNaoDeixaNada) {
    arvore->executa(arvore->empresa(1), "INSERT INTO TbChqPag (lan_chq) VALUES (2)");
    db::Tabela chq(arvore->empresa(1), "TbChqPag");
    db::Tabela pag(arvore->empresa(1), "TbLanPag");
    chq.abre();
    pag.abre();
    std::string texto;
    try {
        db::UnidadeDeTrabalho u(arvore->empresa(1));
        pag.acrescenta();
        pag.define("num_lan", 1);
        pag.grava();
        chq.acrescenta();
        chq.define("lan_chq", 2);
        chq.grava();
        u.confirma();
    } catch (const db::Erro& e) {
        texto = e.what();
        chq.cancela();
    }
    EXPECT_NE(texto.find(GetParam() == Motor::Sqlite ? "UNIQUE constraint failed"
                                                     : "duplicate key value violates unique"),
              std::string::npos)
        << texto;
    EXPECT_EQ(conta(arvore->empresa(1), "TbLanPag"), "0");

    db::UnidadeDeTrabalho u(arvore->empresa(1));
    chq.acrescenta();
    chq.define("lan_chq", chq.proximoNumero("lan_chq"));
    chq.grava();
    u.confirma();
    EXPECT_EQ(arvore->valor(arvore->empresa(1), "SELECT max(lan_chq) FROM TbChqPag"), "3");
}

TEST_P(Unidade, ReservaNoServidorEhTravaConsultiva) {
    if (GetParam() == Motor::Sqlite) {
        EXPECT_FALSE(db::emServidor(arvore->empresa(2)));
        return;
    }
    ASSERT_TRUE(db::emServidor(arvore->empresa(2)));
    PGconn* outra = PQconnectdb(arvore->uri().c_str());
    ASSERT_EQ(PQstatus(outra), CONNECTION_OK) << PQerrorMessage(outra);
    auto tenta = [&](const char* funcao) {
        std::string t =
            std::string("SELECT ") + funcao + "(hashtextextended('notera:tabelas_002.tbcal', 0))";
        PGresult* r = PQexec(outra, t.c_str());
        std::string v = PQgetvalue(r, 0, 0);
        PQclear(r);
        return v;
    };
    {
        auto r = db::Reserva::reserva(arvore->empresa(2), "TbCal.db", 1000);
        ASSERT_TRUE(r.has_value());
        EXPECT_EQ(tenta("pg_try_advisory_lock"), "f"); // another workstation is refused
    }
    EXPECT_EQ(tenta("pg_try_advisory_lock"), "t"); // released with the reservation
    EXPECT_FALSE(db::Reserva::reserva(arvore->empresa(2), "TbCal", 200).has_value());
    EXPECT_EQ(tenta("pg_advisory_unlock"), "t");
    EXPECT_TRUE(db::Reserva::reserva(arvore->empresa(2), "TbCal", 200).has_value());
    PQfinish(outra);
}

INSTANTIATE_TEST_SUITE_P(Armazens, Unidade, ::testing::Values(Motor::Sqlite, Motor::Postgres),
                         [](const auto& info) { return nomeDoMotor(info.param); });

} // namespace

namespace {

// Every commit leaves each written file's rollback journal in place and empty: a zeroed one
// of some size would be opened and read again at the start of every later statement.
TEST(ArquivoSqlite, ConfirmacaoDeixaODiarioVazio) {
    Arvore arvore(Motor::Sqlite);
    struct Caso {
        const char* nome;
        std::vector<std::string> diretorios;
        bool emUnidade;
    } casos[] = {
        {"gravação fora de unidade", {arvore.empresa(1)}, false},
        {"unidade num só arquivo", {arvore.registro()}, true},
        {"unidade em dois arquivos", {arvore.empresa(1), arvore.empresa(2)}, true},
    };
    std::int64_t empresa = 10;
    for (auto& c : casos) {
        SCOPED_TRACE(c.nome);
        std::vector<std::unique_ptr<db::Tabela>> tabelas;
        std::vector<std::string> antes;
        for (auto& d : c.diretorios) {
            const bool registro = d == arvore.registro();
            tabelas.push_back(std::make_unique<db::Tabela>(d, registro ? "TbEmp" : "TbLct"));
            tabelas.back()->abre();
            antes.push_back(arvore.valor(d, registro ? "SELECT count(*) FROM TbEmp"
                                                     : "SELECT count(*) FROM TbLct"));
        }
        std::optional<db::UnidadeDeTrabalho> u;
        if (c.emUnidade) u.emplace(c.diretorios.front());
        for (std::size_t i = 0; i < tabelas.size(); ++i) {
            auto& t = *tabelas[i];
            t.acrescenta();
            if (c.diretorios[i] == arvore.registro())
                t.define("cod_emp", ++empresa);
            else
                t.define("num_lct", t.proximoNumero("num_lct"));
            t.grava();
        }
        if (u) u->confirma();
        for (std::size_t i = 0; i < c.diretorios.size(); ++i) {
            const auto& d = c.diretorios[i];
            const bool registro = d == arvore.registro();
            EXPECT_EQ(arvore.valor(d, registro ? "SELECT count(*) FROM TbEmp"
                                               : "SELECT count(*) FROM TbLct"),
                      std::to_string(std::stoi(antes[i]) + 1));
            const fs::path diario = db::caminhoArquivo(d) + "-journal";
            ASSERT_TRUE(fs::exists(diario)) << diario;
            EXPECT_EQ(fs::file_size(diario), 0u) << diario;
        }
    }
}

TEST(Configuracao, UriDoBancoConf) {
    struct Caso {
        const char* texto;
        const char* uri;
    } casos[] = {
        {"postgresql:///dados?host=/run/pg\n", "postgresql:///dados?host=/run/pg"},
        {"# servidor da matriz\n\n  \t postgresql://u@h/db  \r\n# outro\npostgresql://x/y\n",
         "postgresql://u@h/db"},
        {"", ""},
        {"# só comentário\n\n", ""},
        {"postgresql://a/b", "postgresql://a/b"},
    };
    for (auto& c : casos)
        EXPECT_EQ(db::uriDeConfiguracao(c.texto), c.uri) << c.texto;
}

TEST(Configuracao, EsquemaDeCadaDiretorio) {
    TempDir raiz;
    fs::create_directories(raiz.caminho() / "Tabelas" / "001");
    { std::ofstream(raiz.caminho() / "banco.conf") << "postgresql:///x\n"; }
    struct Caso {
        std::string diretorio;
        const char* esquema;
    } casos[] = {
        {raiz.str() + "/Tabelas", "tabelas"},
        {raiz.str() + "/Tabelas/", "tabelas"},
        {raiz.str() + "/Tabelas/001", "tabelas_001"},
        {raiz.str() + "/Tabelas/001/../001//", "tabelas_001"},
        {raiz.str() + "/Tabelas/Filial/A", "tabelas_filial_a"},
    };
    for (auto& c : casos) {
        auto l = db::localDe(c.diretorio);
        EXPECT_TRUE(l.servidor());
        EXPECT_EQ(l.esquema, c.esquema) << c.diretorio;
        EXPECT_EQ(l.raiz, raiz.str());
        EXPECT_EQ(l.uri, "postgresql:///x");
    }
    for (const std::string& texto :
         {std::string("# nada\n"), std::string("postgresql:///x\0host=/outro\n", 28)}) {
        std::ofstream(raiz.caminho() / "banco.conf") << texto;
        EXPECT_THROW(db::localDe(raiz.str() + "/Tabelas"), db::Erro);
    }
    fs::remove(raiz.caminho() / "banco.conf");
    EXPECT_FALSE(db::localDe(raiz.str() + "/Tabelas/001").servidor());
}

} // namespace

namespace {

// A server that is not there: the data set and the unit say so with libpq's own text.
TEST(Configuracao, ServidorAusenteDaOTextoDaConexao) {
    TempDir raiz;
    fs::create_directories(raiz.caminho() / "Tabelas");
    std::ofstream(raiz.caminho() / "banco.conf")
        << "postgresql:///nenhum?host=" << raiz.str() << "/sem-servidor\n";
    db::Tabela t(raiz.str() + "/Tabelas", "TbEmp");
    try {
        t.abre();
        ADD_FAILURE() << "opened a table on no server";
    } catch (const db::Erro& e) {
        const std::string texto = e.what();
        EXPECT_NE(texto.find("connection to server"), std::string::npos) << texto;
        EXPECT_NE(texto.find((raiz.caminho() / "Tabelas").string()), std::string::npos) << texto;
    }
    EXPECT_FALSE(t.aberto());
    EXPECT_THROW(db::UnidadeDeTrabalho u(raiz.str() + "/Tabelas"), db::Erro);
}

} // namespace

namespace {

// The server ends the tree's connections (another session kills them) between two
// statements of a unit: the unit fails with libpq's text and leaves nothing, not even what a
// data set opened after the cut wrote, and the data sets opened before it, a materialised query
// among them, go on in the next unit through a new connection.
TEST(ConexaoPerdida, UnidadeFalhaSemDeixarNadaEAProximaReconecta) {
    NOTERA_PULA_SEM_SERVIDOR(Motor::Postgres);
    Arvore arvore(Motor::Postgres);
    arvore.executa(arvore.registro(),
                   "INSERT INTO TbEmp (cod_emp, nom_emp, nal_emp) VALUES (1, 'UM', 10)");
    db::Tabela emp(arvore.registro(), "TbEmp");
    db::Tabela pag(arvore.empresa(1), "TbLanPag");
    db::Consulta grupos(arvore.registro(),
                        {"SELECT nal_emp, count(*) AS n FROM TbEmp GROUP BY nal_emp"});
    for (db::Conjunto* c : std::initializer_list<db::Conjunto*>{&emp, &pag, &grupos})
        c->abre();
    const auto derruba = [&] {
        arvore.executa(arvore.registro(),
                       "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                       "datname = current_database() AND pid <> pg_backend_pid()");
    };
    const auto posta = [&](std::int64_t lan) {
        db::UnidadeDeTrabalho u(arvore.registro());
        ASSERT_TRUE(emp.localiza("cod_emp", 1));
        emp.edita();
        emp.define("nal_emp", emp.campo("nal_emp").comoInteiro() + 1);
        emp.grava();
        if (lan == 1) {
            derruba();
            // Steps whose failures the caller passes over: the first finds the connection
            // lost, and a data set opened after it must not write outside the unit.
            EXPECT_THROW(pag.conta(), db::Erro);
            try {
                db::Tabela cal(arvore.empresa(2), "TbCal");
                cal.abre();
                cal.acrescenta();
                cal.define("num_cal", 1);
                cal.grava();
            } catch (const db::Erro&) {
            }
        }
        pag.acrescenta();
        pag.define("num_lan", lan);
        pag.grava();
        u.confirma();
    };
    std::string texto;
    try {
        posta(1);
        ADD_FAILURE() << "a unit went on after its connection was ended";
    } catch (const db::Erro& e) {
        texto = e.what();
        pag.cancela();
    }
    EXPECT_TRUE(texto.find("terminating connection") != std::string::npos ||
                texto.find("server closed the connection") != std::string::npos ||
                texto.find("no connection to the server") != std::string::npos)
        << texto;
    EXPECT_EQ(arvore.valor(arvore.registro(), "SELECT nal_emp FROM TbEmp"), "10");
    EXPECT_EQ(arvore.valor(arvore.empresa(1), "SELECT count(*) FROM TbLanPag"), "0");
    EXPECT_EQ(arvore.valor(arvore.empresa(2), "SELECT count(*) FROM TbCal"), "0");

    ASSERT_NO_THROW(posta(2));
    EXPECT_EQ(arvore.valor(arvore.registro(), "SELECT nal_emp FROM TbEmp"), "11");
    EXPECT_EQ(arvore.valor(arvore.empresa(1), "SELECT num_lan FROM TbLanPag"), "2");
    // The query's own connection was ended too: it is read again on a new one.
    ASSERT_NO_THROW(grupos.releia());
    EXPECT_EQ(grupos.conta(), 1);
}

} // namespace
