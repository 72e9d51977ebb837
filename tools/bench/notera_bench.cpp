// notera-bench: one table of the system's timings on two generated data trees, a small one
// and a large one, measured in one run: the store operations that lookups, the form and
// posting make, posting a transfer beside a raw SQLite transaction writing the same rows,
// and (through bench-formulario, one process per tree) the form's start, origin switch,
// selection dialog and peak memory. A benchmark, not a test.

#include "Arvore.h"
#include "Descargas.h"
#include "Medida.h"
#include "tools/Dados.h"
#include "tools/PostagemSemTela.h"

#include "db/Conjunto.h"
#include "db/Esquema.h"
#include "notera/core/Execucao.h"
#include "notera/posting/Confirma.h"

#include <QGuiApplication>

#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using namespace notera;

namespace {

const char* Uso =
    "uso: notera-bench [--dados DIR] [--pequeno N] [--grande N] [--vezes K] [--sem-formulario]\n"
    "\n"
    "Generates (once, kept in DIR) two data trees of N rows in every catalogue, chart of\n"
    "accounts, ledger and numbered table, measures the store's operations, the form and a\n"
    "posting on both, and prints one table: each operation's median, the ratio of the two\n"
    "sizes and the target.\n"
    "  --dados DIR       where the trees are kept (default: bench-dados beside this program)\n"
    "  --pequeno N       rows of the small tree (default 1000)\n"
    "  --grande N        rows of the large tree (default 1000000)\n"
    "  --vezes K         runs per operation (default 51; postings: K/3)\n"
    "  --sem-formulario  leaves out the form's figures (bench-formulario)\n";

// One line of the table: a figure per tree, a unit and the target it is held to.
struct Linha {
    std::string nome;
    std::string unidade; // "us", "ms", "MB", "x", ""
    double pequeno = NAN, grande = NAN;
    double limite = NAN;   // at the large size, in the unit; NaN: none
    double razaoMax = NAN; // large / small; NaN: none
    std::string observacao;
};

using postagem::libera;
using postagem::reserva;
using postagem::SemTela;

std::string dirEmpresa(const std::string& dados, int e) {
    return dados::diretorioEmpresa(dados, e);
}

// ---------------------------------------------------------------------------------------
// Store operations.

std::map<std::string, double> mediraLoja(const std::string& dados, long n, int vezes) {
    std::map<std::string, double> r;
    const std::string d1 = dirEmpresa(dados, 1);
    std::mt19937 rng(7);
    auto codigo = [&] { return static_cast<std::int64_t>(100000 + rng() % n); };

    Execucao ex(ServicosHost(nullptr, &reserva, &libera), std::make_unique<SemTela>());
    auto& dest = ex.TabDestino;
    auto& pad = ex.TabPadroes;
    struct Abertura {
        const char* nome;
        db::Conjunto* c;
        std::string dir;
    };
    const std::string reg = dados + "/Tabelas";
    std::vector<Abertura> aberturas = {
        {"open QTbEmp", &pad.QTbEmp, reg},
        {"open QTbCli", &dest.QTbCli, d1},
        {"open QTbRed", &dest.QTbRed, d1},
        {"open QTbHis", &dest.QTbHis, d1},
        {"open QTbPla", &dest.QTbPla, d1},
        {"open QTbPlaG", &dest.QTbPlaG, d1},
        {"open QTbBan", &dest.QTbBan, d1},
        {"open QTbCen", &dest.QTbCen, d1},
        {"open QTbFor", &ex.TabOrigem.QTbFor, d1},
        {"open TbLanRec", &dest.TbLanRec, d1},
        {"open TbLct", &dest.TbLctDes, d1},
        {"open TbTot", &dest.TbTotDes, d1},
        {"open TbCal", &pad.TbCal, d1},
        {"open TbCtl", &pad.TbCtl, d1},
    };
    for (auto& a : aberturas) {
        a.c->defineDiretorio(a.dir);
        r[a.nome] = bench::mediana(vezes, [&] {
            a.c->abre();
            a.c->fecha();
        });
    }
    {
        db::Consulta periodos(d1, {"SELECT FIM_PER, LOT_PER, EXTRACT(YEAR FROM FIM_PER) ANO",
                                   "FROM TBPERLOT", "WHERE (INI_PER <= :DATA_LAN) AND",
                                   "      (FIM_PER >= :DATA_LAN) "});
        periodos.defineParametro("DATA_LAN", db::Valor(base::Data{2026, 12, 10}));
        r["open periods query"] = bench::mediana(vezes, [&] {
            periodos.abre();
            periodos.fecha();
        });
    }

    auto& q = dest.QTbCli;
    q.abre();
    std::vector<std::string> nomes;
    for (int i = 0; i < 64; ++i) {
        q.localiza("cod_cli", db::Valor(codigo()));
        nomes.push_back(q.campo("nom_cli").comoTexto());
    }
    std::size_t k = 0;
    auto buscas = [&](const std::string& sufixo) {
        r["locate by code" + sufixo] =
            bench::mediana(vezes, [&] { q.localiza("cod_cli", db::Valor(codigo())); });
        r["locate by name" + sufixo] = bench::mediana(
            vezes, [&] { q.localiza("nom_cli", db::Valor(nomes[k++ % nomes.size()])); });
        for (std::size_t tamanho : {1, 4, 12}) {
            r["prefix " + std::to_string(tamanho) + sufixo] = bench::mediana(vezes, [&] {
                q.localiza("nom_cli", db::Valor(nomes[k++ % nomes.size()].substr(0, tamanho)),
                           db::Busca::Prefixo);
            });
        }
    };
    buscas("");
    r["prefix, no match"] = bench::mediana(
        vezes, [&] { q.localiza("nom_cli", db::Valor("ALFA BETA CASA X"), db::Busca::Prefixo); });
    r["ordinal position"] = bench::mediana(std::max(5, vezes / 5), [&] {
        q.localiza("cod_cli", db::Valor(codigo()));
        (void)q.posicao();
    });
    q.localiza("cod_cli", db::Valor(codigo()));
    auto m = *q.marcador();
    r["window 20 after"] = bench::mediana(vezes, [&] { q.leApos(m, 20); });
    r["window 20 before"] = bench::mediana(vezes, [&] { q.leAntes(m, 20); });

    auto& lan = dest.TbLanRec;
    lan.abre();
    r["next number"] = bench::mediana(vezes, [&] {
        lan.ordena("num_lan");
        lan.releia();
        lan.ultimo();
        (void)(lan.campo("num_lan").comoInteiro() + 1);
    });
    // The lookups above run while SQLite's page cache still grows: at 10^6 rows nearly each
    // one reads its pages into fresh memory, whose first touch costs a page fault. The same
    // lookups once the cache is full and recycles its pages:
    for (int i = 0; i < 1000; ++i)
        q.localiza("cod_cli", db::Valor(codigo()));
    buscas(", cache full");
    return r;
}

// ---------------------------------------------------------------------------------------
// Posting, its baseline and its flushes.

struct FechaSqlite {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};
using Con = std::unique_ptr<sqlite3, FechaSqlite>;

void exec(sqlite3* c, const std::string& t) {
    char* e = nullptr;
    if (sqlite3_exec(c, t.c_str(), nullptr, nullptr, &e) != SQLITE_OK) {
        std::string m = e ? e : sqlite3_errmsg(c);
        sqlite3_free(e);
        throw db::Erro(m + " in: " + t);
    }
}

// What one posting wrote, read back: rows added (after each table's highest row id) and
// rows changed in the small tables that hold counters and totals.
struct Escrita {
    std::string esquema, tabela;
    std::vector<std::string> colunas;
    std::vector<std::vector<db::Valor>> novas;
    std::vector<std::pair<std::int64_t, std::vector<db::Valor>>> mudadas;
};

struct Foto {
    std::map<std::string, std::int64_t> maxLinha;                                   // schema.table
    std::map<std::string, std::map<std::int64_t, std::vector<db::Valor>>> pequenas; // rows
};

db::Valor coluna(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
        return db::Valor(static_cast<std::int64_t>(sqlite3_column_int64(s, i)));
    case SQLITE_FLOAT:
        return db::Valor(sqlite3_column_double(s, i));
    case SQLITE_TEXT:
        return db::Valor(std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                     static_cast<std::size_t>(sqlite3_column_bytes(s, i))));
    case SQLITE_BLOB: {
        auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(s, i));
        return db::Valor(db::Bytes(p, p + sqlite3_column_bytes(s, i)));
    }
    default:
        return {};
    }
}

void liga(sqlite3_stmt* s, int i, const db::Valor& v) {
    const auto& d = v.dado();
    if (auto* x = std::get_if<std::int64_t>(&d))
        sqlite3_bind_int64(s, i, *x);
    else if (auto* y = std::get_if<double>(&d))
        sqlite3_bind_double(s, i, *y);
    else if (auto* t = std::get_if<std::string>(&d))
        sqlite3_bind_text(s, i, t->c_str(), static_cast<int>(t->size()), SQLITE_TRANSIENT);
    else if (auto* b = std::get_if<db::Bytes>(&d))
        sqlite3_bind_blob(s, i, b->data(), static_cast<int>(b->size()), SQLITE_TRANSIENT);
    else
        sqlite3_bind_null(s, i);
}

// One connection to company 1 with company 2 and the register attached, as a raw client
// would hold them, with the store's journal mode and durability.
Con conexaoBruta(const std::string& dados) {
    sqlite3* c = nullptr;
    sqlite3_open_v2(db::caminhoArquivo(dirEmpresa(dados, 1)).c_str(), &c, SQLITE_OPEN_READWRITE,
                    nullptr);
    Con con(c);
    sqlite3_busy_timeout(c, 15000);
    exec(c, "ATTACH '" + db::caminhoArquivo(dirEmpresa(dados, 2)) + "' AS e2");
    exec(c, "ATTACH '" + db::caminhoArquivo(dados + "/Tabelas") + "' AS reg");
    for (const char* e : {"main", "e2", "reg"})
        exec(c, std::string("PRAGMA ") + e + ".journal_mode=PERSIST; PRAGMA " + e +
                    ".synchronous=FULL");
    return con;
}

const std::vector<std::pair<std::string, std::vector<std::string>>>& tabelasEscritas() {
    static const std::vector<std::pair<std::string, std::vector<std::string>>> t = {
        {"main", {"TbLanRec", "TbLct", "TbTot", "TbCtl", "TbCal"}},
        {"e2", {"TbLanPag", "TbChqPag", "TbLct", "TbTot", "TbCtl"}},
        {"reg", {"TbEmp"}}};
    return t;
}

bool pequena(const std::string& t) {
    return t == "TbTot" || t == "TbCtl" || t == "TbEmp";
}

Foto fotografa(sqlite3* c) {
    Foto f;
    for (auto& [esq, tabs] : tabelasEscritas())
        for (auto& t : tabs) {
            const std::string nome = esq + "." + t;
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(c, ("SELECT max(rowid) FROM " + nome).c_str(), -1, &s, nullptr);
            sqlite3_step(s);
            f.maxLinha[nome] = sqlite3_column_int64(s, 0);
            sqlite3_finalize(s);
            if (!pequena(t)) continue;
            sqlite3_prepare_v2(c, ("SELECT rowid, * FROM " + nome).c_str(), -1, &s, nullptr);
            while (sqlite3_step(s) == SQLITE_ROW) {
                std::vector<db::Valor> v;
                for (int i = 1; i < sqlite3_column_count(s); ++i)
                    v.push_back(coluna(s, i));
                f.pequenas[nome][sqlite3_column_int64(s, 0)] = std::move(v);
            }
            sqlite3_finalize(s);
        }
    return f;
}

std::vector<Escrita> diferenca(sqlite3* c, const Foto& antes) {
    std::vector<Escrita> r;
    Foto depois = fotografa(c);
    for (auto& [esq, tabs] : tabelasEscritas())
        for (auto& t : tabs) {
            const std::string nome = esq + "." + t;
            Escrita e{esq, t, {}, {}, {}};
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(c, ("SELECT * FROM " + nome + " WHERE rowid > ?").c_str(), -1, &s,
                               nullptr);
            sqlite3_bind_int64(s, 1, antes.maxLinha.at(nome));
            for (int i = 0; i < sqlite3_column_count(s); ++i)
                e.colunas.push_back(sqlite3_column_name(s, i));
            while (sqlite3_step(s) == SQLITE_ROW) {
                std::vector<db::Valor> v;
                for (int i = 0; i < sqlite3_column_count(s); ++i)
                    v.push_back(coluna(s, i));
                e.novas.push_back(std::move(v));
            }
            sqlite3_finalize(s);
            if (pequena(t)) {
                const auto& a = antes.pequenas.count(nome)
                                    ? antes.pequenas.at(nome)
                                    : decltype(depois.pequenas)::mapped_type{};
                for (auto& [linha, v] : depois.pequenas[nome]) {
                    auto it = a.find(linha);
                    if (it != a.end() && !(it->second == v)) e.mudadas.emplace_back(linha, v);
                }
            }
            if (!e.novas.empty() || !e.mudadas.empty()) r.push_back(std::move(e));
        }
    return r;
}

// The same writes in one raw transaction: added rows again, their unique keys left NULL
// (SQLite's unique indexes admit any number of NULLs), changed rows written again.
void escreveBruto(sqlite3* c, const std::vector<Escrita>& escritas) {
    exec(c, "BEGIN IMMEDIATE");
    for (auto& e : escritas) {
        std::vector<std::string> unicos;
        for (auto nivel : {db::Nivel::Registro, db::Nivel::Empresa})
            for (auto& t : db::esquema(nivel))
                if (t.nome == e.tabela) unicos = t.unicos;
        if (!e.novas.empty()) {
            std::string cols, vals;
            for (std::size_t i = 0; i < e.colunas.size(); ++i) {
                cols += (i ? ", \"" : "\"") + e.colunas[i] + "\"";
                vals += i ? ", ?" : "?";
            }
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(c,
                               ("INSERT INTO " + e.esquema + "." + e.tabela + " (" + cols +
                                ") VALUES (" + vals + ")")
                                   .c_str(),
                               -1, &s, nullptr);
            for (auto& v : e.novas) {
                for (std::size_t i = 0; i < v.size(); ++i) {
                    bool chave = false;
                    for (auto& u : unicos)
                        chave |= u == e.colunas[i];
                    liga(s, static_cast<int>(i + 1), chave ? db::Valor() : v[i]);
                }
                if (sqlite3_step(s) != SQLITE_DONE) throw db::Erro(sqlite3_errmsg(c));
                sqlite3_reset(s);
            }
            sqlite3_finalize(s);
        }
        for (auto& [linha, v] : e.mudadas) {
            std::string sets;
            for (std::size_t i = 0; i < e.colunas.size(); ++i)
                sets += (i ? ", \"" : "\"") + e.colunas[i] + "\" = ?";
            sqlite3_stmt* s = nullptr;
            sqlite3_prepare_v2(
                c,
                ("UPDATE " + e.esquema + "." + e.tabela + " SET " + sets + " WHERE rowid = ?")
                    .c_str(),
                -1, &s, nullptr);
            for (std::size_t i = 0; i < v.size(); ++i)
                liga(s, static_cast<int>(i + 1), v[i]);
            sqlite3_bind_int64(s, static_cast<int>(v.size() + 1), linha);
            if (sqlite3_step(s) != SQLITE_DONE) throw db::Erro(sqlite3_errmsg(c));
            sqlite3_finalize(s);
        }
    }
    exec(c, "COMMIT");
}

struct Postagem {
    double ms = NAN, base = NAN, descargas = NAN, descargasBase = NAN;
    int linhas = 0;
};

Postagem medePostagem(const std::string& dados, int vezes) {
    Postagem p;
    Execucao ex(ServicosHost(nullptr, &reserva, &libera), std::make_unique<SemTela>());
    ex.DataMovimento = base::Data{2026, 12, 10}.emDiasDelphi();
    postagem::abreEmpresas(ex, dados);
    Con bruta = conexaoBruta(dados);
    // The OK action's posting: one unit of work across the three files.
    auto posta = [&] {
        const ResultadoPostagem r = PostaTransferencia(ex, postagem::transferencia("BENCH"));
        if (r.NumeroAL <= 0 || !r.Confirmado || !r.Concluida)
            throw db::Erro("a transfer was not posted");
    };
    posta(); // warms the caches and shows what a posting writes
    Foto antes = fotografa(bruta.get());
    posta();
    const auto escritas = diferenca(bruta.get(), antes);
    for (auto& e : escritas)
        p.linhas += static_cast<int>(e.novas.size() + e.mudadas.size());

    std::vector<double> tp, tb, dp, db_;
    for (int i = 0; i < vezes; ++i) {
        auto d0 = bench::descargas();
        auto t0 = bench::Relogio::now();
        posta();
        tp.push_back(std::chrono::duration<double, std::milli>(bench::Relogio::now() - t0).count());
        dp.push_back(static_cast<double>(bench::descargas() - d0));
        d0 = bench::descargas();
        t0 = bench::Relogio::now();
        escreveBruto(bruta.get(), escritas);
        tb.push_back(std::chrono::duration<double, std::milli>(bench::Relogio::now() - t0).count());
        db_.push_back(static_cast<double>(bench::descargas() - d0));
    }
    p.ms = bench::mediana(tp);
    p.base = bench::mediana(tb);
    p.descargas = bench::mediana(dp);
    p.descargasBase = bench::mediana(db_);
    return p;
}

// ---------------------------------------------------------------------------------------
// The form, in a process of its own per tree so that its peak memory is its own.

std::map<std::string, double> medeFormulario(const std::string& programa, const std::string& dados,
                                             int vezes) {
    std::map<std::string, double> r;
    int tubo[2];
    if (pipe(tubo) != 0) return r;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(tubo[1], 1);
        close(tubo[0]);
        close(tubo[1]);
        const std::string v = std::to_string(vezes);
        execl(programa.c_str(), programa.c_str(), "--dados", dados.c_str(), "--vezes", v.c_str(),
              static_cast<char*>(nullptr));
        std::perror(programa.c_str());
        _exit(127);
    }
    close(tubo[1]);
    std::string saida;
    char buf[4096];
    for (ssize_t k; (k = read(tubo[0], buf, sizeof buf)) > 0;)
        saida.append(buf, static_cast<std::size_t>(k));
    close(tubo[0]);
    int st = 0;
    waitpid(pid, &st, 0);
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0)
        std::fprintf(stderr, "notera-bench: %s failed on %s\n", programa.c_str(), dados.c_str());
    std::size_t ini = 0;
    while (ini < saida.size()) {
        std::size_t fim = saida.find('\n', ini);
        if (fim == std::string::npos) fim = saida.size();
        const std::string l = saida.substr(ini, fim - ini);
        ini = fim + 1;
        const auto tab = l.find('\t');
        if (tab != std::string::npos) r[l.substr(0, tab)] = std::atof(l.c_str() + tab + 1);
    }
    return r;
}

// ---------------------------------------------------------------------------------------

std::string numero(double v, const std::string& unidade) {
    if (std::isnan(v)) return "-";
    char b[64];
    if (unidade == "us" && v >= 1000)
        std::snprintf(b, sizeof b, "%.2f ms", v / 1000);
    else if (unidade == "us")
        std::snprintf(b, sizeof b, "%.1f us", v);
    else if (unidade.empty())
        std::snprintf(b, sizeof b, "%.0f", v);
    else
        std::snprintf(b, sizeof b, "%.2f %s", v, unidade.c_str());
    return b;
}

void imprime(const std::vector<Linha>& linhas, long pequeno, long grande, int vezes) {
    std::printf("\nnotera-bench: medians of %d runs (postings: %d), one run; trees of %s and %s "
                "rows per table\n\n",
                vezes, std::max(5, vezes / 3), bench::potencia(pequeno).c_str(),
                bench::potencia(grande).c_str());
    std::printf("%-40s %12s %12s %8s  %-18s %s\n", "operation", bench::potencia(pequeno).c_str(),
                bench::potencia(grande).c_str(), "ratio", "target", "");
    for (auto& l : linhas) {
        const double razao = l.grande / l.pequeno;
        std::string alvo;
        bool ok = true;
        if (!std::isnan(l.limite)) {
            alvo = "< " + numero(l.limite, l.unidade);
            ok &= !(l.grande >= l.limite);
        }
        if (!std::isnan(l.razaoMax)) {
            char b[32];
            std::snprintf(b, sizeof b, "%s%.1fx", alvo.empty() ? "" : ", ", l.razaoMax);
            alvo += b;
            ok &= !(razao > l.razaoMax);
        }
        const bool semAlvo = alvo.empty();
        if (!l.observacao.empty()) alvo += (alvo.empty() ? "" : " ") + l.observacao;
        char r[32] = "-";
        if (!std::isnan(razao) && std::isfinite(razao)) std::snprintf(r, sizeof r, "%.2f", razao);
        std::printf("%-40s %12s %12s %8s  %-18s %s\n", l.nome.c_str(),
                    numero(l.pequeno, l.unidade).c_str(), numero(l.grande, l.unidade).c_str(), r,
                    alvo.c_str(), semAlvo ? "" : (ok ? "ok" : "MISSED"));
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string dir;
    long pequeno = 1000, grande = 1000000;
    int vezes = 51;
    bool formulario = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto valor = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fputs(Uso, stderr);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(Uso, stdout);
            return 0;
        } else if (a == "--dados") {
            dir = valor();
        } else if (a == "--pequeno") {
            pequeno = std::atol(valor().c_str());
        } else if (a == "--grande") {
            grande = std::atol(valor().c_str());
        } else if (a == "--vezes") {
            vezes = std::atoi(valor().c_str());
        } else if (a == "--sem-formulario") {
            formulario = false;
        } else {
            std::fputs(Uso, stderr);
            return 2;
        }
    }
    if (pequeno < 10 || grande < 10 || vezes < 1) {
        std::fputs(Uso, stderr);
        return 2;
    }
    const fs::path aqui = fs::canonical("/proc/self/exe").parent_path();
    if (dir.empty()) dir = (aqui.parent_path() / "bench-dados").string();

    bench::instalaContador();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the demo data draws its logos

    struct Medidas {
        std::map<std::string, double> loja, form;
        Postagem post;
    };
    std::map<long, Medidas> m;
    try {
        for (long n : {pequeno, grande}) {
            const std::string d = dir + "/" + std::to_string(n);
            auto t0 = bench::Relogio::now();
            if (bench::preparaArvore(d, n))
                std::fprintf(stderr, "notera-bench: tree of %ld rows made in %.0f s (%s)\n", n,
                             std::chrono::duration<double>(bench::Relogio::now() - t0).count(),
                             d.c_str());
        }
        for (long n : {pequeno, grande}) {
            const std::string d = dir + "/" + std::to_string(n);
            std::fprintf(stderr, "notera-bench: measuring %s\n", d.c_str());
            m[n].loja = mediraLoja(d, n, vezes);
            m[n].post = medePostagem(d, std::max(5, vezes / 3));
            if (formulario)
                m[n].form =
                    medeFormulario((aqui / "bench-formulario").string(), d, std::max(5, vezes / 5));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-bench: %s\n", e.what());
        return 1;
    }

    std::vector<Linha> linhas;
    auto loja = [&](const std::string& chave, const std::string& nome, double limite, double razao,
                    std::string obs = {}) {
        linhas.push_back({nome, "us", m[pequeno].loja[chave], m[grande].loja[chave], limite, razao,
                          std::move(obs)});
    };
    for (auto [chave, nome] : {std::pair{"locate by code", "locate by code (QTbCli)"},
                               {"locate by name", "locate by name, exact"},
                               {"prefix 1", "prefix search, 1 character"},
                               {"prefix 4", "prefix search, 4 characters"},
                               {"prefix 12", "prefix search, 12 characters"}}) {
        loja(chave, nome, 1000, 2);
        loja(std::string(chave) + ", cache full", "  the same, page cache full", NAN, NAN,
             "(after 1000 more lookups)");
    }
    loja("prefix, no match", "prefix search, no match", 1000, 2);
    loja("ordinal position", "ordinal position (exact count)", NAN, NAN, "(no keystroke asks it)");
    loja("window 20 after", "window: 20 rows after a record", 1000, 2);
    loja("window 20 before", "window: 20 rows before a record", 1000, 2);
    loja("next number", "next number (TbLanRec)", 1000, 2);
    for (const char* a :
         {"open QTbEmp", "open QTbCli", "open QTbFor", "open QTbRed", "open QTbHis", "open QTbPla",
          "open QTbPlaG", "open QTbBan", "open QTbCen", "open TbLanRec", "open TbLct", "open TbTot",
          "open TbCal", "open TbCtl", "open periods query"})
        loja(a, a, NAN, 2);
    auto post = [&](auto campo) {
        return std::pair(campo(m[pequeno].post), campo(m[grande].post));
    };
    {
        auto [a, b] = post([](const Postagem& p) { return p.ms; });
        linhas.push_back({"posting: transfer, 2 cheques, ledger", "ms", a, b, NAN, 2, {}});
        auto [c, d] = post([](const Postagem& p) { return p.base; });
        linhas.push_back({"  baseline: one raw transaction", "ms", c, d, NAN, 2, {}});
        linhas.push_back({"  posting / baseline", "x", a / c, b / d, 1.5, NAN, {}});
        auto [e, f] = post([](const Postagem& p) { return p.descargas; });
        linhas.push_back({"  synchronous flushes per posting", "", e, f, NAN, NAN, {}});
        auto [g, h] = post([](const Postagem& p) { return p.descargasBase; });
        linhas.push_back({"  synchronous flushes, baseline", "", g, h, NAN, NAN, {}});
        auto [i, j] = post([](const Postagem& p) { return static_cast<double>(p.linhas); });
        linhas.push_back({"  rows written or changed", "", i, j, NAN, NAN, {}});
    }
    if (formulario) {
        auto form = [&](const std::string& chave, const std::string& nome,
                        const std::string& unidade, double limite, double razao) {
            auto v = [&](long n) {
                auto it = m[n].form.find(chave);
                return it == m[n].form.end() ? NAN : it->second;
            };
            linhas.push_back({nome, unidade, v(pequeno), v(grande), limite, razao, {}});
        };
        form("form start, first", "GeraAL to form shown, first call", "ms", NAN, NAN);
        form("form start", "GeraAL to form shown (offscreen)", "ms", 150, 2);
        form("origin switch", "origin switch", "ms", 150, 2);
        form("dialog at prefix", "selection dialog at a prefix's match", "ms", 150, 2);
        form("peak rss", "peak memory (RSS) of the form", "MB", 150, NAN);
    }
    imprime(linhas, pequeno, grande, vezes);
    return 0;
}
