// bench-postagem: posts whole transfers without a window (numbers, cheques, payables,
// receivables, ledger entries and totals) on the demo data, first as shipped and then with
// 10^6 earlier records in each numbered table, and prints the time per transfer.
// A benchmark, not a test: it prints figures and checks only that the records landed.
// bench-postagem [TRANSFERS] [--banco URI]: with a server's URI the demo data tree is made
// there (DIR/banco.conf). Each figure is taken twice: record by record as the writers post
// outside a unit of work, and with each transfer one unit of work.

#include "Dados.h"
#include "PostagemSemTela.h"
#include "db/Armazem.h"
#include "notera/core/Execucao.h"
#include "notera/posting/Registros.h"

#include <QGuiApplication>

#include <libpq-fe.h>
#include <sqlite3.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace notera;

using postagem::libera;
using postagem::reserva;
using postagem::SemTela;

// The earlier records are numbered from here, above whatever the first rounds posted.
constexpr long long Primeiro = 10000000;

// 10^6 earlier records in every numbered table of both companies, in one transaction each.
void enche(const std::string& arquivo, const char* sql) {
    sqlite3* c = nullptr;
    sqlite3_open(arquivo.c_str(), &c);
    sqlite3_exec(c, "BEGIN", nullptr, nullptr, nullptr);
    char* erro = nullptr;
    if (sqlite3_exec(c, sql, nullptr, nullptr, &erro) != SQLITE_OK) {
        std::fprintf(stderr, "bench-postagem: %s\n", erro);
        std::exit(1);
    }
    sqlite3_exec(c, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(c);
}

// The same on the server, in the companies' schemas.
void cresceNoServidor(const std::string& uri, int n) {
    PGconn* c = PQconnectdb(uri.c_str());
    if (PQstatus(c) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(c));
        PQfinish(c);
        return;
    }
    const std::string serie = " FROM generate_series(" + std::to_string(Primeiro) + ", " +
                              std::to_string(Primeiro + n) + ") i";
    for (const char* esquema : {"tabelas_001", "tabelas_002"}) {
        const std::string e = esquema;
        for (const std::string& sql :
             {"INSERT INTO " + e + ".tblct (num_lct, dat_lct, val_lct) SELECT i, '2025-01-02', 1" +
                  serie,
              "INSERT INTO " + e +
                  ".tblanrec (num_lan, dat_lan, val_lan) SELECT i, '2025-01-02', 1" + serie,
              "INSERT INTO " + e +
                  ".tblanpag (num_lan, dat_lan, val_lan) SELECT i, '2025-01-02', 1" + serie,
              "INSERT INTO " + e +
                  ".tbchqpag (lan_chq, ven_chq, val_chq) SELECT i, '2025-01-02', 1" + serie,
              "ANALYZE " + e + ".tblct", "ANALYZE " + e + ".tblanrec", "ANALYZE " + e + ".tblanpag",
              "ANALYZE " + e + ".tbchqpag"}) {
            PGresult* r = PQexec(c, sql.c_str());
            if (PQresultStatus(r) != PGRES_COMMAND_OK) {
                std::fprintf(stderr, "bench-postagem: %s", PQresultErrorMessage(r));
                std::exit(1);
            }
            PQclear(r);
        }
    }
    PQfinish(c);
}

void cresce(const std::string& dados, int n) {
    const std::string serie = "WITH RECURSIVE n(i) AS (SELECT " + std::to_string(Primeiro) +
                              " UNION ALL SELECT i+1 FROM n WHERE i < " +
                              std::to_string(Primeiro + n) + ") ";
    for (const char* empresa : {"/Tabelas/001/tabelas.sqlite", "/Tabelas/002/tabelas.sqlite"}) {
        const std::string arq = dados + empresa;
        enche(arq,
              (serie +
               "INSERT INTO TbLct (num_lct, dat_lct, val_lct) SELECT i, '2025-01-02', 1 FROM n")
                  .c_str());
        enche(arq,
              (serie +
               "INSERT INTO TbLanRec (num_lan, dat_lan, val_lan) SELECT i, '2025-01-02', 1 FROM n")
                  .c_str());
        enche(arq,
              (serie +
               "INSERT INTO TbLanPag (num_lan, dat_lan, val_lan) SELECT i, '2025-01-02', 1 FROM n")
                  .c_str());
        enche(arq,
              (serie +
               "INSERT INTO TbChqPag (lan_chq, ven_chq, val_chq) SELECT i, '2025-01-02', 1 FROM n")
                  .c_str());
    }
}

// The baseline on the server: one raw libpq transaction per transfer writing as many rows
// into the same tables as a posting does (2 payables, 2 cheques, 1 ledger entry in the
// origin; 2 receivables, 1 ledger entry, 1 register record in the destination; 2 totals in
// each; the two counters of the register), on the same server and durability.
struct BaseLibpq {
    double umaIda = -1;        // the whole transaction in one round trip
    double idaPorComando = -1; // the same statements, one round trip each
    double idaVazia = -1;      // microseconds of one round trip that does nothing
};

BaseLibpq baseLibpq(const std::string& uri, int vezes) {
    std::unique_ptr<PGconn, decltype(&PQfinish)> c(PQconnectdb(uri.c_str()), &PQfinish);
    BaseLibpq b;
    if (PQstatus(c.get()) != CONNECTION_OK) {
        std::fprintf(stderr, "%s", PQerrorMessage(c.get()));
        return b;
    }
    auto insere = [](const std::string& tabela, const char* chave, const char* resto,
                     const char* valores) {
        return "INSERT INTO " + tabela + " (" + chave + ", " + resto + ") SELECT coalesce(max(" +
               chave + "), 0) + 1, " + valores + " FROM " + tabela + ";";
    };
    auto totais = [](const std::string& e) {
        return "UPDATE " + e + ".tbtot SET deb_tot = deb_tot + 1 WHERE ctid IN (SELECT ctid FROM " +
               e + ".tbtot ORDER BY cod_tot LIMIT 2);";
    };
    const std::string o = "tabelas_002", d = "tabelas_001";
    const std::string lan = "dat_lan, val_lan", lanV = "'2026-12-10', 1";
    std::string t = "BEGIN;";
    for (int i = 0; i < 2; ++i) {
        t += insere(o + ".tblanpag", "num_lan", lan.c_str(), lanV.c_str());
        t += insere(o + ".tbchqpag", "lan_chq", "ven_chq, val_chq", "'2026-12-10', 1");
        t += insere(d + ".tblanrec", "num_lan", lan.c_str(), lanV.c_str());
    }
    t += insere(o + ".tblct", "num_lct", "dat_lct, val_lct", "'2026-12-10', 1");
    t += insere(d + ".tblct", "num_lct", "dat_lct, val_lct", "'2026-12-10', 1");
    t += insere(d + ".tbcal", "num_cal", "nal_cal, tot_cal", "1, 1");
    t += totais(o) + totais(d);
    t += "UPDATE tabelas.tbemp SET nal_emp = nal_emp + 1 WHERE cod_emp = 1;";
    t += "UPDATE tabelas.tbemp SET nos_emp = nos_emp + 1 WHERE cod_emp = 2;";
    t += "COMMIT";
    // Milliseconds per run of |textos|, each sent and answered before the next.
    auto mede = [&](const std::vector<std::string>& textos, int n) {
        const auto inicio = std::chrono::steady_clock::now();
        for (int i = 0; i < n; ++i)
            for (auto& texto : textos) {
                std::unique_ptr<PGresult, decltype(&PQclear)> r(PQexec(c.get(), texto.c_str()),
                                                                &PQclear);
                const auto st = PQresultStatus(r.get());
                if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
                    std::fprintf(stderr, "%s", PQresultErrorMessage(r.get()));
                    return -1.0;
                }
            }
        const std::chrono::duration<double, std::milli> ms =
            std::chrono::steady_clock::now() - inicio;
        return ms.count() / n;
    };
    std::vector<std::string> comandos;
    for (std::size_t i = 0, j; i < t.size(); i = j + 1) {
        j = t.find(';', i);
        if (j == std::string::npos) j = t.size();
        comandos.push_back(t.substr(i, j - i));
    }
    b.umaIda = mede({t}, vezes);
    b.idaPorComando = mede(comandos, vezes);
    b.idaVazia = mede({"SELECT 1"}, 1000) * 1000;
    return b;
}

double posta(const std::string& dados, int vezes, bool emUnidade) {
    Execucao ex(ServicosHost(nullptr, &reserva, &libera), std::make_unique<SemTela>());
    ex.DataMovimento = base::Data{2026, 12, 10}.emDiasDelphi();
    postagem::abreEmpresas(ex, dados);
    const auto inicio = std::chrono::steady_clock::now();
    for (int i = 0; i < vezes; ++i) {
        const DadosTransferencia d = postagem::transferencia("BENCH");
        std::optional<db::UnidadeDeTrabalho> unidade;
        if (emUnidade) unidade.emplace(ex.DirTabelas);
        std::int32_t numeroAL = 0;
        const auto operacao = NumeraAL(ex, d, numeroAL);
        if (numeroAL <= 0 || !GravaPagar(ex, d, operacao, numeroAL) ||
            !GravaReceber(ex, d, numeroAL)) {
            std::fprintf(stderr, "a transfer was not posted\n");
            return -1;
        }
        if (unidade) unidade->confirma();
    }
    const std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - inicio;
    return ms.count() / vezes;
}

} // namespace

int main(int argc, char** argv) {
    const char* uso = "uso: bench-postagem [VEZES] [--banco URI]\n"
                      "  posts VEZES transfers (default 50) on the demo data, then again with\n"
                      "  10^6 earlier rows in each numbered table, and prints the time of each;\n"
                      "  with --banco the data tree is on that PostgreSQL server\n";
    int vezes = 50;
    bool temVezes = false;
    std::string uri;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(uso, stdout);
            return 0;
        }
        if (a == "--banco" && i + 1 < argc) {
            uri = argv[++i];
            continue;
        }
        auto [p, ec] = std::from_chars(a.data(), a.data() + a.size(), vezes);
        if (temVezes || ec != std::errc() || p != a.data() + a.size() || vezes < 1) {
            std::fputs(uso, stderr);
            return 2;
        }
        temVezes = true;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the demo data draws its logos
    const auto base = std::filesystem::temp_directory_path() / "bench-postagem";
    std::filesystem::remove_all(base);
    const std::string dados = (base / "dados").string();
    try {
        ::dados::demo(dados, uri);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-postagem: %s\n", e.what());
        return 1;
    }

    std::printf("%d transfers of 2 cheques each (2 payables, 2 receivables, 2 cheques, ledger "
                "entries), %s:\n",
                vezes, uri.empty() ? "SQLite" : "PostgreSQL");
    std::printf("  demo data, record by record      %8.2f ms per transfer\n",
                posta(dados, vezes, false));
    std::printf("  demo data, one unit of work      %8.2f ms per transfer\n",
                posta(dados, vezes, true));
    if (!uri.empty()) {
        const BaseLibpq b = baseLibpq(uri, vezes);
        std::printf("  baseline: one raw libpq transaction %5.2f ms per transfer\n", b.umaIda);
        std::printf("  the same, a round trip per statement %4.2f ms per transfer\n",
                    b.idaPorComando);
        std::printf("  a round trip that does nothing   %8.1f us\n", b.idaVazia);
    }
    if (uri.empty())
        cresce(dados, 1000000);
    else
        cresceNoServidor(uri, 1000000);
    std::printf("  10^6 rows, record by record      %8.2f ms per transfer\n",
                posta(dados, vezes, false));
    std::printf("  10^6 rows, one unit of work      %8.2f ms per transfer\n",
                posta(dados, vezes, true));
    std::filesystem::remove_all(base);
    return 0;
}
