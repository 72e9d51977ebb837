#include "Livros.h"

#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>

namespace torture {

namespace {

namespace fs = std::filesystem;

struct Fecha {
    void operator()(sqlite3* c) const { sqlite3_close(c); }
};
using Conexao = std::unique_ptr<sqlite3, Fecha>;

std::string minusculas(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// Each row's columns as integers (texts read as SQLite reads them).
bool consulta(sqlite3* c, const std::string& sql, std::vector<std::vector<std::int64_t>>& linhas,
              std::vector<std::string>& textos, std::string& erro) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(c, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        erro = sqlite3_errmsg(c);
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        std::vector<std::int64_t> l;
        for (int i = 0; i < sqlite3_column_count(s); ++i)
            l.push_back(sqlite3_column_int64(s, i));
        const auto* t = sqlite3_column_text(s, 0);
        textos.emplace_back(t ? reinterpret_cast<const char*>(t) : "");
        linhas.push_back(std::move(l));
    }
    if (rc != SQLITE_DONE) erro = sqlite3_errmsg(c);
    sqlite3_finalize(s);
    return rc == SQLITE_DONE;
}

// The relations that carry a transfer's AL number, by table.
const std::vector<std::pair<std::string, std::string>>& relacoes() {
    static const std::vector<std::pair<std::string, std::string>> r = {
        {"tbcal", "SELECT nal_cal, COUNT(*) FROM TbCal WHERE nal_cal > 0 GROUP BY 1"},
        {"tbchqpag", "SELECT CAST(substr(dup_chq, 4) AS INTEGER), COUNT(*) FROM TbChqPag "
                     "WHERE dup_chq LIKE 'AL %' GROUP BY 1"},
        {"tblanpag", "SELECT CAST(substr(dup_lan, 4) AS INTEGER), COUNT(*) FROM TbLanPag "
                     "WHERE dup_lan LIKE 'AL %' GROUP BY 1"},
        {"tblanrec", "SELECT CAST(substr(dup_lan, 4) AS INTEGER), COUNT(*) FROM TbLanRec "
                     "WHERE dup_lan LIKE 'AL %' GROUP BY 1"},
        {"tblct", "SELECT CAST(hvd_lct AS INTEGER), COUNT(*) FROM TbLct "
                  "WHERE hvd_lct LIKE '% REF. PAGAMENTOS: %' GROUP BY 1"},
    };
    return r;
}

// Numbers that must be unique, by table.
const std::vector<std::pair<std::string, std::string>>& unicos() {
    static const std::vector<std::pair<std::string, std::string>> u = {
        {"tbcal", "SELECT 'num_cal ' || num_cal, COUNT(*) FROM TbCal GROUP BY num_cal "
                  "HAVING COUNT(*) > 1"},
        {"tbcal", "SELECT 'nal_cal ' || nal_cal, COUNT(*) FROM TbCal WHERE nal_cal > 0 "
                  "GROUP BY nal_cal HAVING COUNT(*) > 1"},
        {"tblanpag", "SELECT 'num_lan ' || num_lan, COUNT(*) FROM TbLanPag GROUP BY num_lan "
                     "HAVING COUNT(*) > 1"},
        {"tblanrec", "SELECT 'num_lan ' || num_lan, COUNT(*) FROM TbLanRec GROUP BY num_lan "
                     "HAVING COUNT(*) > 1"},
        {"tbchqpag", "SELECT 'lan_chq ' || lan_chq, COUNT(*) FROM TbChqPag GROUP BY lan_chq "
                     "HAVING COUNT(*) > 1"},
        {"tbchqpag", "SELECT 'cheque ' || ban_chq || '/' || num_chq, COUNT(*) FROM TbChqPag "
                     "GROUP BY ban_chq, num_chq HAVING COUNT(*) > 1"},
        {"tblct", "SELECT 'num_lct ' || num_lct, COUNT(*) FROM TbLct GROUP BY num_lct "
                  "HAVING COUNT(*) > 1"},
    };
    return u;
}

void leArquivo(const fs::path& arquivo, const std::string& dir, Retrato& r) {
    sqlite3* bruto = nullptr;
    // Read-write: a journal left by a killed writer is rolled back, as the next user's
    // open would.
    if (sqlite3_open_v2(arquivo.c_str(), &bruto, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        r.problemas.push_back(dir + ": " + (bruto ? sqlite3_errmsg(bruto) : "cannot open"));
        sqlite3_close(bruto);
        return;
    }
    Conexao c(bruto);
    sqlite3_busy_timeout(c.get(), 10000);
    std::vector<std::vector<std::int64_t>> linhas;
    std::vector<std::string> textos;
    std::string erro;
    if (!consulta(c.get(), "PRAGMA integrity_check", linhas, textos, erro) || textos.empty() ||
        textos.front() != "ok") {
        r.problemas.push_back(dir + ": integrity check: " +
                              (erro.empty() ? (textos.empty() ? "" : textos.front()) : erro));
        return;
    }
    linhas.clear();
    textos.clear();
    std::set<std::string> tabelas;
    consulta(c.get(), "SELECT name FROM sqlite_master WHERE type = 'table'", linhas, textos, erro);
    for (const auto& t : textos)
        tabelas.insert(minusculas(t));

    const auto cada = [&](const std::string& tabela, const std::string& sql, auto&& faz) {
        if (!tabelas.count(tabela)) return;
        std::vector<std::vector<std::int64_t>> l;
        std::vector<std::string> t;
        std::string e;
        if (!consulta(c.get(), sql, l, t, e)) {
            r.problemas.push_back(dir + "|" + tabela + ": " + e);
            return;
        }
        for (std::size_t i = 0; i < l.size(); ++i)
            faz(l[i], t[i]);
    };
    for (const auto& [tabela, sql] : relacoes())
        cada(tabela, sql,
             [&](const auto& l, const auto&) { r.porAL[l[0]][dir + "|" + tabela] += l[1]; });
    for (const auto& [tabela, sql] : unicos())
        cada(tabela, sql, [&](const auto& l, const std::string& t) {
            r.problemas.push_back("duplicate " + dir + "|" + tabela + " " + t + " (" +
                                  std::to_string(l[1]) + " times)");
        });
    cada("tbcal", "SELECT COUNT(*) FROM TbCal WHERE COALESCE(nal_cal, 0) <= 0",
         [&](const auto& l, const auto&) { r.registrosSemAL += l[0]; });
    cada("tbemp", "SELECT COALESCE(MAX(nal_emp), 0) FROM TbEmp",
         [&](const auto& l, const auto&) { r.contadorAL = std::max(r.contadorAL, l[0]); });
    std::vector<std::string> codigos;
    cada("tbtot",
         "SELECT COALESCE(cod_tot, ''), CAST(ROUND(SUM(deb_tot) * 100) AS INTEGER), "
         "CAST(ROUND(SUM(cre_tot) * 100) AS INTEGER) FROM TbTot GROUP BY 1",
         [&](const auto& l, const std::string& t) {
             r.totais[dir + "|" + t] = {l[1], l[2]};
         });
}

} // namespace

Retrato le(const std::string& dados) {
    Retrato r;
    std::vector<fs::path> arquivos;
    for (const auto& e : fs::recursive_directory_iterator(dados))
        if (e.is_regular_file() && e.path().filename() == "tabelas.sqlite")
            arquivos.push_back(e.path());
    std::sort(arquivos.begin(), arquivos.end());
    if (arquivos.empty()) r.problemas.push_back(dados + ": no store file");
    for (const auto& a : arquivos)
        leArquivo(a, fs::relative(a.parent_path(), dados).generic_string(), r);
    return r;
}

Modelo modelo(const Retrato& antes, const Retrato& depois) {
    Modelo m;
    m.inicial = antes;
    for (const auto& [al, forma] : depois.porAL)
        if (!antes.porAL.count(al)) m.forma = forma;
    m.base = antes.totais;
    for (const auto& [k, v] : depois.totais) {
        const auto b =
            antes.totais.count(k) ? antes.totais.at(k) : std::pair<std::int64_t, std::int64_t>{};
        if (v != b) m.delta[k] = {v.first - b.first, v.second - b.second};
    }
    return m;
}

Resultado avalia(const Modelo& m, const Retrato& agora, const std::set<std::int64_t>& reportados,
                 bool todosReportados) {
    Resultado r;
    for (const auto& p : agora.problemas) {
        r.achados.push_back(p);
        if (p.rfind("duplicate", 0) == 0) ++r.duplicados;
    }
    std::int64_t maior = 0;
    for (const auto& [al, forma] : agora.porAL) {
        if (m.inicial.porAL.count(al)) continue;
        maior = std::max(maior, al);
        if (forma == m.forma) {
            ++r.inteiros;
            if (todosReportados && !reportados.count(al)) {
                ++r.naoConfirmados;
                r.achados.push_back("AL " + std::to_string(al) +
                                    " stored whole but reported as not posted");
            }
            continue;
        }
        ++r.meios;
        std::string d = "AL " + std::to_string(al) + " half there:";
        for (const auto& [k, n] : m.forma) {
            const auto it = forma.find(k);
            d += " " + k + " " + std::to_string(it == forma.end() ? 0 : it->second) + "/" +
                 std::to_string(n);
        }
        for (const auto& [k, n] : forma)
            if (!m.forma.count(k)) d += " " + k + " " + std::to_string(n) + "/0";
        r.achados.push_back(d);
    }
    for (const auto al : reportados)
        if (!agora.porAL.count(al)) {
            ++r.perdidos;
            r.achados.push_back("AL " + std::to_string(al) + " acknowledged but not stored");
        }
    // Totals: what the whole transfers added, nothing more, nothing less.
    std::set<std::string> chaves;
    for (const auto& [k, v] : m.base)
        chaves.insert(k);
    for (const auto& [k, v] : agora.totais)
        chaves.insert(k);
    for (const auto& k : chaves) {
        const auto b = m.base.count(k) ? m.base.at(k) : std::pair<std::int64_t, std::int64_t>{};
        const auto d = m.delta.count(k) ? m.delta.at(k) : std::pair<std::int64_t, std::int64_t>{};
        const std::pair<std::int64_t, std::int64_t> esperado{b.first + r.inteiros * d.first,
                                                             b.second + r.inteiros * d.second};
        const auto visto =
            agora.totais.count(k) ? agora.totais.at(k) : std::pair<std::int64_t, std::int64_t>{};
        if (visto != esperado)
            r.achados.push_back("total " + k + " is " + std::to_string(visto.first) + "/" +
                                std::to_string(visto.second) + " cents, the whole transfers make " +
                                std::to_string(esperado.first) + "/" +
                                std::to_string(esperado.second));
    }
    if (agora.registrosSemAL > m.inicial.registrosSemAL)
        r.achados.push_back(std::to_string(agora.registrosSemAL - m.inicial.registrosSemAL) +
                            " register record(s) with AL 0");
    if (maior > agora.contadorAL)
        r.achados.push_back("AL counter " + std::to_string(agora.contadorAL) +
                            " behind the highest AL used " + std::to_string(maior));
    return r;
}

} // namespace torture
