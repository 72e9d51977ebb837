// bench-db: times the store's operations on tables of 10^4 and 10^6 rows.
// Not a test; run by hand: bench-db [DIR] (default: a new directory under $TMPDIR).

#include "db/Conjunto.h"
#include "db/Esquema.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
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

void bancada(const std::string& base, int n) {
    std::string dir = base + "/" + std::to_string(n);
    fs::create_directories(dir);
    db::criaArquivo(dir, db::Nivel::Empresa);
    auto ini = Relogio::now();
    enche(dir, n);
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
    const char* uso = "uso: bench-db [DIR]\n"
                      "  times the store on tables of 10^4 and 10^6 rows, in DIR or in a new\n"
                      "  directory under $TMPDIR that is removed afterwards\n";
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(uso, stdout);
        return 0;
    }
    // An option it does not know is never taken for a directory to fill.
    if (argc > 2 || (argc > 1 && argv[1][0] == '-')) {
        std::fputs(uso, stderr);
        return 2;
    }
    std::string base;
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::puts("uso: bench-db [DIR]\n\nTimes the store's operations on tables of 10^4 and "
                  "10^6 rows made in DIR\n(default: a new directory under $TMPDIR, removed "
                  "after).");
        return 0;
    }
    if (argc > 1) {
        base = argv[1];
    } else {
        std::string modelo = (fs::temp_directory_path() / "bench-db-XXXXXX").string();
        if (!mkdtemp(modelo.data())) return 1;
        base = modelo;
    }
    try {
        for (int n : {10000, 1000000})
            bancada(base, n);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench-db: %s\n", e.what());
        return 1;
    }
    if (argc <= 1) fs::remove_all(base);
    return 0;
}
