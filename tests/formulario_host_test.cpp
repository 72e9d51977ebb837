// The form at work, through notera-host on the demo data directory: lookups, accounts,
// the cheque grid and the origin company.

#include "Host.h"

#include <QDate>
#include <QJsonArray>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

class Formulario : public ::testing::Test {
protected:
    void SetUp() override {
        auto r =
            apoio::executa({apoio::binario("notera-dados"), "demo", dados()},
                           {{"QT_QPA_PLATFORM", "offscreen"}, {"XDG_RUNTIME_DIR", dir.caminho()}});
        ASSERT_EQ(r.saida, 0) << r.err;
    }
    std::string dados() const { return dir / "dados"; }

    // Destination 1 keeps accounts (check digits "S", managerial chart); origin 2 uses
    // check digits "N" and no managerial chart.
    apoio::ExecucaoHost roda(const std::string& roteiro, const char* destino = "1",
                             bool contabil = true) {
        std::vector<std::string> args = {"transferencia", "--dados", dados() + "/", "--empresa",
                                         destino,         "--valor", "1500"};
        if (contabil) args.push_back("--contabil");
        auto e = apoio::rodaHost(dir, args, roteiro);
        EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join(" | ").toStdString();
        return e;
    }

    // Texts as UTF-8, so they compare with the test's literals.
    static std::string texto(const apoio::ExecucaoHost& e, const char* nome, int i = -1) {
        auto d = e.dumps(nome);
        if (d.isEmpty()) return "<no dump>";
        return (i < 0 ? d.last() : d.value(i))["text"].toString().toStdString();
    }
    static QStringList focos(const apoio::ExecucaoHost& e) {
        QStringList l;
        for (const auto& d : e.dumps("focus"))
            l << d["value"].toString();
        return l;
    }
    static QStringList mensagens(const apoio::ExecucaoHost& e) {
        QStringList l;
        for (const auto& m : e.eventos("message"))
            l << m["text"].toString();
        return l;
    }
    static QJsonArray linha(const apoio::ExecucaoHost& e, int i, int lin) {
        return e.dumps("GradeChq").value(i)["rows"].toArray()[lin].toArray();
    }

    apoio::DirTemp dir;
};

// Origin 2, then to the destination page through the page tabs.
const std::string Origem2 = "type 2\nkey Enter\n";
const std::string ParaDestino = "tab Pagina 1\nfocus Ed_Valor\n";

} // namespace

TEST_F(Formulario, ClientePorCodigoNomePrefixoEComBranco) {
    auto e =
        roda(Origem2 + ParaDestino +
             "capslock on\n"
             "key Enter\ntype 3\nkey Enter\n" // by code: account and history handed on
             "dump Ed_Cliente\ndump Ed_Cred1\ndump Ed_HistPad1\ndump focus\ndump capslock\n"
             "key Up\ndump Ed_Cliente\n" // entering again shows the code, selected
             "type \"MERCEARIA SÃO JORGE\"\nkey Enter\ndump Ed_Cliente\n" // by full name
             "key Up\nchoose 5\ntype MERC\nkey Enter\ndump Ed_Cliente\n"  // by prefix: dialog at 2
             "key Up\ncancel\ntype \"3 \"\nkey Enter\ndump Ed_Cliente\n" // code and a blank: dialog
             "click BtSair\n");
    EXPECT_EQ(texto(e, "Ed_Cliente", 0), "TRANSPORTADORA RIO CLARO S.A.");
    EXPECT_EQ(texto(e, "Ed_Cred1"), "109-0  TRANSFERÊNCIAS A RECEBER");
    EXPECT_EQ(texto(e, "Ed_HistPad1"), "TRANSFERÊNCIA ENTRE EMPRESAS DO GRUPO");
    EXPECT_EQ(focos(e), QStringList{"Ed_Custo1"}); // the account handling moved on past the client
    // The form switches Caps Lock off with a key press; Wine without a display has no
    // keyboard whose toggle a key press changes, so only the Linux host can tell there.
    if (!apoio::hostWindows()) {
        EXPECT_FALSE(e.dumps("capslock")[0]["value"].toBool());
    }
    EXPECT_EQ(texto(e, "Ed_Cliente", 1), "3");
    EXPECT_EQ(texto(e, "Ed_Cliente", 2), "MERCEARIA SÃO JORGE");
    EXPECT_EQ(texto(e, "Ed_Cliente", 3), "ATACADÃO PAULISTA LTDA");
    EXPECT_EQ(texto(e, "Ed_Cliente", 4), "3 "); // cancelled: the typed text stays
    auto sel = e.eventos("select");
    ASSERT_EQ(sel.size(), 2);
    EXPECT_EQ(sel[0]["caption"].toString(), "Seleção de Cliente");
    EXPECT_EQ(sel[0]["at"].toString(), "2"); // the first client whose name begins with MERC
    EXPECT_EQ(sel[0]["answer"].toString(), "5");
    EXPECT_EQ(sel[1]["answer"].toString(), "cancel");
}

TEST_F(Formulario, PadroesDoFornecedorDoBancoEDasCategorias) {
    auto e =
        roda("type 2\nkey Enter\n"
             "type 1\nkey Enter\n" // supplier 1: account 2.1.01.001 and history 1 handed on
             "dump Ed_Fornecedor\ndump Ed_Deb2\ndump Ed_HistPad2\ndump focus\n"
             "capslock on\ntype FIN\nkey Enter\ndump Ed_Custo2\ndump capslock\n" // by code; Caps
                                                                                 // Lock stays
             "type 1\nkey Enter\n" // origin bank: account and history handed on
             "dump Ed_Banco2\ndump Ed_Cred2\ndump Ed_HisPadBan\ndump focus\n"
             "type 3\nkey Enter\n" // expense: its history does not replace the supplier's
             "dump Ed_Despesa\ndump capslock\ndump Ed_HistPad2\n"
             "focus Ed_Deb2\ndump Ed_Deb2\n" // entering an account field shows the structural code
             "focus Ed_Custo2\ndump Ed_Custo2\n"
             "click BtSair\n");
    EXPECT_EQ(texto(e, "Ed_Fornecedor"), "COOPERATIVA AGRÍCOLA VALE VERDE");
    EXPECT_EQ(texto(e, "Ed_Deb2", 0),
              "112  FORNECEDORES NACIONAIS"); // check digits off in company 2
    EXPECT_EQ(texto(e, "Ed_HistPad2"), "PAGAMENTO DE FORNECEDOR");
    EXPECT_EQ(texto(e, "Ed_Custo2", 0), "FINANCEIRO");
    EXPECT_EQ(texto(e, "Ed_Banco2"), "BANCO DO BRASIL C/C 12345-6");
    EXPECT_EQ(texto(e, "Ed_Cred2"), "104  BANCO DO BRASIL C/C 12345-6");
    EXPECT_EQ(texto(e, "Ed_HisPadBan"), "DEPÓSITO BANCÁRIO");
    EXPECT_EQ(focos(e), (QStringList{"Ed_Custo2", "Ed_Despesa"}));
    EXPECT_TRUE(e.dumps("capslock")[0]["value"].toBool());
    EXPECT_EQ(texto(e, "Ed_Despesa"), "TRANSFERÊNCIA CONCEDIDA AO GRUPO");
    EXPECT_FALSE(e.dumps("capslock")[1]["value"].toBool()); // the handed-on history switched it off
    EXPECT_EQ(texto(e, "Ed_Deb2", 1), "2.1.01.001");
    EXPECT_EQ(texto(e, "Ed_Custo2", 1), "FIN");
    EXPECT_TRUE(e.eventos("select").isEmpty());
}

TEST_F(Formulario, ReceitaHistoricoCentroDeCustosEConcluirAL) {
    // Destination 2 has no managerial chart: a client's default account ends with the
    // question "Deseja concluir AL?".
    auto e = roda(
        "type 1\nkey Enter\n" + ParaDestino +
            "key Enter\n"
            "answer Nao\ntype 1\nkey Enter\n"
            "dump Ed_Cred1\ndump Ed_HistPad1\n"
            "focus Ed_Receita\ncapslock on\ntype 2\nkey Enter\ndump Ed_Receita\ndump capslock\n"
            "focus Ed_HistPad1\ndump Ed_HistPad1\n" // the client's history stays
            "focus Ed_Custo1\ncancel\ntype XYZ\nkey Enter\ndump Ed_Custo1\n"
            "click BtSair\n",
        "2");
    auto msgs = e.eventos("message");
    ASSERT_EQ(msgs.size(), 1);
    EXPECT_EQ(msgs[0]["text"].toString().toStdString(), "Deseja concluir AL?");
    EXPECT_EQ(msgs[0]["icon"].toString(), "warning");
    EXPECT_EQ(msgs[0]["caption"].toString().toStdString(), "Atenção");
    EXPECT_EQ(msgs[0]["buttons"].toArray().size(), 2);
    EXPECT_EQ(texto(e, "Ed_Cred1"), "107  DUPLICATAS A RECEBER");
    EXPECT_EQ(texto(e, "Ed_HistPad1", 0), "RECEBIMENTO DE CLIENTE");
    EXPECT_EQ(texto(e, "Ed_Receita"), "TRANSFERÊNCIA RECEBIDA DO GRUPO");
    EXPECT_TRUE(e.dumps("capslock")[0]["value"].toBool()); // the revenue leaves Caps Lock alone
    EXPECT_EQ(texto(e, "Ed_HistPad1", 1), "2");
    EXPECT_EQ(texto(e, "Ed_Custo1"), "XYZ");
    ASSERT_EQ(e.eventos("select").size(), 1);
    EXPECT_EQ(e.eventos("select")[0]["caption"].toString().toStdString(),
              "Seleção de Centro de Custos");
}

TEST_F(Formulario, ContasPorEstruturalReduzidoEDescricao) {
    // Ed_Cred1 of destination 1 (check digit "S"); after each account the focus moves to
    // Ed_CredG1 and Up brings it back.
    auto e =
        roda(Origem2 + ParaDestino +
             "focus Ed_Cred1\n"
             "type 1.1.01.001\nkey Enter\ndump Ed_Cred1\ndump focus\nkey Up\n"
             "type 103-1\nkey Enter\ndump Ed_Cred1\nkey Up\n"
             "choose 105-8\ntype 103-2\nkey Enter\ndump Ed_Cred1\nkey Up\n" // wrong check digit
             "cancel\ntype 103\nkey Enter\ndump Ed_Cred1\nkey Up\n"         // no dash: the dialog
             "type \"CAIXA GERAL\"\nkey Enter\ndump Ed_Cred1\nkey Up\n"
             "answer OK\ncancel\ntype 1.1.01.000\nkey Enter\ndump Ed_Cred1\nkey Up\n" // synthetic
             "answer OK\nchoose 102-3\nchoose 104-0\ntype 1.1\nkey Enter\ndump Ed_Cred1\n"
             "click BtSair\n");
    const std::vector<std::string> esperados = {"103-1  CAIXA GERAL",
                                                "103-1  CAIXA GERAL",
                                                "105-8  ITAÚ C/C 98765-4",
                                                "",
                                                "103-1  CAIXA GERAL",
                                                "",
                                                "104-0  BANCO DO BRASIL C/C 12345-6"};
    for (std::size_t i = 0; i < esperados.size(); ++i)
        EXPECT_EQ(texto(e, "Ed_Cred1", static_cast<int>(i)), esperados[i]) << i;
    EXPECT_EQ(focos(e), QStringList{"Ed_CredG1"});
    const QStringList avisos = mensagens(e);
    ASSERT_EQ(avisos.size(), 2);
    for (const auto& a : avisos)
        EXPECT_EQ(a.toStdString(), "Não é possível lançar em contas sintéticas!");
    auto sel = e.eventos("select");
    ASSERT_EQ(sel.size(), 5);
    EXPECT_EQ(sel[0]["caption"].toString().toStdString(), "Seleção de Conta Contábil");
    EXPECT_EQ(sel[0]["fields"].toArray(), (QJsonArray{"codigo", "cde_pla", "nom_pla"}));
    EXPECT_EQ(sel[0]["at"].toString(), "103-1"); // the dialog opens on the row found
}

TEST_F(Formulario, DigitoVerificadorDaOrigem) {
    // Origin 2: check digits off; origin 3 (blank flag, catalogues of company 1): a reduced
    // code is found, then the dialog opens because it is displayed with its digit.
    auto n = roda(Origem2 +
                  "focus Ed_Cred2\ntype 103\nkey Enter\ndump Ed_Cred2\n"
                  "focus Ed_Cred2\ncancel\ntype 103-1\nkey Enter\ndump Ed_Cred2\nclick BtSair\n");
    EXPECT_EQ(texto(n, "Ed_Cred2", 0), "103  CAIXA GERAL");
    EXPECT_EQ(texto(n, "Ed_Cred2", 1), "");
    auto b =
        roda("type 3\nkey Enter\nfocus Ed_Cred2\nchoose 103-1\ntype 103\nkey Enter\ndump Ed_Cred2\n"
             "focus Ed_Cred2\ncancel\ntype 103-1\nkey Enter\ndump Ed_Cred2\nclick BtSair\n");
    EXPECT_EQ(texto(b, "Ed_Cred2", 0), "103-1  CAIXA GERAL");
    EXPECT_EQ(texto(b, "Ed_Cred2", 1), "");
    ASSERT_EQ(b.eventos("select").size(), 2);
    EXPECT_EQ(b.eventos("select")[0]["at"].toString(), "103-1");
}

TEST_F(Formulario, GradeDeCheques) {
    auto e = roda("type 2\nkey Enter\ntype 1\nkey Enter\n" // origin 2, supplier 1 (history 1)
                  "focus Ed_Banco2\ntype 1\nkey Enter\n"   // the page's bank account
                  "focus Ed_HistVar2\ntype \"REF 99\"\n"
                  "focus GradeChq\n"        // today's date
                  "key Enter\nkey Enter\n"  // bank code 1, then its name
                  "type 123\nkey Enter\n"   // number; the value proposed
                  "key Enter\n"             // value; the history proposed
                  "key Enter\ndump focus\n" // the situation selector
                  "key Down\nkey Enter\n"   // D: on to the account
                  "key Enter\n"             // account; a new row
                  "dump GradeChq\ndump Lb_ChqTotal\n"
                  "key Enter\nkey Enter\ntype 123\nanswer OK\nkey Enter\n" // same bank and number
                  "type 124\nkey Enter\n"
                  "type 2000\nanswer OK\nkey Enter\n"                    // above the transfer
                  "type 10.5\nkey Enter\ndump Lb_ChqTotal\n"             // "." typed as ","
                  "key Enter\nkey Down\nkey Down\nkey Down\nkey Enter\n" // V: on to the reason
                  "answer OK\nkey Enter\ntype 12\nkey Enter\nkey Enter\n"
                  "dump GradeChq\n"
                  "key Backspace\nkey Up\ndump GradeChq\n" // a row without date goes
                  "key Down\nkey Backspace\nkey Enter\n"   // a new row, emptied: entry over
                  "dump GradeChq\ndump focus\n"
                  "click BtSair\n");
    const QString hoje = QDate::currentDate().toString("dd/MM/yyyy");
    EXPECT_EQ(focos(e), (QStringList{"Cb_ChqSit", "Ed_Valor"}));
    const QJsonArray primeira{hoje,
                              "BANCO DO BRASIL C/C 12345-6",
                              "123",
                              "1500,00",
                              "PAGAMENTO DE FORNECEDOR REF 99",
                              "D - Depositado",
                              "",
                              "",
                              "104  BANCO DO BRASIL C/C 12345-6"};
    EXPECT_EQ(linha(e, 0, 1), primeira);
    EXPECT_EQ(linha(e, 0, 2)[0].toString(), hoje); // the new row
    EXPECT_EQ(texto(e, "Lb_ChqTotal", 0), "1.500,00");
    EXPECT_EQ(texto(e, "Lb_ChqTotal", 1), "1.510,50");
    EXPECT_EQ(mensagens(e),
              (QStringList{"Cheque deste banco já informado na linha 1",
                           "Valor do cheque não pode ser maior que o total do lançamento!",
                           "Motivo inválido!"}));
    for (const auto& m : e.eventos("message"))
        EXPECT_EQ(m["icon"].toString(), "none");
    const QJsonArray segunda{hoje,
                             "BANCO DO BRASIL C/C 12345-6",
                             "124",
                             "10,5",
                             "PAGAMENTO DE FORNECEDOR REF 99",
                             "V - Devolvido",
                             "12",
                             "",
                             "104  BANCO DO BRASIL C/C 12345-6"};
    EXPECT_EQ(linha(e, 1, 2), segunda);
    EXPECT_EQ(e.dumps("GradeChq")[1]["rows"].toArray().size(), 4); // titles, two cheques, a new row
    for (int i = 2; i <= 3; ++i) {
        const auto d = e.dumps("GradeChq").value(i);
        EXPECT_EQ(d["rows"].toArray().size(), 3) << i; // the empty row was discarded
        EXPECT_EQ(d["rows"].toArray()[2].toArray(), segunda) << i;
    }
}

TEST_F(Formulario, EmpresaDeOrigemRecusasETrocas) {
    auto e = roda(
        "answer OK\nkey Enter\ndump focus\n"                       // empty: refused, focus stays
        "cancel\nanswer OK\ntype 99\nkey Enter\ndump Ed_Empresa\n" // not in the register
        "answer OK\ntype 2\nkey Enter\ndump Ed_Empresa\n"          // the destination itself
        "choose 2\nanswer OK\ntype ZZZ\nkey Enter\n"               // ... also through the dialog
        "type 1\nkey Enter\n"                                      // origin 1: both charts
        "dump Pn_Contabil2\ndump Pn_ContabilG2\ndump GradeChq\n"
        "type 1\nkey Enter\n" // a supplier; its account handling moves on to Ed_Custo2
        "focus Ed_Empresa\nkey End Shift+Home\ntype 1\nkey Enter\ndump Ed_Fornecedor\n" // the same
                                                                                        // company
        "key Enter\n"
        "focus Ed_Empresa\nkey End Shift+Home\ntype 3\nkey Enter\ndump Ed_Fornecedor\n" // another
                                                                                        // one
        "type 2\nkey Enter\ndump Ed_Fornecedor\n" // company 3 uses company 1's catalogues
        "click BtSair\n",
        "2");
    EXPECT_EQ(focos(e), QStringList{"Ed_Empresa"});
    EXPECT_EQ(mensagens(e),
              (QStringList{
                  "Informe a empresa geradora do recurso financeiro!",
                  "Informe a empresa de onde virão os recursos financeiros!",
                  "Não é possível informar a mesma empresa de destino dos recursos financeiro!",
                  "Não é possível informar a mesma empresa de destino dos recursos financeiro!"}));
    const auto msgs = e.eventos("message");
    EXPECT_EQ(msgs[0]["icon"].toString(), "information");
    EXPECT_EQ(msgs[1]["icon"].toString(), "none"); // a plain message box
    EXPECT_EQ(msgs[1]["caption"].toString(), "notera-host");
    EXPECT_EQ(texto(e, "Ed_Empresa", 0), "");
    EXPECT_EQ(texto(e, "Ed_Empresa", 1), "");
    // Origin 1 of destination 2 keeps a managerial chart as well.
    EXPECT_TRUE(e.dumps("Pn_Contabil2")[0]["visible"].toBool());
    EXPECT_TRUE(e.dumps("Pn_ContabilG2")[0]["visible"].toBool());
    EXPECT_EQ(e.dumps("GradeChq")[0]["rows"].toArray()[0].toArray().size(), 10);
    EXPECT_EQ(texto(e, "Ed_Fornecedor", 0), "1"); // entered again: the supplier's code is kept
    EXPECT_EQ(texto(e, "Ed_Fornecedor", 1), "");  // another company: origin entries cleared
    EXPECT_EQ(texto(e, "Ed_Fornecedor", 2), "EMBALAGENS CAMPINAS LTDA");
}

// A company directory that is a link to the destination's: both sides would post into one
// store, so the company is refused naming both directories. Another company still passes.
TEST_F(Formulario, OrigemNoDiretorioDoDestinoERecusada) {
    const std::string tabelas = dados() + "/Tabelas";
    std::filesystem::remove_all(tabelas + "/002");
    std::filesystem::create_directory_symlink("001", tabelas + "/002");
    auto e = roda("answer OK\ntype 2\nkey Enter\ndump Ed_Empresa\ndump focus\n"
                  "type 3\nkey Enter\ndump Ed_Empresa\ndump focus\nclick BtSair\n");
    // The directories as the host named them: with a backslash on Windows.
    const std::string t = apoio::caminhoNoHost(tabelas), sep = apoio::hostWindows() ? "\\" : "/";
    EXPECT_EQ(mensagens(e).join(" | ").toStdString(),
              "O diretório da empresa 2 (" + t + sep + "002) é o mesmo da empresa de destino 1 (" +
                  t + sep + "001)!");
    ASSERT_EQ(e.eventos("message").size(), 1);
    EXPECT_EQ(e.eventos("message")[0]["icon"].toString().toStdString(), "error");
    EXPECT_EQ(texto(e, "Ed_Empresa", 0), "");
    EXPECT_EQ(focos(e), (QStringList{"Ed_Empresa", "Ed_Fornecedor"}));
    EXPECT_NE(texto(e, "Ed_Empresa", 1), "");
}

TEST_F(Formulario, OrigemSemProgramaDeContabilidade) {
    std::filesystem::remove(dados() + "/Contabilidade.exe");
    auto e = roda(
        "type 2\nkey Enter\nfocus GradeChq\nkey Enter\n"
        "dump Pn_Contabil2\ndump Pn_ContabilG2\ndump GradeChq\n"
        "focus Ed_Empresa\nkey End Shift+Home\ntype 3\nkey Enter\ndump GradeChq\n" // rows typed
                                                                                   // stay
        "click BtSair\n",
        "1");
    EXPECT_FALSE(e.dumps("Pn_Contabil2")[0]["visible"].toBool());
    EXPECT_FALSE(e.dumps("Pn_ContabilG2")[0]["visible"].toBool());
    const auto antes = e.dumps("GradeChq")[0]["rows"].toArray();
    EXPECT_EQ(antes[0].toArray().size(), 8);
    EXPECT_EQ(e.dumps("GradeChq")[1]["rows"].toArray(), antes);
}

TEST_F(Formulario, MensagensDasCelulasDaGrade) {
    // Each wrong cell keeps the current cell and says why; nothing else moves.
    auto e = roda("type 2\nkey Enter\nfocus GradeChq\n"
                  "key Backspace\ntype 31022027\nanswer OK\nkey Enter\n" // no 31 February
                  "key Backspace\ntype 01022027\nkey Enter\n"
                  "key Backspace\nanswer OK\nkey Enter\n"   // blank bank account
                  "cancel\nanswer OK\ntype 77\nkey Enter\n" // no bank 77; the dialog cancelled
                  "key Backspace\ntype 2\nkey Enter\n"
                  "answer OK\nkey Enter\n" // no cheque number
                  "type 9\nkey Enter\n"
                  "key Backspace\nanswer OK\nkey Enter\n" // no value
                  "type 0\nanswer OK\nkey Enter\n"        // zero
                  "key Backspace\ntype 15\nkey Enter\nkey Enter\n"
                  "dump GradeChq\nclick BtSair\n",
                  "1");
    EXPECT_EQ(
        mensagens(e),
        (QStringList{"Data inválida!", "Conta bancária inválida!", "Conta bancária não encontrada!",
                     "Número de cheque inválido!", "Valor inválido!", "Valor inválido!"}));
    auto d = e.dumps("GradeChq").value(0);
    EXPECT_EQ(d["col"].toInt(), 5); // on to the situation
    const auto linha1 = d["rows"].toArray()[1].toArray();
    EXPECT_EQ(linha1[0].toString(), "01/02/2027");
    EXPECT_EQ(linha1[1].toString().toStdString(), "ITAÚ C/C 98765-4");
    EXPECT_EQ(linha1[2].toString(), "9");
    EXPECT_EQ(linha1[3].toString(), "15");
}
