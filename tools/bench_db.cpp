// bench-db: times the store's operations on tables of 10^4 and 10^6 rows.
// Not a test; run by hand: bench-db [DIR] [--banco URI] (default: a new directory under
// $TMPDIR). With a server's URI the tables are made there (DIR/banco.conf).

#include "db/Armazem.h"
#include "db/Conjunto.h"
#include "db/Esquema.h"

#include <libpq-fe.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

namespace {

std::string nome(std::mt19937& rng) {
    static const char* partes[] = {"ALFA",  "BETA",    "CASA",  "DELTA",  "EMPORIO",
                                   "FARIA", "GOMES",   "HORTA", "IRMAOS", "JOIA",
                                   "LIMA",  "MERCADO", "NOVA",  "OURO",   "PAULISTA",
                                   "RIO",   "SILVA",   "TERRA", "UNIAO",  "VALE"};
    std::string s;
    for (int i = 0; i < 3; ++i)
        s += std::string(partes[rng() % 20]) + " ";
    return s + std::to_string(rng() % 100000);
}

void enche(const std::string& dir, int n) {
    sqlite3* c = nullptr;
    sqlite3_open(db::caminhoArquivo(dir).c_str(), &c);
    sqlite3_exec(c, "BEGIN", nullptr, nullptr, nullptr);
    std::mt19937 rng(42);
    sqlite3_stmt *cli = nullptr, *lan = nullptr;
    sqlite3_prepare_v2(c, "INSERT INTO TbCli VALUES (?, ?, '1.1.02.001', 2)", -1, &cli, nullptr);
    sqlite3_prepare_v2(c, "INSERT INTO TbLanPag (num_lan, val_lan, his_lan) VALUES (?, 10.5, 'X')",
                       -1, &lan, nullptr);
    std::vector<int> codigos(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        codigos[static_cast<std::size_t>(i)] = i + 1;
    std::shuffle(codigos.begin(), codigos.end(), rng); // rows not stored in key order
    for (int i = 0; i < n; ++i) {
        std::string nm = nome(rng);
        sqlite3_bind_int(cli, 1, codigos[static_cast<std::size_t>(i)]);
        sqlite3_bind_text(cli, 2, nm.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(cli);
        sqlite3_reset(cli);
        sqlite3_bind_int(lan, 1, codigos[static_cast<std::size_t>(i)]);
        sqlite3_step(lan);
        sqlite3_reset(lan);
    }
    sqlite3_finalize(cli);
    sqlite3_finalize(lan);
    sqlite3_exec(c, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(c);
}

// The same rows on the server, made there.
void encheNoServidor(const std::string& uri, const std::string& esquema, int n) {
    PGconn* c = PQconnectdb(uri.c_str());
    const std::string e = "\"" + esquema + "\"";
    const std::string partes = "(ARRAY['ALFA','BETA','CASA','DELTA','EMPORIO','FARIA','GOMES',"
                               "'HORTA','IRMAOS','JOIA','LIMA','MERCADO','NOVA','OURO',"
                               "'PAULISTA','RIO','SILVA','TERRA','UNIAO','VALE'])";
    const std::string parte = partes + "[1 + floor(random() * 20)::int]";
    for (const std::string& sql :
         {std::string("SELECT setseed(0.42)"),
          "INSERT INTO " + e + ".tbcli (cod_cli, nom_cli, ccn_cli, hpn_cli) SELECT i, " + parte +
              " || ' ' || " + parte + " || ' ' || " + parte +
              " || ' ' || floor(random() * 100000)::int, '1.1.02.001', 2 FROM generate_series(1, " +
              std::to_string(n) + ") i ORDER BY random()",
          "INSERT INTO " + e +
              ".tblanpag (num_lan, val_lan, his_lan) SELECT i, 10.5, 'X' FROM "
              "generate_series(1, " +
              std::to_string(n) + ") i ORDER BY random()",
          "ANALYZE " + e + ".tbcli", "ANALYZE " + e + ".tblanpag"}) {
        PGresult* r = PQexec(c, sql.c_str());
        auto st = PQresultStatus(r);
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)
            std::fprintf(stderr, "%s", PQresultErrorMessage(r));
        PQclear(r);
    }
    PQfinish(c);
}

// Median time of |vezes| runs, in microseconds.
double mede(int vezes, const std::function<void()>& f) {
    std::vector<double> t;
    for (int i = 0; i < vezes; ++i) {
        auto ini = Relogio::now();
        f();
        t.push_back(std::chrono::duration<double, std::micro>(Relogio::now() - ini).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void bancada(const std::string& base, int n, const std::string& uri) {
    std::string dir = base + "/" + std::to_string(n);
    fs::create_directories(dir);
    db::criaTabelas(dir, db::Nivel::Empresa);
    auto ini = Relogio::now();
    if (uri.empty())
        enche(dir, n);
    else
        encheNoServidor(uri, db::localDe(dir).esquema, n);
    std::printf("\n%d rows (filled in %.1f s)\n", n,
                std::chrono::duration<double>(Relogio::now() - ini).count());

    std::mt19937 rng(7);
    const std::vector<std::string> qcli = {"Select cod_cli, nom_cli, ccn_cli, hpn_cli",
                                           "From TbCli"};
    db::Consulta q(dir, qcli);
    q.abre();
    std::vector<std::string> nomes;
    for (int i = 0; i < 50; ++i) {
        q.localiza("cod_cli", static_cast<int>(rng() % static_cast<unsigned>(n)) + 1);
        nomes.push_back(q.campo("nom_cli").comoTexto());
    }
    std::size_t k = 0;
    auto linha = [](const char* oque, double us) { std::printf("  %-44s %10.1f us\n", oque, us); };

    linha("open query (QTbCli) + first record", mede(50, [&] {
              db::Consulta x(dir, qcli);
              x.abre();
          }));
    linha("open table (TbLanPag) + first record", mede(50, [&] {
              db::Tabela x(dir, "TbLanPag");
              x.abre();
          }));
    linha("locate cod_cli exact", mede(200, [&] {
              q.localiza("cod_cli", static_cast<int>(rng() % static_cast<unsigned>(n)) + 1);
          }));
    linha("locate nom_cli exact", mede(200, [&] { q.localiza("nom_cli", nomes[k++ % 50]); }));
    linha("prefix nom_cli, 12 chars (query order)", mede(200, [&] {
              q.localiza("nom_cli", nomes[k++ % 50].substr(0, 12), db::Busca::Prefixo);
          }));
    linha("prefix nom_cli, 4 chars (query order)", mede(50, [&] {
              q.localiza("nom_cli", nomes[k++ % 50].substr(0, 4), db::Busca::Prefixo);
          }));
    linha("prefix miss", mede(200, [&] { q.localiza("nom_cli", "ZZZ", db::Busca::Prefixo); }));

    db::Tabela lan(dir, "TbLanPag");
    lan.abre();
    lan.ordena("num_lan");
    linha("next number (order, re-read, last, +1)", mede(200, [&] {
              lan.releia();
              lan.ultimo();
              (void)(lan.campo("num_lan").comoInteiro() + 1);
          }));
    linha("next number (store: highest + 1)",
          mede(200, [&] { (void)lan.proximoNumero("num_lan"); }));
    linha("next number + append + post in a unit", mede(50, [&] {
              db::UnidadeDeTrabalho u(dir);
              lan.acrescenta();
              lan.define("num_lan", lan.proximoNumero("num_lan"));
              lan.grava();
              u.confirma();
          }));
    linha("append + post (one committed write)", mede(50, [&] {
              lan.ultimo();
              auto prox = lan.campo("num_lan").comoInteiro() + 1;
              lan.acrescenta();
              lan.define("num_lan", prox);
              lan.grava();
          }));

    q.ordena("nom_cli");
    q.vaiParaPosicao(n / 2);
    auto m = *q.marcador();
    linha("window: 20 rows after current (by name)", mede(200, [&] { q.leApos(m, 20); }));
    linha("window: 20 rows before current (by name)", mede(200, [&] { q.leAntes(m, 20); }));
    linha("next / prior record (by name)", mede(200, [&] {
              q.proximo();
              q.anterior();
          }));
    linha("ordinal of current record (middle)", mede(20, [&] { (void)q.posicao(); }));
    linha("go to ordinal n/2", mede(20, [&] { q.vaiParaPosicao(n / 2); }));
    linha("count records", mede(20, [&] { (void)q.conta(); }));
}

} // namespace

int main(int argc, char** argv) {
    const char* uso = "uso: bench-db [DIR] [--banco URI]\n"
                      "  times the store on tables of 10^4 and 10^6 rows, in DIR or in a new\n"
                      "  directory under $TMPDIR that is removed afterwards; with --banco the\n"
                      "  tables are made on that PostgreSQL server\n";
    std::string base, uri;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(uso, stdout);
            return 0;
        }
        if (a == "--banco" && i + 1 < argc) {
            uri = argv[++i];
        } else if (a.rfind("-", 0) == 0 || !base.empty()) {
            // An option it does not know is never taken for a directory to fill.
            std::fputs(uso, stderr);
            return 2;
        } else {
            base = a;
        }
    }
    const bool temporario = base.empty();
    if (!temporario) {
    } else {
        std::string modelo = (fs::temp_directory_path() / "bench-db-XXXXXX").string();
        if (!mkdtemp(modelo.data())) return 1;
        base = modelo;
    }
    try {
        if (!uri.empty()) {
            if (fs::exists(fs::path(base) / "banco.conf"))
                throw db::Erro(base + "/banco.conf já existe");
            std::ofstream(fs::path(base) / "banco.conf") << uri << "\n";
        }
        std::printf("store: %s\n", uri.empty() ? "SQLite" : "PostgreSQL");
        for (int n : {10000, 1000000})
            bancada(base, n, uri);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-db: %s\n", e.what());
        return 1;
    }
    if (temporario) fs::remove_all(base);
    return 0;
}
