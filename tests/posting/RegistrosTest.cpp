// Record writers: numbers from the register, cheques, payables, receivables and the ledger
// entries of a whole transfer, read back from the store.

#include "notera/posting/Registros.h"
#include "Cenario.h"
#include "notera/form/TextosTransferencia.h"

#include "platform/System.h"

#include <cstdio>

namespace {

using cenario::Caixa;
using cenario::dia;
using cenario::Reservas;

const std::string FalhaAL =
    std::string("Não foi possível atualizar o número de AL na tabela de empresas.");
const std::string FalhaOperacao =
    std::string("Não foi possível atualizar o número de operação na tabela de "
                "empresas. Inclusão de cheques não será possível!");

// cfg_emp of |tamanho| characters, "N" but for the given positions (from 1).
std::string configuracao(int tamanho, std::vector<std::pair<int, char>> flags) {
    std::string s(static_cast<std::size_t>(tamanho), 'N');
    for (auto [p, c] : flags)
        s[static_cast<std::size_t>(p - 1)] = c;
    return s;
}

struct Cheque {
    const char* vencimento;
    const char* banco; // GradeAux column 1
    const char* numero;
    const char* valor;
    const char* historico;
    const char* situacao;
    const char* motivo;
    const char* quitacao;
};

const Cheque ChequeCompensado{"20/01/2004",     "3", "123456",    "600,00", "CHQ UM",
                              "C - Compensado", "",  "25/01/2004"};
const Cheque ChequePreDatado{"20/02/2004",     "4", "123457",    "634,56", "CHQ DOIS",
                             "P - Pré-Datado", "",  "  /  /    "};

class Transferencia : public cenario::Cenario {
protected:
    Transferencia() {
        periodosPadrao(1);
        periodosPadrao(2);
        sql(0, "INSERT INTO TbEmp (cod_emp, nom_emp, cfg_emp, nal_emp, nos_emp) VALUES "
               "(1, 'ORIGEM', '" +
                   configuracao(30, {{22, 'Q'}, {28, 'A'}}) +
                   "', 7, 3), "
                   "(2, 'DESTINO', '" +
                   configuracao(30, {{22, 'R'}, {28, 'B'}}) + "', 41, 17)");
        ex_->RefPagamentos = std::string("NF 10");
        ex_->DataMovimento = dia(2003, 12, 15);
        abreRegistro();
    }

    // A transfer of 1234,56 with the given cheque rows in a grid of |colunas| columns.
    static notera::DadosTransferencia dados(const std::vector<Cheque>& cheques, int colunas,
                                            bool contabil) {
        notera::TextosTransferencia d;
        auto& e = d.estado;
        e.CodEmpresa = 1;
        e.CodEmpDestino = 2;
        e.OrigemContabil = contabil;
        e.CodFornecedor = 5;
        e.CodCusto2 = std::string("ADM");
        e.CodBanco2 = 3;
        e.CodDespesa = 8;
        e.CodHistPad2 = 11;
        e.CodHisPadBan = 12;
        e.ContaCred2 = std::string("1.1.02");
        e.ContaDeb2 = std::string("2.1.05");
        e.ContaCredG2 = std::string("G1.2");
        e.ContaDebG2 = std::string("G2.5");
        e.CodCliente = 6;
        e.CodCusto1 = std::string("VEN");
        e.CodBanco1 = 4;
        e.CodReceita = 9;
        e.CodHistPad1 = 13;
        e.ContaCred1 = std::string("3.1.01");
        e.ContaCredG1 = std::string("G3.1");
        d.Valor = std::string("1234,56");
        d.HistVar1 = std::string("TRANSF REC");
        d.HistVar2 = std::string("TRANSF PAG");
        d.HisVarBan = std::string("SAIDA BANCO");

        const int linhas = 1 + std::max<int>(1, static_cast<int>(cheques.size()));
        d.Cheques.redimensiona(colunas, linhas);
        e.GradeAux.redimensiona(colunas, linhas);
        d.Cheques.defineCelula(
            0, 1, std::string("  /  /    ")); // the empty row of a grid without cheques
        for (int r = 1; r <= static_cast<int>(cheques.size()); ++r) {
            const Cheque& c = cheques[static_cast<std::size_t>(r - 1)];
            const char* visiveis[] = {c.vencimento,   "BANCO",          c.numero, c.valor,
                                      c.historico,    c.situacao,       c.motivo, c.quitacao,
                                      "CONTA FISCAL", "CONTA GERENCIAL"};
            for (int col = 0; col < colunas; ++col)
                d.Cheques.defineCelula(col, r, std::string(visiveis[col]));
            e.GradeAux.defineCelula(1, r, std::string(c.banco));
            e.GradeAux.defineCelula(8, r, "1.1.0" + std::to_string(r));
            e.GradeAux.defineCelula(9, r, "G1." + std::to_string(r));
        }
        return notera::LeTransferencia(d);
    }

    // The three writers in the order of the OK action; the operation number.
    std::int32_t posta(const notera::DadosTransferencia& d) {
        const std::int32_t operacao = numera(d);
        if (numeroAL_ > 0) {
            EXPECT_TRUE(notera::GravaPagar(*ex_, d, operacao, numeroAL_));
            EXPECT_TRUE(notera::GravaReceber(*ex_, d, numeroAL_));
        }
        return operacao;
    }

    // NumeraAL; the AL number it issued is kept in numeroAL_.
    std::int32_t numera(const notera::DadosTransferencia& d) {
        return notera::NumeraAL(*ex_, d, numeroAL_);
    }
    std::int32_t numeroAL_ = 0;

    std::string numeros(int empresa) const {
        return valor(0, "SELECT nal_emp || '|' || nos_emp FROM TbEmp WHERE cod_emp = " +
                            std::to_string(empresa));
    }
    std::vector<std::string> cheques() const {
        return linhas(
            1, "SELECT lan_chq, num_chq, ban_chq, ven_chq, ifnull(qui_chq, 'NULL'), ccf_chq, "
               "his_chq, printf('%.4f', val_chq), sit_chq, mot_chq, cen_chq, dup_chq, lot_chq, "
               "rcm_chq, "
               "ass_opr, nop_chq, cct_chq, ccg_chq FROM TbChqPag ORDER BY lan_chq");
    }
    std::vector<std::string> lancamentos(int empresa, const char* tabela) const {
        return linhas(
            empresa,
            std::string("SELECT num_lan, dat_lan, ven_lan, ccf_lan, ban_lan, con_lan, ped_lan, "
                        "nf_lan, dup_lan, his_lan, printf('%.4f', val_lan), sit_lan, d_c_lan, "
                        "bai_lan, cen_lan, ass_opr, red_lan, lot_lan, ifnull(ncc_lan, 'NULL'), "
                        "nop_lan, cde_lan, ccr_lan, cdg_lan, ccg_lan, orl_lan, cor_lan, nal_lan, "
                        "emp_lan FROM ") +
                tabela + " ORDER BY num_lan");
    }
    std::vector<std::string> entradas(int empresa) const {
        return linhas(
            empresa,
            "SELECT num_lct, dat_lct, lot_lct, cfd_lct, cfc_lct, cgd_lct, cgc_lct, ccd_lct, "
            "ccc_lct, chd_lct, hvd_lct, hvc_lct, printf('%.4f', val_lct), red_lct, orl_lct, "
            "cor_lct, ass_opr FROM TbLct ORDER BY num_lct");
    }
    std::vector<std::string> totais(int empresa) const {
        return linhas(empresa,
                      "SELECT cod_tot, printf('%.4f', deb_tot), printf('%.4f', cre_tot) FROM TbTot "
                      "ORDER BY cod_tot");
    }
};

std::string hoje() {
    const base::Data d = platform::hoje();
    char t[16];
    std::snprintf(t, sizeof t, "%04d-%02d-%02d", d.ano, d.mes, d.dia);
    return t;
}

struct CasoTransferencia {
    const char* nome;
    int cheques; // 0 or 2
    int colunas;
    bool origemContabil;
    bool destinoContabil;
    bool anteriores; // earlier rows in every numbered table
};

void PrintTo(const CasoTransferencia& c, std::ostream* os) {
    *os << c.nome;
}

class TransferenciaCasos : public Transferencia,
                           public ::testing::WithParamInterface<CasoTransferencia> {};

TEST_P(TransferenciaCasos, RegistrosDaTransferencia) {
    const auto& c = GetParam();
    abreOrigem(c.origemContabil);
    abreDestino(c.destinoContabil);
    if (c.anteriores) {
        sql(1, "INSERT INTO TbLanPag (num_lan) VALUES (2), (5); INSERT INTO TbChqPag (lan_chq) "
               "VALUES (30);"
               "INSERT INTO TbLct (num_lct) VALUES (100)");
        sql(2,
            "INSERT INTO TbLanRec (num_lan) VALUES (9); INSERT INTO TbLct (num_lct) VALUES (200)");
    }
    const int pag = c.anteriores ? 5 : 0, rec = c.anteriores ? 9 : 0, chq = c.anteriores ? 30 : 0,
              lctOri = c.anteriores ? 100 : 0, lctDes = c.anteriores ? 200 : 0;
    std::vector<Cheque> grade;
    if (c.cheques) grade = {ChequeCompensado, ChequePreDatado};
    auto d = dados(grade, c.colunas, c.origemContabil);

    const std::string antes = hoje();
    const std::int32_t operacao = posta(d);
    const std::string depois = hoje();

    // Register: the destination's AL number, and its operation number only with cheques.
    EXPECT_EQ(numeroAL_, 42);
    EXPECT_EQ(operacao, c.cheques ? 18 : 0);
    EXPECT_EQ(numeros(2), c.cheques ? "42|18" : "42|17");
    EXPECT_EQ(numeros(1), "7|3");

    const std::string nop = std::to_string(operacao);
    std::vector<std::string> esperados;
    for (int r = 0; r < c.cheques; ++r) {
        const bool compensado = r == 0;
        const auto& q = grade[static_cast<std::size_t>(r)];
        const std::string fiscal = c.colunas >= 9 ? "1.1.0" + std::to_string(r + 1) : "";
        const std::string gerencial = c.colunas >= 10 ? "G1." + std::to_string(r + 1) : "";
        esperados.push_back(std::to_string(chq + r + 1) + "|" + q.numero + "|" + q.banco + "|" +
                            (compensado ? "2004-01-20|2004-01-25" : "2004-02-20|NULL") + "|5|" +
                            q.historico + (compensado ? "|600.0000|C" : "|634.5600|P") +
                            "|0|ADM|AL 42|0|0|0|" + nop + "|" + fiscal + "|" + gerencial);
    }
    const auto ch = cheques();
    EXPECT_EQ(std::vector<std::string>(ch.begin() + (c.anteriores ? 1 : 0), ch.end()), esperados);
    // Made today: the workstation's date when posted.
    for (const auto& dataChq :
         linhas(1, "SELECT dat_Chq FROM TbChqPag WHERE lan_chq > " + std::to_string(chq)))
        EXPECT_TRUE(dataChq == antes || dataChq == depois) << dataChq;

    const std::string data = "2003-12-15|2003-12-15|";
    // With cheques the second payable carries no credit accounts: the cheques carry theirs.
    const std::string ccr = c.cheques ? "" : "1.1.02", ccg = c.cheques ? "" : "G1.2";
    const auto pagos = lancamentos(1, "TbLanPag");
    EXPECT_EQ(std::vector<std::string>(pagos.begin() + (c.anteriores ? 2 : 0), pagos.end()),
              (std::vector<std::string>{
                  std::to_string(pag + 1) + "|" + data +
                      "5|3|11|0|0|AL 42|TRANSF PAG|1234.5600|A|C|S|ADM|0|8|0|NULL|" + nop +
                      "||||||0|42|2",
                  std::to_string(pag + 2) + "|" + data +
                      "5|3|11|0|0|AL 42|TRANSF PAG|1234.5600|Q|D|S|ADM|0|8|0|NULL|" + nop +
                      "|2.1.05|" + ccr + "|G2.5|" + ccg + "||0|42|2"}));
    const auto recebidos = lancamentos(2, "TbLanRec");
    EXPECT_EQ(std::vector<std::string>(recebidos.begin() + (c.anteriores ? 1 : 0), recebidos.end()),
              (std::vector<std::string>{
                  std::to_string(rec + 1) + "|" + data +
                      "6|4|13|1|0|AL 42|TRANSF REC|1234.5600|B|D|S|VEN|0|9|0|0|0||||||0|42|1",
                  std::to_string(rec + 2) + "|" + data +
                      "6|4|13|1|0|AL 42|TRANSF "
                      "REC|1234.5600|R|C|S|VEN|0|9|0|0|0||3.1.01||G3.1||0|42|1"}));

    // Ledger: the origin's two payables and the destination's second receivable.
    std::vector<std::string> origem, destino, totOrigem, totDestino;
    if (c.origemContabil) {
        origem = {std::to_string(lctOri + 1) +
                      "|2003-12-15|007/2004|2.1.05||G2.5||ADM||11|"
                      "42 REF. PAGAMENTOS: NF 10 - TRANSF PAG||1234.5600|8|FPA|" +
                      std::to_string(pag + 1) + "|0",
                  std::to_string(lctOri + 2) +
                      "|2003-12-15|007/2004||1.1.02||G1.2|ADM||12|SAIDA BANCO||1234.5600|8|FPA|" +
                      std::to_string(pag + 2) + "|0"};
        totOrigem = {"|1234.5600|1234.5600", "007/2004|1234.5600|1234.5600"};
    }
    if (c.origemContabil && c.destinoContabil) {
        destino = {std::to_string(lctDes + 1) +
                   "|2003-12-15|007/2004||3.1.01||G3.1|VEN||13|"
                   "42 REF. PAGAMENTOS: NF 10 - TRANSF REC||1234.5600|9|FRE|" +
                   std::to_string(rec + 2) + "|0"};
        totDestino = {"|0.0000|1234.5600", "007/2004|0.0000|1234.5600"};
    }
    auto semAnteriores = [&](std::vector<std::string> v) {
        if (c.anteriores && !v.empty()) v.erase(v.begin());
        return v;
    };
    EXPECT_EQ(semAnteriores(entradas(1)), origem);
    EXPECT_EQ(semAnteriores(entradas(2)), destino);
    EXPECT_EQ(totais(1), totOrigem);
    EXPECT_EQ(totais(2), totDestino);
    EXPECT_EQ(Reservas::pedidas.size(), origem.size() + destino.size());
    EXPECT_EQ(Reservas::liberadas, Reservas::pedidas);
    EXPECT_TRUE(caixas().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Casos, TransferenciaCasos,
    ::testing::Values(CasoTransferencia{"NoChequesEmptyTables", 0, 10, true, true, false},
                      CasoTransferencia{"TwoChequesAfterEarlierRows", 2, 10, true, true, true},
                      CasoTransferencia{"TwoChequesFiscalChartOnly", 2, 9, true, true, false},
                      CasoTransferencia{"TwoChequesOriginWithoutAccounts", 2, 8, false, true, true},
                      CasoTransferencia{"DestinationLedgerClosed", 0, 10, true, false, false},
                      CasoTransferencia{"NoAccountsAnywhere", 0, 8, false, false, true}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Transferencia, SituacaoDoChequeDecideAQuitacao) {
    abreOrigem(false);
    auto d = dados({{"01/03/2004", "1", "11", "1,00", "A", "C - Compensado", "", "25/01/2004"},
                    {"01/03/2004", "1", "12", "2,5", "B", "D - Depositado", "", "26/01/2004"},
                    {"01/03/2004", "1", "13", "3", "C", "V - Devolvido", "12", "27/01/2004"},
                    {"01/03/2004", "1", "", "-4,25", "D", "P - Pré-Datado", "x", "  /  /    "}},
                   8, false);
    ASSERT_EQ(numera(d), 18);
    EXPECT_EQ(
        linhas(1,
               "SELECT num_chq, printf('%.4f', val_chq), sit_chq, mot_chq, ifnull(qui_chq, 'NULL') "
               "FROM TbChqPag ORDER BY lan_chq"),
        (std::vector<std::string>{"11|1.0000|C|0|2004-01-25", "12|2.5000|D|0|NULL",
                                  "13|3.0000|V|12|NULL", "0|-4.2500|P|0|NULL"}));
}

TEST_F(Transferencia, CelulaInvalidaLevaErroEMantemChequesAnteriores) {
    abreOrigem(false);
    struct Caso {
        const char* nome;
        Cheque segundo;
    } casos[] = {
        {"amount with thousands separator",
         {"01/03/2004", "1", "2", "1.234,00", "", "P - Pré-Datado", "", ""}},
        {"amount not a number", {"01/03/2004", "1", "2", "12,3x", "", "P - Pré-Datado", "", ""}},
        {"impossible due date", {"31/02/2004", "1", "2", "1,00", "", "P - Pré-Datado", "", ""}},
        {"cleared without settlement date",
         {"01/03/2004", "1", "2", "1,00", "", "C - Compensado", "", "  /  /    "}},
    };
    const Cheque bom{"01/03/2004", "1", "1", "1,00", "", "P - Pré-Datado", "", ""};
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        const auto antes = std::stoi(valor(1, "SELECT count(*) FROM TbChqPag"));
        auto d = dados({bom, c.segundo}, 8, false);
        EXPECT_THROW(numera(d), std::exception);
        EXPECT_EQ(std::stoi(valor(1, "SELECT count(*) FROM TbChqPag")), antes + 1);
        EXPECT_EQ(ex_->TabOrigem.TbChqPag.estado(), db::Estado::Navegando);
    }
}

TEST_F(Transferencia, SituacaoDoRegistroVemDaConfiguracao) {
    abreDestino(false);
    struct Caso {
        const char* nome;
        std::string cfg;
        const char* primeiro;
        const char* segundo;
    } casos[] = {
        {"30 characters", configuracao(30, {{22, 'R'}, {28, 'B'}}), "B", "R"},
        {"27 characters", configuracao(27, {{22, 'R'}}), "", "R"},
        {"blank at 22", configuracao(28, {{22, ' '}, {28, 'B'}}), "B", ""},
        {"empty", "", "", ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        sql(0, "UPDATE TbEmp SET cfg_emp = '" + c.cfg + "' WHERE cod_emp = 2");
        ex_->TabPadroes.QTbEmp.releia();
        EXPECT_TRUE(notera::GravaReceber(*ex_, dados({}, 8, false), 125));
        EXPECT_EQ(
            linhas(2,
                   "SELECT sit_lan, dup_lan, nal_lan FROM TbLanRec ORDER BY num_lan DESC LIMIT 2"),
            (std::vector<std::string>{std::string(c.segundo) + "|AL 125|125",
                                      std::string(c.primeiro) + "|AL 125|125"}));
    }
}

struct CasoNumeracao {
    const char* nome;
    const char* preparo; // SQL on the register
    std::int32_t destino;
    std::int32_t numeroAL;
    std::string mensagem;
    const char* numerosDestino; // nal_emp|nos_emp of company 2 afterwards
    const char* motivo = "";    // the engine's text that ends the box, after a line break
};

void PrintTo(const CasoNumeracao& c, std::ostream* os) {
    *os << c.nome;
}

class NumeracaoCasos : public Transferencia, public ::testing::WithParamInterface<CasoNumeracao> {};

TEST_P(NumeracaoCasos, NumeroRecusado) {
    const auto& c = GetParam();
    abreOrigem(false);
    if (*c.preparo) sql(0, c.preparo);
    auto d = dados({ChequeCompensado, ChequePreDatado}, 8, false);
    d.CodEmpDestino = c.destino;
    EXPECT_EQ(numera(d), 0);
    EXPECT_EQ(numeroAL_, c.numeroAL);
    ASSERT_EQ(caixas().size(), 1u);
    EXPECT_EQ(caixas()[0].icone, platform::Icone::Nenhum);
    const std::string& texto = caixas()[0].texto;
    if (*c.motivo)
        EXPECT_TRUE(texto.starts_with(c.mensagem + "\r\n") && texto.ends_with(c.motivo)) << texto;
    else
        EXPECT_EQ(texto, c.mensagem);
    EXPECT_EQ(numeros(2), c.numerosDestino);
    EXPECT_EQ(numeros(1), "7|3");
    EXPECT_TRUE(cheques().empty());
    EXPECT_EQ(ex_->TabPadroes.QTbEmp.estado(), db::Estado::Navegando);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, NumeracaoCasos,
    ::testing::Values(CasoNumeracao{"ALNumberRefused",
                                    "CREATE TRIGGER t BEFORE UPDATE OF nal_emp ON TbEmp BEGIN "
                                    "SELECT RAISE(ABORT, 'nao'); END",
                                    2, 0, FalhaAL, "41|17", "nao"},
                      CasoNumeracao{"DestinationNotInRegister", "", 9, 0, FalhaAL, "41|17"},
                      CasoNumeracao{"OperationNumberRefused",
                                    "CREATE TRIGGER t BEFORE UPDATE OF nos_emp ON TbEmp BEGIN "
                                    "SELECT RAISE(ABORT, 'nao'); END",
                                    2, 42, FalhaOperacao, "42|17", "nao"}),
    [](const auto& info) { return std::string(info.param.nome); });

} // namespace
