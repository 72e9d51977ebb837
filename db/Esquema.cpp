#include "Esquema.h"

#include "Armazem.h"
#include "Motor.h"
#include "Sql.h"

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <utility>

namespace db {

namespace {

constexpr Tipo I = Tipo::Inteiro, T = Tipo::Texto, F = Tipo::Flutuante, M = Tipo::Dinheiro,
               D = Tipo::DataHora, Img = Tipo::Imagem;

std::vector<CampoEsquema> lancamento() {
    return {{"num_lan", I}, {"dat_lan", D}, {"ven_lan", D}, {"ccf_lan", I}, {"ban_lan", I},
            {"con_lan", I}, {"ped_lan", I}, {"nf_lan", I},  {"dup_lan", T}, {"his_lan", T},
            {"val_lan", M}, {"sit_lan", T}, {"d_c_lan", T}, {"bai_lan", T}, {"cen_lan", T},
            {"ass_opr", I}, {"red_lan", I}, {"lot_lan", I}, {"ncc_lan", I}, {"nop_lan", I},
            {"cde_lan", T}, {"ccr_lan", T}, {"cdg_lan", T}, {"ccg_lan", T}, {"orl_lan", T},
            {"cor_lan", I}, {"nal_lan", I}, {"emp_lan", I}};
}

const std::vector<TabelaEsquema>& registro() {
    static const std::vector<TabelaEsquema> t = {
        {"TbEmp",
         {{"cod_emp", I},
          {"nom_emp", T},
          {"end_emp", T},
          {"nro_emp", T},
          {"fon_emp", T},
          {"fax_emp", T},
          {"cep_emp", T},
          {"cid_emp", T},
          {"uf_emp", T},
          {"cen_emp", I},
          {"cfg_emp", T},
          {"nal_emp", I},
          {"nos_emp", I},
          {"imag_emp", Img}},
         {"cod_emp"},
         {"nom_emp"}},
    };
    return t;
}

const std::vector<TabelaEsquema>& empresa() {
    static const std::vector<TabelaEsquema> t = {
        {"TbLanPag", lancamento(), {"num_lan"}, {}},
        {"TbChqPag",
         {{"lan_chq", I},
          {"num_chq", I},
          {"ban_chq", I},
          {"dat_Chq", D, true},
          {"ven_chq", D, true},
          {"qui_chq", D, true},
          {"ccf_chq", I},
          {"his_chq", T},
          {"val_chq", M},
          {"sit_chq", T},
          {"mot_chq", I},
          {"cen_chq", T},
          {"dup_chq", T},
          {"lot_chq", I},
          {"rcm_chq", I},
          {"ass_opr", I},
          {"nop_chq", I},
          {"cct_chq", T},
          {"ccg_chq", T}},
         {"lan_chq"},
         {}},
        {"TbLanRec", lancamento(), {"num_lan"}, {}},
        {"TbCal",
         {{"num_cal", I},
          {"nal_cal", I},
          {"tot_cal", F},
          {"Ori_cal", I},
          {"dat_cal", D},
          {"his_cal", T},
          {"las_cal", T}},
         {"num_cal"},
         {}},
        {"TbLct",
         {{"num_lct", I},
          {"dat_lct", D},
          {"lot_lct", T},
          {"cfd_lct", T},
          {"cfc_lct", T},
          {"cgd_lct", T},
          {"cgc_lct", T},
          {"ccd_lct", T},
          {"ccc_lct", T},
          {"chd_lct", I},
          {"hvd_lct", T},
          {"hvc_lct", T},
          {"val_lct", M},
          {"red_lct", I},
          {"orl_lct", T},
          {"cor_lct", I},
          {"ass_opr", I},
          {"alt_lct", T}},
         {"num_lct"},
         {}},
        {"TbTot", {{"cod_tot", T}, {"deb_tot", M}, {"cre_tot", M}}, {"cod_tot"}, {}},
        {"TbCtl", {{"num_lot", T}}, {"num_lot"}, {}},
        // Periods may overlap, so no unique key; the periods query reads by date range.
        {"TBPERLOT",
         {{"INI_PER", D, true}, {"FIM_PER", D, true}, {"LOT_PER", F}},
         {},
         {"INI_PER", "FIM_PER"}},
        {"TbCli",
         {{"cod_cli", I}, {"nom_cli", T}, {"ccn_cli", T}, {"hpn_cli", I}},
         {"cod_cli"},
         {"nom_cli"}},
        {"TbFor",
         {{"cod_for", I}, {"nom_for", T}, {"ccn_for", T}, {"hpn_for", I}},
         {"cod_for"},
         {"nom_for"}},
        {"TbRed",
         {{"cod_red", I}, {"nom_red", T}, {"ccb_red", T}, {"his_red", I}},
         {"cod_red"},
         {"nom_red"}},
        {"TbHis", {{"cod_his", I}, {"nom_his", T}}, {"cod_his"}, {"nom_his"}},
        // Accounts without a reduced code share cdr_pla 0, so it is indexed, not unique.
        {"TbPla",
         {{"cde_pla", T}, {"cdr_pla", I}, {"nom_pla", T}, {"plag_pla", T}},
         {"cde_pla"},
         {"cdr_pla", "nom_pla"}},
        {"TbPlaG",
         {{"cde_pla", T}, {"cdr_pla", I}, {"nom_pla", T}},
         {"cde_pla"},
         {"cdr_pla", "nom_pla"}},
        {"TbBan",
         {{"cod_ban", I}, {"nom_ban", T}, {"ccb_ban", T}, {"ccn_ban", T}, {"hpn_ban", I}},
         {"cod_ban"},
         {"nom_ban"}},
        {"TbCen", {{"cod_cen", T}, {"nom_cen", T}}, {"cod_cen"}, {"nom_cen"}},
    };
    return t;
}

struct FechaConexao {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};

void criaTabelasSqlite(const std::string& caminho, const std::vector<TabelaEsquema>& tabelas);

} // namespace

const std::vector<TabelaEsquema>& esquema(Nivel nivel) {
    return nivel == Nivel::Registro ? registro() : empresa();
}

std::string tipoSql(Tipo tipo) {
    switch (tipo) {
    case Tipo::Inteiro:
        return "INTEGER";
    case Tipo::Texto:
        return "TEXT";
    case Tipo::Flutuante:
        return "REAL";
    case Tipo::Dinheiro:
        return "MONEY REAL";
    case Tipo::DataHora:
        return "DATETIME TEXT";
    case Tipo::Imagem:
        return "IMAGE BLOB";
    case Tipo::Outro:
        break;
    }
    return "";
}

namespace {

// Each searched field also indexed with the table's key after it: the first match of a name
// in key order is then read from the index alone, without visiting every matching row.
std::vector<std::pair<std::string, std::string>> indicesComChave(const TabelaEsquema& t) {
    std::vector<std::pair<std::string, std::string>> r;
    if (t.unicos.empty()) return r;
    for (auto& c : t.indices)
        if (!sql::mesmoNome(c, t.unicos[0])) r.emplace_back(c, t.unicos[0]);
    return r;
}

} // namespace

std::vector<std::string> comandosCriacao(const TabelaEsquema& t, const std::string& q) {
    std::string cria = "CREATE TABLE " + q + sql::aspas(t.nome) + " (";
    for (std::size_t i = 0; i < t.campos.size(); ++i)
        cria += (i ? ", " : "") + sql::aspas(t.campos[i].nome) + " " + tipoSql(t.campos[i].tipo);
    std::vector<std::string> r{cria + ")"};
    // SQLite qualifies the index, not the table it is on.
    for (auto& c : t.unicos)
        r.push_back("CREATE UNIQUE INDEX " + q + sql::aspas(t.nome + "_" + c) + " ON " +
                    sql::aspas(t.nome) + " (" + sql::aspas(c) + ")");
    for (auto& c : t.indices)
        r.push_back("CREATE INDEX " + q + sql::aspas(t.nome + "_" + c) + " ON " +
                    sql::aspas(t.nome) + " (" + sql::aspas(c) + ")");
    for (auto& [c, k] : indicesComChave(t))
        r.push_back("CREATE INDEX " + q + sql::aspas(t.nome + "_" + c + "_" + k) + " ON " +
                    sql::aspas(t.nome) + " (" + sql::aspas(c) + ", " + sql::aspas(k) + ")");
    return r;
}

std::string caminhoArquivo(const std::string& diretorio) {
    std::string d = diretorio;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    return d + "/tabelas.sqlite";
}

void criaArquivo(const std::string& diretorio, Nivel nivel) {
    criaArquivo(diretorio, esquema(nivel));
}

void criaArquivo(const std::string& diretorio, const std::vector<TabelaEsquema>& tabelas) {
    std::string caminho = caminhoArquivo(diretorio);
    // Exclusive creation: an existing file is refused, never overwritten.
    std::FILE* f = std::fopen(caminho.c_str(), "wx");
    if (!f) throw Erro(caminho + ": " + std::strerror(errno));
    std::fclose(f);
    try {
        criaTabelasSqlite(caminho, tabelas);
    } catch (...) {
        // A half-made file would be refused by the next attempt; it holds nothing yet.
        std::remove(caminho.c_str());
        for (const char* sufixo : {"-wal", "-shm", "-journal"})
            std::remove((caminho + sufixo).c_str());
        throw;
    }
}

namespace {

void criaTabelasSqlite(const std::string& caminho, const std::vector<TabelaEsquema>& tabelas) {
    sqlite3* bruto = nullptr;
    int rc = sqlite3_open_v2(caminho.c_str(), &bruto, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, FechaConexao> con(bruto);
    auto executa = [&](const std::string& texto) {
        char* erro = nullptr;
        if (sqlite3_exec(con.get(), texto.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
            std::string msg = erro ? erro : sqlite3_errmsg(con.get());
            sqlite3_free(erro);
            throw Erro(caminho + ": " + msg);
        }
    };
    if (rc != SQLITE_OK)
        throw Erro(caminho + ": " + (bruto ? sqlite3_errmsg(bruto) : sqlite3_errstr(rc)));
    // The journal mode the store keeps (see MotorSqlite.cpp).
    executa("PRAGMA journal_mode=PERSIST; PRAGMA journal_size_limit=0; PRAGMA synchronous=FULL; "
            "BEGIN");
    for (auto& t : tabelas)
        for (auto& c : comandosCriacao(t))
            executa(c);
    executa("COMMIT");
}

} // namespace

std::string tipoServidor(Tipo tipo, bool soData) {
    switch (tipo) {
    case Tipo::Inteiro:
        return "INTEGER";
    case Tipo::Texto:
        return "TEXT COLLATE \"C\"";
    case Tipo::Flutuante:
        return "DOUBLE PRECISION";
    case Tipo::Dinheiro:
        return "NUMERIC(19,4)";
    case Tipo::DataHora:
        return soData ? "DATE" : "TIMESTAMP";
    case Tipo::Imagem:
        return "BYTEA";
    case Tipo::Outro:
        break;
    }
    return "TEXT COLLATE \"C\"";
}

std::vector<std::string> comandosCriacaoServidor(const TabelaEsquema& t,
                                                 const std::string& esquema) {
    const std::string nome = sql::minusculas(t.nome);
    const std::string alvo = sql::aspas(esquema) + "." + sql::aspas(nome);
    // The row identity comes last, so that the fields keep their places in the table.
    std::string cria = "CREATE TABLE " + alvo + " (";
    for (auto& c : t.campos)
        cria += sql::aspas(sql::minusculas(c.nome)) + " " + tipoServidor(c.tipo, c.soData) + ", ";
    cria += "notera_linha BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY)";
    std::vector<std::string> r{cria};
    // NULLS FIRST: the data sets' order, read forwards or backwards through the index.
    for (auto& c : t.unicos)
        r.push_back("CREATE UNIQUE INDEX " + sql::aspas(nome + "_" + sql::minusculas(c)) + " ON " +
                    alvo + " (" + sql::aspas(sql::minusculas(c)) + " NULLS FIRST)");
    for (auto& c : t.indices)
        r.push_back("CREATE INDEX " + sql::aspas(nome + "_" + sql::minusculas(c)) + " ON " + alvo +
                    " (" + sql::aspas(sql::minusculas(c)) + " NULLS FIRST)");
    for (auto& [c, k] : indicesComChave(t)) {
        const std::string a = sql::minusculas(c), b = sql::minusculas(k);
        r.push_back("CREATE INDEX " + sql::aspas(nome + "_" + a + "_" + b) + " ON " + alvo + " (" +
                    sql::aspas(a) + " NULLS FIRST, " + sql::aspas(b) + " NULLS FIRST)");
    }
    return r;
}

const TabelaEsquema* tabelaConhecida(const std::string& nome) {
    for (Nivel n : {Nivel::Registro, Nivel::Empresa})
        for (auto& t : esquema(n))
            if (sql::mesmoNome(t.nome, sql::semSufixoDb(nome))) return &t;
    return nullptr;
}

void criaTabelas(const std::string& diretorio, Nivel nivel) {
    criaTabelas(diretorio, esquema(nivel));
}

void criaTabelas(const std::string& diretorio, const std::vector<TabelaEsquema>& tabelas) {
    Local l = localDe(diretorio);
    if (!l.servidor()) return criaArquivo(diretorio, tabelas);
    UnidadeDeTrabalho u(diretorio);
    auto con = motor::conexaoPara(diretorio);
    const std::string dir = motor::normaliza(diretorio);
    std::string rel = std::filesystem::path(dir).lexically_relative(l.raiz).string();
    try {
        con->executa("CREATE SCHEMA IF NOT EXISTS " + sql::aspas(l.esquema));
        // The directory's own spelling, for copies back into directories.
        std::string literal = "'";
        for (char ch : rel)
            literal += ch == '\'' ? std::string("''") : std::string(1, ch);
        con->executa("COMMENT ON SCHEMA " + sql::aspas(l.esquema) + " IS " + literal + "'");
        for (auto& t : tabelas)
            for (auto& cmd : comandosCriacaoServidor(t, l.esquema))
                con->executa(cmd);
    } catch (const Erro& e) {
        throw Erro(dir + " [" + l.esquema + "]: " + e.what());
    }
    u.confirma();
}

void acrescentaTabelas(const std::string& diretorio, const std::vector<TabelaEsquema>& tabelas) {
    if (localDe(diretorio).servidor()) return criaTabelas(diretorio, tabelas);
    std::string caminho = caminhoArquivo(motor::normaliza(diretorio));
    sqlite3* bruto = nullptr;
    int rc = sqlite3_open_v2(caminho.c_str(), &bruto, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, FechaConexao> con(bruto);
    if (rc != SQLITE_OK)
        throw Erro(caminho + ": " + (bruto ? sqlite3_errmsg(bruto) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(con.get(), 15000);
    std::string texto = "BEGIN IMMEDIATE;";
#ifdef _WIN32
    // The store's journal mode: a commit in the default mode deletes the journal, which
    // Windows refuses while the store's connection holds it open, and the store would then
    // roll the commit back as a hot journal.
    texto = "PRAGMA journal_mode=PERSIST; PRAGMA journal_size_limit=0; " + texto;
#endif
    for (auto& t : tabelas)
        for (auto& c : comandosCriacao(t))
            texto += c + ";";
    texto += "COMMIT";
    char* erro = nullptr;
    if (sqlite3_exec(con.get(), texto.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
        std::string msg = erro ? erro : sqlite3_errmsg(con.get());
        sqlite3_free(erro);
        throw Erro(caminho + ": " + msg);
    }
}

bool existemTabelas(const std::string& diretorio) {
    Local l = localDe(diretorio);
    if (!l.servidor()) return std::filesystem::exists(caminhoArquivo(motor::normaliza(diretorio)));
    auto con = motor::conexaoPara(diretorio);
    return !con->tabelas(motor::normaliza(diretorio)).empty();
}

std::vector<std::string> tabelasDe(const std::string& diretorio) {
    auto con = motor::conexaoPara(diretorio);
    return con->tabelas(motor::normaliza(diretorio));
}

std::vector<std::string> diretoriosDe(const std::string& dados) {
    namespace fs = std::filesystem;
    const std::string raiz = motor::normaliza(dados);
    Local l = localDe(raiz);
    std::vector<std::string> r;
    if (l.servidor()) {
        if (motor::normaliza(l.raiz) != raiz)
            throw Erro(raiz + ": banco.conf está em " + l.raiz + ", não neste diretório");
        return motor::conexaoPara(raiz)->diretorios();
    }
    std::error_code ec;
    if (fs::exists(fs::path(raiz) / "tabelas.sqlite")) r.push_back(".");
    for (auto it = fs::recursive_directory_iterator(raiz, ec); !ec && it != fs::end(it);
         it.increment(ec))
        if (it->is_regular_file() && it->path().filename() == "tabelas.sqlite" &&
            it->path().parent_path() != fs::path(raiz))
            r.push_back(it->path().parent_path().lexically_relative(raiz).string());
    if (ec) throw Erro(raiz + ": " + ec.message());
    std::sort(r.begin(), r.end());
    return r;
}

} // namespace db
