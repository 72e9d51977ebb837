// The OK action end to end: notera-host transferencia posts a transfer, then the stored
// payables, cheques, receivables, ledger entries, totals and AL register are read back.

#include "Host.h"

#include <QDate>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using apoio::sql;

namespace {

const std::string Hoje = QDate::currentDate().toString("yyyy-MM-dd").toStdString();

std::vector<std::string> linhas(const std::string& arquivo, const std::string& consulta) {
    std::vector<std::string> l;
    std::istringstream in(sql(arquivo, consulta));
    for (std::string s; std::getline(in, s);) l.push_back(s);
    return l;
}

std::string um(const std::string& arquivo, const std::string& consulta) {
    auto l = linhas(arquivo, consulta);
    return l.empty() ? "<none>" : l[0];
}

std::string junta(std::initializer_list<std::string> campos) {
    std::string s;
    for (const auto& c : campos) s += (&c == campos.begin() ? "" : "|") + c;
    return s;
}

std::string n(long v) { return std::to_string(v); }

const char* ColunasPagar = "num_lan, dat_lan, ven_lan, ccf_lan, ban_lan, con_lan, ped_lan, nf_lan, dup_lan, his_lan, "
                           "val_lan, sit_lan, d_c_lan, bai_lan, cen_lan, ass_opr, red_lan, lot_lan, nop_lan, cde_lan, "
                           "ccr_lan, cdg_lan, ccg_lan, orl_lan, cor_lan, nal_lan, emp_lan";
const char* ColunasReceber = "num_lan, dat_lan, ven_lan, ccf_lan, ban_lan, con_lan, ped_lan, nf_lan, dup_lan, his_lan, "
                             "val_lan, sit_lan, d_c_lan, bai_lan, cen_lan, ass_opr, red_lan, lot_lan, ncc_lan, nop_lan, "
                             "cde_lan, ccr_lan, cdg_lan, ccg_lan, orl_lan, cor_lan, nal_lan, emp_lan";
const char* ColunasCheque = "lan_chq, num_chq, ban_chq, dat_Chq, ven_chq, qui_chq, ccf_chq, his_chq, val_chq, sit_chq, "
                            "mot_chq, cen_chq, dup_chq, lot_chq, rcm_chq, ass_opr, nop_chq, cct_chq, ccg_chq";
const char* ColunasLct = "num_lct, dat_lct, lot_lct, cfd_lct, cfc_lct, cgd_lct, cgc_lct, ccd_lct, ccc_lct, chd_lct, "
                         "hvd_lct, hvc_lct, val_lct, red_lct, orl_lct, cor_lct, ass_opr, alt_lct";

struct Cheque {
    std::string numero, banco, vencimento, quitacao, valor, situacao, historico, fiscal, gerencial;
};

// What one transfer should store: the form's entries, the run's arguments and the numbers
// found before the run. The expected records follow from these by the posting rules.
struct Caso {
    int destino, origem;
    std::string data, ref, controle;
    int al, nos, operacao; // nal_emp and nos_emp after the run; the operation number (0: no cheques)
    // origin page
    int fornecedor, banco2, histPad2, despesa, hisPadBan;
    std::string custo2, histVar2, hisVarBan, deb2, debG2, cred2, credG2, sitPag1, sitPag2;
    // destination page
    int cliente, banco1, histPad1, receita;
    std::string custo1, histVar1, cred1, credG1, sitRec1, sitRec2;
    // numbers in use before the run
    int ultPag, ultRec, ultChq, ultLctOri, ultLctDes, ultCal;
    std::string loteOri, loteDes;
    std::vector<std::string> totaisOri, totaisDes;
    std::vector<Cheque> cheques;
};

const std::string Valor = "1500.0";

std::vector<std::string> pagarEsperados(const Caso& c) {
    std::vector<std::string> l;
    for (int k = 1; k <= 2; ++k) {
        const bool credito = k == 2 && c.operacao == 0;
        l.push_back(junta({n(c.ultPag + k), c.data, c.data, n(c.fornecedor), n(c.banco2), n(c.histPad2), "0", "0",
                           "AL " + n(c.al), c.histVar2, Valor, k == 1 ? c.sitPag1 : c.sitPag2, k == 1 ? "C" : "D",
                           "S", c.custo2, "0", n(c.despesa), "0", n(c.operacao), k == 2 ? c.deb2 : "",
                           credito ? c.cred2 : "", k == 2 ? c.debG2 : "", credito ? c.credG2 : "", "", "0",
                           n(c.al), n(c.destino)}));
    }
    return l;
}

std::vector<std::string> receberEsperados(const Caso& c) {
    std::vector<std::string> l;
    for (int k = 1; k <= 2; ++k)
        l.push_back(junta({n(c.ultRec + k), c.data, c.data, n(c.cliente), n(c.banco1), n(c.histPad1), n(c.origem),
                           "0", "AL " + n(c.al), c.histVar1, Valor, k == 1 ? c.sitRec1 : c.sitRec2,
                           k == 1 ? "D" : "C", "S", c.custo1, "0", n(c.receita), "0", "0", "0", "",
                           k == 2 ? c.cred1 : "", "", k == 2 ? c.credG1 : "", "", "0", n(c.al), n(c.origem)}));
    return l;
}

std::vector<std::string> chequesEsperados(const Caso& c) {
    std::vector<std::string> l;
    int i = 0;
    for (const auto& q : c.cheques)
        l.push_back(junta({n(c.ultChq + ++i), q.numero, q.banco, Hoje, q.vencimento, q.quitacao, n(c.fornecedor),
                           q.historico, q.valor, q.situacao, "0", c.custo2, "AL " + n(c.al), "0", "0", "0",
                           n(c.operacao), q.fiscal, q.gerencial}));
    return l;
}

std::vector<std::string> lctOrigemEsperados(const Caso& c) {
    const std::string hist = n(c.al) + " REF. PAGAMENTOS: " + c.ref + " - " + c.histVar2;
    return {junta({n(c.ultLctOri + 1), c.data, c.loteOri, c.deb2, "", c.debG2, "", c.custo2, "", n(c.histPad2), hist,
                   "", Valor, n(c.despesa), "FPA", n(c.ultPag + 1), "0", ""}),
            junta({n(c.ultLctOri + 2), c.data, c.loteOri, "", c.cred2, "", c.credG2, c.custo2, "", n(c.hisPadBan),
                   c.hisVarBan, "", Valor, n(c.despesa), "FPA", n(c.ultPag + 2), "0", ""})};
}

std::vector<std::string> lctDestinoEsperados(const Caso& c) {
    const std::string hist = n(c.al) + " REF. PAGAMENTOS: " + c.ref + " - " + c.histVar1;
    return {junta({n(c.ultLctDes + 1), c.data, c.loteDes, "", c.cred1, "", c.credG1, c.custo1, "", n(c.histPad1),
                   hist, "", Valor, n(c.receita), "FRE", n(c.ultRec + 2), "0", ""})};
}

std::string dirEmpresa(const std::string& dados, int cod) {
    char nnn[8];
    std::snprintf(nnn, sizeof nnn, "%03d", cod);
    return dados + "/Tabelas/" + nnn + "/tabelas.sqlite";
}

class Lancamento : public ::testing::Test {
protected:
    // The demo data is made once; every test works on its own copy.
    static void SetUpTestSuite() {
        modelo = new apoio::DirTemp;
        auto r = apoio::executa({apoio::binario("notera-dados"), "demo", *modelo / "dados"},
                                {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", modelo->caminho()}});
        ASSERT_EQ(r.saida, 0) << r.err;
    }
    static void TearDownTestSuite() {
        delete modelo;
        modelo = nullptr;
    }
    void SetUp() override { copiaDemo(dados()); }

    static void copiaDemo(const std::string& destino) {
        std::filesystem::copy(*modelo / "dados", destino, std::filesystem::copy_options::recursive);
    }

    std::string dados() const { return dir / "dados"; }
    std::string registro() const { return dados() + "/Tabelas/tabelas.sqlite"; }
    std::string empresa(int cod) const { return dirEmpresa(dados(), cod); }

    apoio::ExecucaoHost roda(int destino, const std::string& roteiro, std::vector<std::string> extra = {},
                             const std::string& base = {}) {
        std::vector<std::string> args = {"transferencia", "--dados", (base.empty() ? dados() : base) + "/",
                                         "--empresa", n(destino), "--valor", "1500", "--ref", "NF 10",
                                         "--controle", "CTL"};
        args.insert(args.end(), extra.begin(), extra.end());
        return apoio::rodaHost(dir, args, roteiro);
    }

    // Row counts of the posting tables of both companies and the register numbers.
    std::vector<std::string> retrato(int destino, int origem) {
        std::vector<std::string> l;
        for (const char* t : {"TbLanPag", "TbChqPag", "TbLct", "TbTot"})
            l.push_back(um(empresa(origem), std::string("SELECT count(*) FROM ") + t));
        for (const char* t : {"TbLanRec", "TbLct", "TbTot", "TbCal"})
            l.push_back(um(empresa(destino), std::string("SELECT count(*) FROM ") + t));
        l.push_back(um(registro(), "SELECT nal_emp, nos_emp FROM TbEmp WHERE cod_emp = " + n(destino)));
        return l;
    }

    void confere(const Caso& c, const std::string& base) {
        const std::string ori = dirEmpresa(base, c.origem), des = dirEmpresa(base, c.destino);
        const std::string reg = base + "/Tabelas/tabelas.sqlite";
        EXPECT_EQ(um(reg, "SELECT nal_emp, nos_emp FROM TbEmp WHERE cod_emp = " + n(c.destino)),
                  n(c.al) + "|" + n(c.nos));
        EXPECT_EQ(linhas(ori, std::string("SELECT ") + ColunasPagar + " FROM TbLanPag WHERE num_lan > " +
                                  n(c.ultPag) + " ORDER BY num_lan"),
                  pagarEsperados(c));
        EXPECT_EQ(um(ori, "SELECT count(*) FROM TbLanPag"), n(c.ultPag + 2));
        EXPECT_EQ(linhas(ori, std::string("SELECT ") + ColunasCheque + " FROM TbChqPag WHERE lan_chq > " +
                                  n(c.ultChq) + " ORDER BY lan_chq"),
                  chequesEsperados(c));
        EXPECT_EQ(um(ori, "SELECT count(*) FROM TbChqPag"), n(c.ultChq + static_cast<int>(c.cheques.size())));
        EXPECT_EQ(linhas(des, std::string("SELECT ") + ColunasReceber + " FROM TbLanRec WHERE num_lan > " +
                                  n(c.ultRec) + " ORDER BY num_lan"),
                  receberEsperados(c));
        EXPECT_EQ(um(des, "SELECT count(*) FROM TbLanRec"), n(c.ultRec + 2));
        EXPECT_EQ(linhas(ori, std::string("SELECT ") + ColunasLct + " FROM TbLct WHERE num_lct > " +
                                  n(c.ultLctOri) + " ORDER BY num_lct"),
                  lctOrigemEsperados(c));
        EXPECT_EQ(linhas(des, std::string("SELECT ") + ColunasLct + " FROM TbLct WHERE num_lct > " +
                                  n(c.ultLctDes) + " ORDER BY num_lct"),
                  lctDestinoEsperados(c));
        EXPECT_EQ(linhas(ori, "SELECT * FROM TbTot ORDER BY cod_tot"), c.totaisOri);
        EXPECT_EQ(linhas(des, "SELECT * FROM TbTot ORDER BY cod_tot"), c.totaisDes);
        EXPECT_EQ(linhas(des, "SELECT * FROM TbCal WHERE num_cal > " + n(c.ultCal)),
                  std::vector<std::string>{
                      junta({n(c.ultCal + 1), n(c.al), Valor, n(c.origem), c.data, c.histVar1, c.controle})});
    }

    static QStringList mensagens(const apoio::ExecucaoHost& e) {
        QStringList l;
        for (const auto& m : e.eventos("message")) l << m["text"].toString();
        return l;
    }

    static apoio::DirTemp* modelo;
    apoio::DirTemp dir;
};

apoio::DirTemp* Lancamento::modelo = nullptr;

// Origin 2 of destination 1 on the demo data: supplier 1 (account 2.1.01.001, history 1),
// cost centre FIN, bank 1 (account 1.1.01.002, bank history 4), expense 3.
const std::string Origem2 = "type 2\nkey Enter\n"
                            "type 1\nkey Enter\n"
                            "type FIN\nkey Enter\n"
                            "type 1\nkey Enter\n"
                            "type 3\nkey Enter\n"
                            "focus Ed_HistVar2\ntype \"REF 99\"\n"
                            "focus Ed_HisVarBan\ntype \"DEP BANCO\"\n";
// Client 3 (account 1.1.03.001, history 3), cost centre COM, bank 2, revenue 2.
const std::string Destino = "tab Pagina 1\n"
                            "focus Ed_Cliente\ntype 3\nkey Enter\n"
                            "type COM\nkey Enter\n"
                            "type 2\nkey Enter\n"
                            "type 2\nkey Enter\n";

} // namespace

TEST_F(Lancamento, SemChequesDepoisDosRegistrosExistentes) {
    // Earlier ledger rows and register records: numbering goes on from them.
    sql(empresa(2), "INSERT INTO TbLct (num_lct, dat_lct, val_lct) VALUES (7, '2025-01-02', 10.0);"
                    "INSERT INTO TbTot VALUES ('', 100.0, 50.0)");
    sql(empresa(1), "INSERT INTO TbLct (num_lct, dat_lct, val_lct) VALUES (3, '2025-01-02', 10.0);"
                    "INSERT INTO TbCal (num_cal, nal_cal) VALUES (9, 40)");
    auto e = roda(1, Origem2 + Destino +
                         "focus Ed_CredG1\nkey Enter\n" // proposed from the client's account
                         "focus Ed_HistVar1\ntype TRANSF\n"
                         "answer Nao\nclick BtOk\n",
                  {"--contabil", "--data", "2025-06-15"});
    EXPECT_EQ(e.r.saida, 0) << e.r.err;
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
    EXPECT_EQ(mensagens(e), QStringList{"Imprimir \"Aviso de Lançamento\" ?"});
    Caso c{.destino = 1, .origem = 2, .data = "2025-06-15", .ref = "NF 10", .controle = "CTL",
           .al = 42, .nos = 17, .operacao = 0,
           .fornecedor = 1, .banco2 = 1, .histPad2 = 1, .despesa = 3, .hisPadBan = 4,
           .custo2 = "FIN", .histVar2 = "REF 99", .hisVarBan = "DEP BANCO", .deb2 = "2.1.01.001", .debG2 = "",
           .cred2 = "1.1.01.002", .credG2 = "", .sitPag1 = "B", .sitPag2 = "", // company 2: 28 B, 22 blank
           .cliente = 3, .banco1 = 2, .histPad1 = 3, .receita = 2,
           .custo1 = "COM", .histVar1 = "TRANSF", .cred1 = "1.1.03.001", .credG1 = "1.02.001",
           .sitRec1 = "A", .sitRec2 = "Q", // company 1: 28 A, 22 Q
           .ultPag = 3, .ultRec = 2, .ultChq = 1, .ultLctOri = 7, .ultLctDes = 3, .ultCal = 9,
           .loteOri = "006/2025", .loteDes = "006/2025",
           .totaisOri = {"|1600.0|1550.0", "006/2025|1500.0|1500.0"},
           .totaisDes = {"|0.0|1500.0", "006/2025|0.0|1500.0"},
           .cheques = {}};
    confere(c, dados());
    EXPECT_EQ(um(registro(), "SELECT nal_emp, nos_emp FROM TbEmp WHERE cod_emp = 2"), "0|0");
}

TEST_F(Lancamento, DoisChequesEmTabelasVazias) {
    // Two companies made empty, with just the register and catalogue rows the transfer needs.
    const std::string base = dir / "vazio";
    auto r = apoio::executa({apoio::binario("notera-dados"), "criar", base, "1", "2"});
    ASSERT_EQ(r.saida, 0) << r.err;
    apoio::gravaArquivo(base + "/Contabilidade.exe", "");
    sql(base + "/Tabelas/tabelas.sqlite",
        "INSERT INTO TbEmp (cod_emp, nom_emp, cen_emp, cfg_emp, nal_emp, nos_emp) VALUES "
        "(1, 'ALFA', 0, 'NNNNNNNNNNNNNNNNNNNNNQNNNNNR', 124, 0),"  // 28 characters
        "(2, 'BETA', 0, 'NNNNNNNNNNNNNNNNNNNNNXNNNNN', 0, 0)");    // 27: no position 28
    for (int e : {1, 2})
        sql(dirEmpresa(base, e),
            "INSERT INTO TbFor VALUES (7, 'FORNECEDOR SETE', '2.1.02.001', 3);"
            "INSERT INTO TbBan VALUES (5, 'BANCO CINCO', '1.1.01.005', '1.1.01.005', 4);"
            "INSERT INTO TbCli VALUES (8, 'CLIENTE OITO', '1.1.03.001', 3);"
            "INSERT INTO TbHis VALUES (3, 'TRANSFERENCIA'), (4, 'DEPOSITO');"
            "INSERT INTO TbPla VALUES ('2.1.02.001', 114, 'A PAGAR', ''), ('1.1.01.005', 105, 'BANCO CINCO', ''),"
            "('1.1.03.001', 109, 'A RECEBER', '')");
    auto e = roda(1,
                  "type 2\nkey Enter\n"
                  "type 7\nkey Enter\n"
                  "focus Ed_Banco2\ntype 5\nkey Enter\n"
                  "focus Ed_HistVar2\ntype \"LOTE 3\"\n"
                  "focus GradeChq\n"
                  "key Enter\nkey Enter\n"                  // today's date; bank 5 proposed, then its name
                  "type 501\nkey Enter\n"                   // number; 1500,00 proposed
                  "key Backspace\ntype 1200\nkey Enter\n"   // a smaller value; the history proposed
                  "key Enter\nkey Enter\n"                  // history; situation P
                  "key Enter\n"                             // the bank's fiscal account; a new row
                  "key Enter\nkey Enter\n"
                  "type 502\nkey Enter\n"                   // 300,00 proposed
                  "key Enter\nkey Enter\n"
                  "key Down\nkey Down\nkey Enter\n"         // C - Compensado: on to the settlement date
                  "type 05012027\nkey Enter\n"
                  "key Enter\n"                             // account; a new row
                  "key Backspace\nkey Enter\n"              // emptied: cheque entry is over
                  "answer Nao\n"                            // "Deseja concluir AL?": no managerial chart
                  "focus Ed_Cliente\ntype 8\nkey Enter\n"
                  "focus Ed_HistVar1\ntype \"TRANSF B\"\n"
                  "answer Nao\nclick BtOk\n",
                  {"--contabil", "--data", "2026-03-04"}, base);
    EXPECT_EQ(e.r.saida, 0) << e.r.err;
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
    EXPECT_EQ(mensagens(e), (QStringList{"Deseja concluir AL?", "Imprimir \"Aviso de Lançamento\" ?"}));
    const std::string hist = "TRANSFERENCIA LOTE 3";
    Caso c{.destino = 1, .origem = 2, .data = "2026-03-04", .ref = "NF 10", .controle = "CTL",
           .al = 125, .nos = 1, .operacao = 1,
           .fornecedor = 7, .banco2 = 5, .histPad2 = 3, .despesa = 0, .hisPadBan = 4,
           .custo2 = "", .histVar2 = "LOTE 3", .hisVarBan = "", .deb2 = "2.1.02.001", .debG2 = "",
           .cred2 = "1.1.01.005", .credG2 = "", .sitPag1 = "", .sitPag2 = "X",
           .cliente = 8, .banco1 = 0, .histPad1 = 3, .receita = 0,
           .custo1 = "", .histVar1 = "TRANSF B", .cred1 = "1.1.03.001", .credG1 = "",
           .sitRec1 = "R", .sitRec2 = "Q",
           .ultPag = 0, .ultRec = 0, .ultChq = 0, .ultLctOri = 0, .ultLctDes = 0, .ultCal = 0,
           .loteOri = "", .loteDes = "", // no periods at all
           .totaisOri = {"|1500.0|1500.0"}, .totaisDes = {"|0.0|1500.0"},
           .cheques = {{"501", "5", Hoje, "", "1200.0", "P", hist, "1.1.01.005", ""},
                       {"502", "5", Hoje, "2027-01-05", "300.0", "C", hist, "1.1.01.005", ""}}};
    confere(c, base);
    EXPECT_EQ(um(base + "/Tabelas/tabelas.sqlite", "SELECT nal_emp, nos_emp FROM TbEmp WHERE cod_emp = 2"), "0|0");
}

TEST_F(Lancamento, DoisChequesComPlanoGerencialDepoisDosExistentes) {
    // Origin 1 keeps the managerial chart too (10 grid columns); destination 2's December
    // period runs into January and takes the next year in its lot code.
    auto e = roda(2,
                  "type 1\nkey Enter\n"
                  "type 1\nkey Enter\n"
                  "type FIN\nkey Enter\n"
                  "type 1\nkey Enter\n"
                  "type 3\nkey Enter\n"
                  "focus Ed_HistVar2\ntype \"REF 99\"\n"
                  "focus Ed_HisVarBan\ntype \"DEP BANCO\"\n"
                  "focus Ed_DebG2\nkey Enter\n"            // proposed from the supplier's account
                  "focus Ed_CredG2\ntype 3.01.001\nkey Enter\n"
                  "focus GradeChq\n"
                  "key Enter\nkey Enter\n"
                  "type 123\nkey Enter\n"
                  "key Backspace\ntype 1000\nkey Enter\n"
                  "key Enter\nkey Enter\n"                  // history; situation P: the fiscal account
                  "key End\n"                               // the managerial account, proposed
                  "key Enter\n"                             // a new row
                  "key Enter\nkey Enter\n"
                  "type 124\nkey Enter\n"                   // 500,00 proposed
                  "key Enter\nkey Enter\n"
                  "key Down\nkey Down\nkey Enter\n"
                  "type 20122026\nkey Enter\n"
                  "key Enter\n"
                  "key Backspace\nkey Enter\n"
                  "answer Nao\n"                            // "Deseja concluir AL?": no managerial chart here
                  "focus Ed_Cliente\ntype 3\nkey Enter\n"
                  "type COM\nkey Enter\n"
                  "type 2\nkey Enter\n"
                  "type 2\nkey Enter\n"
                  "focus Ed_HistVar1\ntype TRANSF\n"
                  "answer Nao\nclick BtOk\n",
                  {"--contabil", "--data", "2025-12-15"});
    EXPECT_EQ(e.r.saida, 0) << e.r.err;
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
    EXPECT_EQ(mensagens(e), (QStringList{"Deseja concluir AL?", "Imprimir \"Aviso de Lançamento\" ?"}));
    const std::string hist = "PAGAMENTO DE FORNECEDOR REF 99";
    Caso c{.destino = 2, .origem = 1, .data = "2025-12-15", .ref = "NF 10", .controle = "CTL",
           .al = 1, .nos = 1, .operacao = 1,
           .fornecedor = 1, .banco2 = 1, .histPad2 = 1, .despesa = 3, .hisPadBan = 4,
           .custo2 = "FIN", .histVar2 = "REF 99", .hisVarBan = "DEP BANCO", .deb2 = "2.1.01.001",
           .debG2 = "2.01.001", .cred2 = "1.1.01.002", .credG2 = "3.01.001", .sitPag1 = "A", .sitPag2 = "Q",
           .cliente = 3, .banco1 = 2, .histPad1 = 3, .receita = 2,
           .custo1 = "COM", .histVar1 = "TRANSF", .cred1 = "1.1.03.001", .credG1 = "",
           .sitRec1 = "B", .sitRec2 = "",
           .ultPag = 3, .ultRec = 2, .ultChq = 1, .ultLctOri = 0, .ultLctDes = 0, .ultCal = 0,
           .loteOri = "012/2025", .loteDes = "012/2026",
           .totaisOri = {"|1500.0|1500.0", "012/2025|1500.0|1500.0"},
           .totaisDes = {"|0.0|1500.0", "012/2026|0.0|1500.0"},
           .cheques = {{"123", "1", Hoje, "", "1000.0", "P", hist, "1.1.01.002", "3.01.001"},
                       {"124", "1", Hoje, "2026-12-20", "500.0", "C", hist, "1.1.01.002", ""}}};
    confere(c, dados());
    EXPECT_EQ(um(registro(), "SELECT nal_emp, nos_emp FROM TbEmp WHERE cod_emp = 1"), "41|17");
}
