#include "Arvore.h"

#include "db/Esquema.h"
#include "db/Valor.h"
#include "tools/Dados.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace bench {

namespace {

struct Fecha {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};

void executa(sqlite3* c, const std::string& texto) {
    char* erro = nullptr;
    if (sqlite3_exec(c, texto.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
        std::string msg = erro ? erro : sqlite3_errmsg(c);
        sqlite3_free(erro);
        throw db::Erro(msg + " in: " + texto.substr(0, 200));
    }
}

// Rows 0..n-1 of a series; the codes are a permutation of the row numbers, so rows are not
// stored in key order, and names are three words and a number picked by a hash of the row.
std::string serie(long n) {
    return "WITH RECURSIVE s(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM s WHERE i < " +
           std::to_string(n - 1) +
           "), "
           "w(t) AS (SELECT 'ALFA    BETA    CASA    DELTA   EMPORIO FARIA   GOMES   HORTA   "
           "IRMAOS  JOIA    LIMA    MERCADO NOVA    OURO    PAULISTARIO     SILVA   TERRA   "
           "UNIAO   VALE    '), "
           "h(i, k, p) AS (SELECT i, (i * 2654435761) % 4294967296, (i * 7919) % " +
           std::to_string(n) + " FROM s) ";
}

std::string palavra(const std::string& e) {
    return "rtrim(substr((SELECT t FROM w), 1 + 8 * (" + e + "), 8))";
}

std::string nome() {
    return palavra("k % 20") + " || ' ' || " + palavra("(k / 20) % 20") + " || ' ' || " +
           palavra("(k / 400) % 20") + " || ' ' || ((k / 8000) % 100000)";
}

void catalogos(sqlite3* c, long n) {
    const std::string s = serie(n), nm = nome(), cod = "100000 + p";
    executa(c, s + "INSERT INTO TbCli (cod_cli, nom_cli, ccn_cli, hpn_cli) SELECT " + cod + ", " +
                   nm + ", '', 0 FROM h");
    executa(c, s + "INSERT INTO TbFor (cod_for, nom_for, ccn_for, hpn_for) SELECT " + cod + ", " +
                   nm + ", '', 0 FROM h");
    executa(c, s + "INSERT INTO TbRed (cod_red, nom_red, ccb_red, his_red) SELECT " + cod + ", " +
                   nm + ", '', 0 FROM h");
    executa(c, s + "INSERT INTO TbHis (cod_his, nom_his) SELECT " + cod + ", " + nm + " FROM h");
    executa(c, s + "INSERT INTO TbBan (cod_ban, nom_ban, ccb_ban, ccn_ban, hpn_ban) SELECT " + cod +
                   ", " + nm + ", '', '', 0 FROM h");
    executa(c, s + "INSERT INTO TbCen (cod_cen, nom_cen) SELECT printf('Z%07d', p), " + nm +
                   " FROM h");
    executa(c, s +
                   "INSERT INTO TbPla (cde_pla, cdr_pla, nom_pla, plag_pla) SELECT "
                   "printf('9.%d.%02d.%04d', p / 1000000, (p / 10000) % 100, p % 10000), "
                   "100000 + p, " +
                   nm + ", '' FROM h");
    executa(c, s +
                   "INSERT INTO TbPlaG (cde_pla, cdr_pla, nom_pla) SELECT "
                   "printf('9.%d.%02d.%04d', p / 1000000, (p / 10000) % 100, p % 10000), "
                   "100000 + p, " +
                   nm + " FROM h");
}

// Earlier records below the demo's numbers' next values would clash, so they start high.
void movimento(sqlite3* c, long n) {
    const std::string s = serie(n);
    executa(c, s + "INSERT INTO TbLct (num_lct, dat_lct, lot_lct, cfd_lct, val_lct) "
                   "SELECT 100000 + i, '2025-01-02', '001/2025', '1.1.01.001', 1 FROM h");
    for (const char* t : {"TbLanPag", "TbLanRec"})
        executa(c, s + "INSERT INTO " + t +
                       " (num_lan, dat_lan, ven_lan, his_lan, val_lan, sit_lan) SELECT "
                       "100000 + i, '2025-01-02', '2025-02-02', 'HISTORICO', 10.5, 'A' FROM h");
    executa(c, s + "INSERT INTO TbChqPag (lan_chq, num_chq, ven_chq, val_chq, sit_chq) "
                   "SELECT 100000 + i, i, '2025-02-02', 10.5, 'C' FROM h");
    executa(c, s + "INSERT INTO TbCal (num_cal, nal_cal, dat_cal, his_cal) "
                   "SELECT 100000 + i, i, '2025-01-02', 'AL' FROM h");
}

// Indexes are made once after the rows: far faster than keeping them up to date row by row.
std::vector<std::string> tiraIndices(sqlite3* c) {
    std::vector<std::string> criar, nomes;
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(c,
                       "SELECT name, sql FROM sqlite_schema WHERE type = 'index' AND sql NOT NULL",
                       -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
        nomes.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
        criar.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 1)));
    }
    sqlite3_finalize(s);
    for (auto& n : nomes)
        executa(c, "DROP INDEX \"" + n + "\"");
    return criar;
}

void cresce(const std::string& arquivo, long n, bool comCatalogos) {
    sqlite3* bruto = nullptr;
    if (sqlite3_open_v2(arquivo.c_str(), &bruto, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        throw db::Erro(arquivo + ": " + sqlite3_errmsg(bruto));
    std::unique_ptr<sqlite3, Fecha> c(bruto);
    // Bulk filling without a journal; the file gets the store's journal mode back after.
    executa(c.get(), "PRAGMA journal_mode=DELETE; PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;"
                     "PRAGMA cache_size=-262144; BEGIN");
    const auto indices = tiraIndices(c.get());
    if (comCatalogos) catalogos(c.get(), n);
    movimento(c.get(), n);
    for (auto& i : indices)
        executa(c.get(), i);
    executa(c.get(), "COMMIT; PRAGMA journal_mode=PERSIST");
}

// A tree made with other tables or indexes is made again: its figures would not be this
// build's.
std::string versaoDoEsquema() {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (db::Nivel n : {db::Nivel::Registro, db::Nivel::Empresa})
        for (auto& t : db::esquema(n))
            for (auto& cmd : db::comandosCriacao(t))
                for (unsigned char ch : cmd)
                    h = (h ^ ch) * 1099511628211ull;
    return std::to_string(h);
}

} // namespace

std::string potencia(long n) {
    int e = 0;
    long m = n;
    while (m >= 10 && m % 10 == 0) {
        m /= 10;
        ++e;
    }
    return m == 1 && e > 0 ? "10^" + std::to_string(e) : std::to_string(n);
}

bool preparaArvore(const std::string& dir, long n) {
    const fs::path pronto = fs::path(dir) / ".pronto";
    {
        std::ifstream f(pronto);
        long feito = 0;
        std::string versao;
        if (f >> feito >> versao && feito == n && versao == versaoDoEsquema()) return false;
    }
    fs::remove_all(dir);
    fs::create_directories(dir);
    dados::demo(dir);
    // Companies 1 and 2 keep their own catalogues; company 3 reads company 1's.
    for (int e = 1; e <= 3; ++e)
        cresce(db::caminhoArquivo(dados::diretorioEmpresa(dir, e)), n, e != 3);
    std::ofstream(pronto) << n << " " << versaoDoEsquema() << "\n";
    return true;
}

} // namespace bench
