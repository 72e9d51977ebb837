#include "Esquema.h"

#include "Sql.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

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
          {"dat_Chq", D},
          {"ven_chq", D},
          {"qui_chq", D},
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
        {"TBPERLOT", {{"INI_PER", D}, {"FIM_PER", D}, {"LOT_PER", F}}, {}, {"INI_PER", "FIM_PER"}},
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

void criaTabelas(const std::string& caminho, Nivel nivel);

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

std::vector<std::string> comandosCriacao(const TabelaEsquema& t) {
    std::string cria = "CREATE TABLE " + sql::aspas(t.nome) + " (";
    for (std::size_t i = 0; i < t.campos.size(); ++i)
        cria += (i ? ", " : "") + sql::aspas(t.campos[i].nome) + " " + tipoSql(t.campos[i].tipo);
    std::vector<std::string> r{cria + ")"};
    for (auto& c : t.unicos)
        r.push_back("CREATE UNIQUE INDEX " + sql::aspas(t.nome + "_" + c) + " ON " +
                    sql::aspas(t.nome) + " (" + sql::aspas(c) + ")");
    for (auto& c : t.indices)
        r.push_back("CREATE INDEX " + sql::aspas(t.nome + "_" + c) + " ON " + sql::aspas(t.nome) +
                    " (" + sql::aspas(c) + ")");
    return r;
}

std::string caminhoArquivo(const std::string& diretorio) {
    std::string d = diretorio;
    while (d.size() > 1 && d.back() == '/')
        d.pop_back();
    return d + "/tabelas.sqlite";
}

void criaArquivo(const std::string& diretorio, Nivel nivel) {
    std::string caminho = caminhoArquivo(diretorio);
    // Exclusive creation: an existing file is refused, never overwritten.
    std::FILE* f = std::fopen(caminho.c_str(), "wx");
    if (!f) throw Erro(caminho + ": " + std::strerror(errno));
    std::fclose(f);
    try {
        criaTabelas(caminho, nivel);
    } catch (...) {
        // A half-made file would be refused by the next attempt; it holds nothing yet.
        std::remove(caminho.c_str());
        for (const char* sufixo : {"-wal", "-shm"})
            std::remove((caminho + sufixo).c_str());
        throw;
    }
}

namespace {

void criaTabelas(const std::string& caminho, Nivel nivel) {
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
    executa("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; BEGIN");
    for (auto& t : esquema(nivel))
        for (auto& c : comandosCriacao(t))
            executa(c);
    executa("COMMIT");
}

} // namespace

} // namespace db
