// Transfers posted by several notera-host processes at once, and hosts killed in the middle
// of a posting: afterwards every transfer is stored whole in both companies and the register,
// or not at all, and no number is taken twice.

#include "Arvore.h"
#include "Host.h"

#include <libpq-fe.h>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <future>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using apoio::sql;

namespace {

// Origin 2 of destination 1 on the demo data and the destination's page.
const std::string Roteiro = "type 2\nkey Enter\n"
                            "type 1\nkey Enter\n"
                            "type FIN\nkey Enter\n"
                            "type 1\nkey Enter\n"
                            "type 3\nkey Enter\n"
                            "focus Ed_HistVar2\ntype \"REF 99\"\n"
                            "tab Pagina 1\n"
                            "focus Ed_Cliente\ntype 3\nkey Enter\n"
                            "type COM\nkey Enter\n"
                            "type 2\nkey Enter\n"
                            "type 2\nkey Enter\n"
                            "focus Ed_HistVar1\ntype TRANSF\n"
                            "answer Nao\nclick BtOk\n";

// The demo data in SQLite files or on the test server, read from outside the host.
class Concorrencia : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override {
        std::vector<std::string> args = {apoio::binario("notera-dados"), "demo", dados()};
        if (GetParam() == Motor::Postgres) {
            banco = std::make_unique<BancoDeTestes>();
            args.insert(args.end(), {"--banco", banco->uri()});
        }
        auto r = apoio::executa(
            args, {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", dir.caminho()}});
        ASSERT_EQ(r.saida, 0) << r.err;
    }

    std::string dados() const { return dir / "dados"; }
    // Which directory: its SQLite file or its schema on the server.
    std::string destino() const { return "001"; }
    std::string origem() const { return "002"; }
    std::string registro() const { return ""; }

    // The rows of a query, fields joined by "|".
    std::vector<std::string> linhas(const std::string& onde, const std::string& consulta) {
        std::vector<std::string> l;
        if (GetParam() == Motor::Sqlite) {
            const std::string arquivo =
                dados() + "/Tabelas/" + (onde.empty() ? "" : onde + "/") + "tabelas.sqlite";
            std::istringstream in(sql(arquivo, consulta));
            for (std::string s; std::getline(in, s);)
                l.push_back(s);
            return l;
        }
        PGconn* c = PQconnectdb(banco->uri().c_str());
        const std::string esquema = onde.empty() ? "tabelas" : "tabelas_" + onde;
        PGresult* r = PQexec(c, ("SET search_path TO " + esquema + ";" + consulta).c_str());
        if (PQresultStatus(r) != PGRES_TUPLES_OK) {
            ADD_FAILURE() << consulta << "\n" << PQerrorMessage(c);
        } else {
            for (int i = 0; i < PQntuples(r); ++i) {
                std::string s;
                for (int j = 0; j < PQnfields(r); ++j)
                    s += (j ? "|" : "") + std::string(PQgetvalue(r, i, j));
                l.push_back(s);
            }
        }
        PQclear(r);
        PQfinish(c);
        return l;
    }
    std::string um(const std::string& onde, const std::string& consulta) {
        auto l = linhas(onde, consulta);
        return l.empty() ? "<none>" : l[0];
    }

    std::vector<std::string> argumentos() const {
        return {"transferencia", "--dados",    dados() + "/", "--empresa", "1",
                "--valor",       "1500",       "--ref",       "NF 10",     "--controle",
                "CTL",           "--contabil", "--data",      "2025-06-15"};
    }

    // Every store file passes its integrity check; every AL in any table is whole: its two
    // payables in the origin, its two receivables and its register record in
    // the destination; the AL counter is the highest AL stored. Answers the ALs stored since
    // the test began.
    std::set<int> confereInteiros() {
        // The server keeps its own consistency: a dropped client's transaction is rolled back.
        if (GetParam() == Motor::Sqlite) {
            for (const auto& f : {registro(), origem(), destino()}) {
                EXPECT_EQ(um(f, "PRAGMA integrity_check"), "ok") << f;
            }
        }
        std::set<int> als;
        for (const auto& [arquivo, consulta] : std::vector<std::pair<std::string, std::string>>{
                 {origem(), "SELECT DISTINCT nal_lan FROM TbLanPag WHERE nal_lan > 0"},
                 {destino(), "SELECT DISTINCT nal_lan FROM TbLanRec WHERE nal_lan > 0"},
                 {destino(), "SELECT nal_cal FROM TbCal"}})
            for (const auto& l : linhas(arquivo, consulta))
                if (std::stoi(l) > alInicial) als.insert(std::stoi(l)); // the demo's own stay
        for (int al : als) {
            SCOPED_TRACE("AL " + std::to_string(al));
            const std::string n = std::to_string(al);
            EXPECT_EQ(um(origem(), "SELECT count(*) FROM TbLanPag WHERE nal_lan = " + n), "2");
            EXPECT_EQ(um(destino(), "SELECT count(*) FROM TbLanRec WHERE nal_lan = " + n), "2");
            EXPECT_EQ(um(destino(), "SELECT count(*) FROM TbCal WHERE nal_cal = " + n), "1");
            // Each ledger entry of the transfer names one of its records.
            EXPECT_EQ(um(origem(), "SELECT count(*) FROM TbLct WHERE orl_lct = 'FPA' AND cor_lct "
                                   "IN (SELECT num_lan FROM TbLanPag WHERE nal_lan = " +
                                       n + ")"),
                      "2");
            EXPECT_EQ(um(destino(), "SELECT count(*) FROM TbLct WHERE orl_lct = 'FRE' AND cor_lct "
                                    "IN (SELECT num_lan FROM TbLanRec WHERE nal_lan = " +
                                        n + ")"),
                      "1");
        }
        const std::string nal = um(registro(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 1");
        EXPECT_EQ(nal, std::to_string(als.empty() ? alInicial : *als.rbegin()));
        // Numbers taken once: the register's and the ledgers'.
        EXPECT_EQ(um(destino(), "SELECT count(*) - count(DISTINCT num_cal) FROM TbCal"), "0");
        EXPECT_EQ(um(origem(), "SELECT count(*) - count(DISTINCT num_lct) FROM TbLct"), "0");
        EXPECT_EQ(um(destino(), "SELECT count(*) - count(DISTINCT num_lct) FROM TbLct"), "0");
        return als;
    }

    apoio::DirTemp dir;
    std::unique_ptr<BancoDeTestes> banco;
    int alInicial = 0;
};

TEST_P(Concorrencia, DuasEstacoesAoMesmoTempo) {
    alInicial = std::stoi(um(registro(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 1"));
    const int rodadas = 4;
    apoio::DirTemp a, b;
    for (int k = 0; k < rodadas; ++k) {
        SCOPED_TRACE("rodada " + std::to_string(k));
        auto fa = std::async(std::launch::async,
                             [&] { return apoio::rodaHost(a, argumentos(), Roteiro); });
        auto fb = std::async(std::launch::async,
                             [&] { return apoio::rodaHost(b, argumentos(), Roteiro); });
        for (auto* f : {&fa, &fb}) {
            const auto e = f->get();
            EXPECT_EQ(e.r.saida, 0) << e.r.err;
            EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
            QStringList textos;
            for (const auto& m : e.eventos("message"))
                textos << m["text"].toString();
            EXPECT_EQ(textos, QStringList{"Imprimir \"Aviso de Lançamento\" ?"})
                << textos.join(" | ").toStdString();
        }
    }
    const auto als = confereInteiros();
    std::set<int> esperados;
    for (int k = 1; k <= 2 * rodadas; ++k)
        esperados.insert(alInicial + k);
    EXPECT_EQ(als, esperados);
}

// Starts notera-host, waits until the posting asks for its reservation (the last step before
// it writes), lets it run |atrasoUs| more and kills it. Answers whether it was killed (false
// when it had already ended).
bool mataDuranteAPostagem(const apoio::DirTemp& d, const std::vector<std::string>& args,
                          int atrasoUs) {
    const std::string log = d / "log.jsonl";
    std::filesystem::remove(log);
    apoio::gravaArquivo(d / "roteiro.txt", Roteiro);
    std::vector<std::string> argv = {apoio::binario("notera-host")};
    argv.insert(argv.end(), args.begin(), args.end());
    argv.insert(argv.end(), {"--script", d / "roteiro.txt", "--log", log});
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        ::setenv("XDG_RUNTIME_DIR", d.caminho().c_str(), 1);
        ::setenv("TMPDIR", d.caminho().c_str(), 1);
        const int nulo = ::open("/dev/null", O_RDWR);
        ::dup2(nulo, 0);
        ::dup2(nulo, 1);
        ::dup2(nulo, 2);
        std::vector<char*> v;
        for (auto& s : argv)
            v.push_back(s.data());
        v.push_back(nullptr);
        ::execv(v[0], v.data());
        _exit(127);
    }
    bool terminou = false;
    int estado = 0;
    for (int i = 0; i < 20000; ++i) { // 20 s at most
        if (::waitpid(pid, &estado, WNOHANG) == pid) {
            terminou = true;
            break;
        }
        if (apoio::existe(log) && apoio::leArquivo(log).find("\"reserve\"") != std::string::npos)
            break;
        ::usleep(1000);
    }
    if (terminou) return false;
    ::usleep(static_cast<useconds_t>(atrasoUs));
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &estado, 0);
    return WIFSIGNALED(estado);
}

TEST_P(Concorrencia, HostMortoNoMeioDaPostagem) {
    alInicial = std::stoi(um(registro(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 1"));
    apoio::DirTemp d;
    std::mt19937 sorte(std::random_device{}());
    std::uniform_int_distribution<int> atraso(0, 60000);
    const int vezes = 12;
    int mortos = 0;
    for (int k = 0; k < vezes; ++k) {
        const int us = atraso(sorte);
        SCOPED_TRACE("atraso " + std::to_string(us) + " us");
        if (mataDuranteAPostagem(d, argumentos(), us)) ++mortos;
        confereInteiros();
        if (HasFailure()) break;
    }
    EXPECT_GT(mortos, 0); // the host was killed at least once, or the test proved nothing
    // A posting after the kills is stored whole.
    const auto antes = confereInteiros();
    auto e = apoio::rodaHost(d, argumentos(), Roteiro);
    EXPECT_EQ(e.r.saida, 0) << e.r.err;
    const auto depois = confereInteiros();
    EXPECT_EQ(depois.size(), antes.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Motores, Concorrencia, ::testing::Values(Motor::Sqlite, Motor::Postgres),
                         [](const auto& i) { return nomeDoMotor(i.param); });

} // namespace
