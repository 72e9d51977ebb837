#include "TempDir.h"

#include "db/Conjunto.h"

#include <QImage>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

int roda(const std::string& args, std::string* erro = nullptr) {
    std::string saida = fs::temp_directory_path() / ("notera-dados-" + std::to_string(getpid()));
    int st = std::system((std::string(NOTERA_DADOS) + " " + args + " 2>" + saida).c_str());
    if (erro) {
        std::ifstream f(saida);
        erro->assign(std::istreambuf_iterator<char>(f), {});
    }
    fs::remove(saida);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

// Each table's fields with their kinds: I integer, T text, F floating, M money,
// D date-time, B image.
const char* const Lancamento =
    "num_lan:I dat_lan:D ven_lan:D ccf_lan:I ban_lan:I con_lan:I ped_lan:I nf_lan:I dup_lan:T "
    "his_lan:T val_lan:M sit_lan:T d_c_lan:T bai_lan:T cen_lan:T ass_opr:I red_lan:I lot_lan:I "
    "ncc_lan:I nop_lan:I cde_lan:T ccr_lan:T cdg_lan:T ccg_lan:T orl_lan:T cor_lan:I nal_lan:I "
    "emp_lan:I";
const std::map<std::string, std::string> TabelasEmpresa = {
    {"TbLanPag", Lancamento},
    {"TbLanRec", Lancamento},
    {"TbChqPag", "lan_chq:I num_chq:I ban_chq:I dat_Chq:D ven_chq:D qui_chq:D ccf_chq:I "
                 "his_chq:T val_chq:M sit_chq:T mot_chq:I cen_chq:T dup_chq:T lot_chq:I "
                 "rcm_chq:I ass_opr:I nop_chq:I cct_chq:T ccg_chq:T"},
    {"TbCal", "num_cal:I nal_cal:I tot_cal:F Ori_cal:I dat_cal:D his_cal:T las_cal:T"},
    {"TbLct", "num_lct:I dat_lct:D lot_lct:T cfd_lct:T cfc_lct:T cgd_lct:T cgc_lct:T ccd_lct:T "
              "ccc_lct:T chd_lct:I hvd_lct:T hvc_lct:T val_lct:M red_lct:I orl_lct:T cor_lct:I "
              "ass_opr:I alt_lct:T"},
    {"TbTot", "cod_tot:T deb_tot:M cre_tot:M"},
    {"TbCtl", "num_lot:T"},
    {"TBPERLOT", "INI_PER:D FIM_PER:D LOT_PER:F"},
    {"TbCli", "cod_cli:I nom_cli:T ccn_cli:T hpn_cli:I"},
    {"TbFor", "cod_for:I nom_for:T ccn_for:T hpn_for:I"},
    {"TbRed", "cod_red:I nom_red:T ccb_red:T his_red:I"},
    {"TbHis", "cod_his:I nom_his:T"},
    {"TbPla", "cde_pla:T cdr_pla:I nom_pla:T plag_pla:T"},
    {"TbPlaG", "cde_pla:T cdr_pla:I nom_pla:T"},
    {"TbBan", "cod_ban:I nom_ban:T ccb_ban:T ccn_ban:T hpn_ban:I"},
    {"TbCen", "cod_cen:T nom_cen:T"},
};
const char* const Empresas = "cod_emp:I nom_emp:T end_emp:T nro_emp:T fon_emp:T fax_emp:T "
                             "cep_emp:T cid_emp:T uf_emp:T cen_emp:I cfg_emp:T nal_emp:I "
                             "nos_emp:I imag_emp:B";

void confereCampos(const std::string& dir, const std::string& tabela, const std::string& lista) {
    static const std::map<char, db::Tipo> tipos = {
        {'I', db::Tipo::Inteiro},  {'T', db::Tipo::Texto},    {'F', db::Tipo::Flutuante},
        {'M', db::Tipo::Dinheiro}, {'D', db::Tipo::DataHora}, {'B', db::Tipo::Imagem}};
    db::Tabela t(dir, tabela);
    t.abre();
    std::istringstream in(lista);
    std::vector<std::pair<std::string, db::Tipo>> esperado, obtido;
    for (std::string p; in >> p;)
        esperado.emplace_back(p.substr(0, p.size() - 2), tipos.at(p.back()));
    for (auto& c : t.campos())
        obtido.emplace_back(c.nome, c.tipo);
    EXPECT_EQ(obtido, esperado) << dir << " " << tabela;
    EXPECT_TRUE(t.vazio()) << tabela;
}

// The last level of a structural code is zero or not a number: a synthetic account.
bool sintetica(const std::string& cde) {
    auto ult = cde.substr(cde.find_last_of(".-") + 1);
    return ult.empty() || ult.find_first_not_of("0123456789 ") != std::string::npos ||
           std::stol("0" + ult) == 0;
}

TEST(NoteraDados, CriarFazTodasAsTabelasEMesmoAssimNuncaSobrescreve) {
    TempDir d;
    ASSERT_EQ(roda("criar " + d.str() + " 1 27 1234"), 0);
    std::string reg = d.str() + "/Tabelas";
    confereCampos(reg, "TbEmp", Empresas);
    for (const char* nnn : {"001", "027", "1234"})
        for (auto& [tabela, campos] : TabelasEmpresa)
            confereCampos(reg + "/" + nnn, tabela, campos);

    // Keys refuse a repeated value; names are searched through an index.
    db::Tabela cli(reg + "/001", "TbCli");
    cli.abre();
    for (int i = 0; i < 2; ++i) {
        cli.acrescenta();
        cli.define("cod_cli", 5);
        if (i == 0)
            cli.grava();
        else
            EXPECT_THROW(cli.grava(), db::Erro);
    }

    auto tamanho = fs::file_size(reg + "/027/tabelas.sqlite");
    for (const char* args : {" 2 27", " 5", ""}) {
        std::string erro;
        EXPECT_EQ(roda("criar " + d.str() + args, &erro), 1) << args;
        EXPECT_NE(erro.find("já existe"), std::string::npos) << erro;
    }
    EXPECT_FALSE(fs::exists(reg + "/002"));
    EXPECT_FALSE(fs::exists(reg + "/005"));
    EXPECT_EQ(fs::file_size(reg + "/027/tabelas.sqlite"), tamanho);
    TempDir outro;
    for (const char* ruim : {"0", "-3", "12a", "99999999999"}) {
        std::string erro;
        EXPECT_EQ(roda("criar " + outro.str() + " " + ruim, &erro), 1) << ruim;
        EXPECT_FALSE(fs::exists(outro.caminho() / "Tabelas")) << ruim;
    }
}

TEST(NoteraDados, DemoTemDadosCoerentes) {
    TempDir d;
    ASSERT_EQ(roda("demo " + d.str()), 0);
    EXPECT_TRUE(fs::exists(d.caminho() / "Contabilidade.exe"));
    EXPECT_EQ(fs::file_size(d.caminho() / "Contabilidade.exe"), 0u);
    std::string reg = d.str() + "/Tabelas";

    db::Consulta emp(reg, {"Select *", "From TbEmp"});
    emp.abre();
    ASSERT_EQ(emp.conta(), 3);
    std::set<char> pos17;
    bool algumCurto = false, gerencial = false;
    std::vector<std::string> catalogos;
    for (emp.primeiro(); !emp.fim(); emp.proximo()) {
        auto cfg = emp.campo("cfg_emp").comoTexto();
        ASSERT_GE(cfg.size(), 22u);
        pos17.insert(cfg[16] == 'S' || cfg[16] == 'N' ? cfg[16] : '?');
        algumCurto |= cfg.size() < 28;
        gerencial |= cfg.size() >= 27 && cfg[26] == 'S';
        auto logo = emp.campo("imag_emp").comoBytes();
        QImage img;
        EXPECT_TRUE(img.loadFromData(logo.data(), static_cast<int>(logo.size())));
        EXPECT_FALSE(emp.campo("nom_emp").comoTexto().empty());
        EXPECT_FALSE(emp.campo("cid_emp").comoTexto().empty());
        auto cen = emp.campo("cen_emp").comoInteiro();
        auto cod = emp.campo("cod_emp").comoInteiro();
        char nnn[8];
        std::snprintf(nnn, sizeof nnn, "%03lld", static_cast<long long>(cen >= 1 ? cen : cod));
        catalogos.push_back(reg + "/" + nnn);
        if (cen >= 1) {
            auto m = *emp.marcador();
            EXPECT_TRUE(emp.localiza("cod_emp", cen)) << "cen_emp " << cen;
            EXPECT_LT(emp.campo("cen_emp").comoInteiro(), 1);
            emp.vaiPara(m);
        }
    }
    EXPECT_EQ(pos17.size(), 3u);
    EXPECT_TRUE(algumCurto && gerencial);
    EXPECT_LT(std::set<std::string>(catalogos.begin(), catalogos.end()).size(), catalogos.size())
        << "no company uses another's catalogues";

    for (auto& cat : catalogos) {
        auto abre = [&](const std::string& t) {
            db::Tabela x(cat, t);
            x.abre();
            EXPECT_FALSE(x.vazio()) << cat << " " << t;
            return x;
        };
        auto pla = abre("TbPla"), plag = abre("TbPlaG"), his = abre("TbHis");
        auto contaAnalitica = [&](db::Tabela& plano, const std::string& cde) {
            return plano.localiza("cde_pla", cde) && !sintetica(cde);
        };
        std::set<std::int64_t> reduzidos;
        for (pla.primeiro(); !pla.fim(); pla.proximo()) {
            auto cdr = pla.campo("cdr_pla").comoInteiro();
            if (cdr > 0) {
                EXPECT_TRUE(reduzidos.insert(cdr).second) << cdr;
            }
            auto g = pla.campo("plag_pla").comoTexto();
            if (!g.empty()) {
                EXPECT_TRUE(contaAnalitica(plag, g)) << g;
            }
        }
        struct Padrao {
            const char* tabela;
            const char* conta;
            const char* historico;
        } padroes[] = {{"TbCli", "ccn_cli", "hpn_cli"},
                       {"TbFor", "ccn_for", "hpn_for"},
                       {"TbRed", "ccb_red", "his_red"},
                       {"TbBan", "ccn_ban", "hpn_ban"},
                       {"TbBan", "ccb_ban", "hpn_ban"}};
        for (auto& p : padroes) {
            auto t = abre(p.tabela);
            for (t.primeiro(); !t.fim(); t.proximo()) {
                auto conta = t.campo(p.conta).comoTexto();
                EXPECT_TRUE(contaAnalitica(pla, conta)) << p.tabela << " " << conta;
                EXPECT_TRUE(his.localiza("cod_his", t.campo(p.historico))) << p.tabela;
            }
        }
        abre("TbCen");
    }

    // Every listed lot is the lot code of a period; periods do not overlap.
    bool loteSemControle = false;
    for (const char* nnn : {"001", "002", "003"}) {
        std::string dir = reg + "/" + nnn;
        db::Consulta per(dir, {"SELECT INI_PER, FIM_PER, LOT_PER, EXTRACT(YEAR FROM FIM_PER) ANO",
                               "FROM TBPERLOT"});
        per.abre();
        std::set<std::string> codigos;
        double fimAnterior = -1;
        per.ordena("INI_PER");
        for (per.primeiro(); !per.fim(); per.proximo()) {
            EXPECT_GT(per.campo("INI_PER").comoDataHora(), fimAnterior);
            EXPECT_LE(per.campo("INI_PER").comoDataHora(), per.campo("FIM_PER").comoDataHora());
            fimAnterior = per.campo("FIM_PER").comoDataHora();
            char lote[32];
            std::snprintf(lote, sizeof lote, "%03lld/%s",
                          static_cast<long long>(per.campo("LOT_PER").comoInteiro()),
                          per.campo("ANO").comoTexto().c_str());
            codigos.insert(lote);
        }
        db::Tabela ctl(dir, "TbCtl");
        ctl.abre();
        EXPECT_FALSE(ctl.vazio());
        loteSemControle |= ctl.conta() < static_cast<std::int64_t>(codigos.size());
        for (ctl.primeiro(); !ctl.fim(); ctl.proximo())
            EXPECT_TRUE(codigos.count(ctl.campo("num_lot").comoTexto()))
                << ctl.campo("num_lot").comoTexto();
    }
    EXPECT_TRUE(loteSemControle);
}

} // namespace
