// notera-host transferencia, unattended, on data directories made by notera-dados.

#include "Host.h"

#include <QJsonArray>
#include <QSettings>

#include <gtest/gtest.h>

#include <filesystem>

using apoio::rodaHost;
using apoio::sql;

namespace {

class Transferencia : public ::testing::Test {
protected:
    void SetUp() override {
        auto r = apoio::executa({apoio::binario("notera-dados"), "criar", dados(), "1", "2"});
        ASSERT_EQ(r.saida, 0) << r.err;
        sql(registro(),
            "INSERT INTO TbEmp (cod_emp, nom_emp, cen_emp, cfg_emp, nal_emp, nos_emp) VALUES "
            "(1, 'ALFA', 0, 'NNNNNNNNNNNNNNNNNNNNNNNNNNS', 0, 0),"
            "(2, 'BETA', 0, 'NNNNNNNNNNNNNNNNNNNNNNNNNNN', 0, 0)");
    }
    std::string dados() const { return dir / "dados"; }
    std::string registro() const { return dir / "dados/Tabelas/tabelas.sqlite"; }

    apoio::ExecucaoHost roda(const std::string& roteiro, std::vector<std::string> extra = {},
                             const char* empresa = "1") {
        std::vector<std::string> args = {"transferencia", "--dados", dados() + "/", "--empresa",
                                         empresa};
        args.insert(args.end(), extra.begin(), extra.end());
        return rodaHost(dir, args, roteiro);
    }

    apoio::DirTemp dir;
};

bool visivel(const apoio::ExecucaoHost& e, const char* nome) {
    auto d = e.dumps(nome);
    return !d.isEmpty() && d.last()["visible"].toBool();
}

} // namespace

TEST_F(Transferencia, RegistroAusenteDaPrimeiraMensagemSemFormulario) {
    std::filesystem::remove(registro());
    auto e = roda("answer OK\n");
    EXPECT_EQ(e.r.saida, 1) << e.r.err;
    auto msgs = e.eventos("message");
    ASSERT_EQ(msgs.size(), 1);
    EXPECT_EQ(msgs[0]["icon"].toString(), "error");
    EXPECT_EQ(msgs[0]["caption"].toString(), "Erro");
    const QString texto = msgs[0]["text"].toString();
    EXPECT_TRUE(texto.startsWith("Não foi possível consultar tabela de empresas:\r\n"))
        << texto.toStdString();
    EXPECT_GT(texto.size(),
              QString("Não foi possível consultar tabela de empresas:\r\n").size()); // engine text
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join('|').toStdString();
    EXPECT_FALSE(std::filesystem::exists(registro())); // opening creates nothing
}

TEST_F(Transferencia, TabelaDoDestinoAusenteDaSegundaMensagem) {
    sql(dir / "dados/Tabelas/001/tabelas.sqlite", "DROP TABLE TbLanRec");
    auto e = roda("answer OK\n");
    EXPECT_EQ(e.r.saida, 1);
    auto msgs = e.eventos("message");
    ASSERT_EQ(msgs.size(), 1);
    const QString texto = msgs[0]["text"].toString();
    EXPECT_TRUE(texto.startsWith("Não foi possível consultar as tabela da empresas\r\n"))
        << texto.toStdString();
    EXPECT_TRUE(texto.contains("TbLanRec", Qt::CaseInsensitive)) << texto.toStdString();
}

TEST_F(Transferencia, PaineisContabeisSeguemContabilEPosicao27) {
    // An origin company first: the empty origin field keeps the focus.
    const std::string olhaDestino = "key Enter\ntab Pagina 1\ndump Pn_Contabil1\ndump "
                                    "Ed_Cred1\ndump Lb_CredG1\ndump Ed_CredG1\n"
                                    "click BtSair\n";
    struct Caso {
        const char* empresa;
        bool contabil;
        bool painel, gerencial;
    };
    const Caso casos[] = {
        {"1", false, false, false}, // position 27 is S, but no accounting
        {"1", true, true, true},
        {"2", true, true, false}, // position 27 is N
    };
    for (const auto& c : casos) {
        const std::string origem = std::string("type ") + (c.empresa[0] == '1' ? "2" : "1") + "\n";
        auto e =
            roda(origem + olhaDestino,
                 c.contabil ? std::vector<std::string>{"--contabil"} : std::vector<std::string>{},
                 c.empresa);
        EXPECT_EQ(e.r.saida, 1) << e.r.err;
        EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join('|').toStdString();
        EXPECT_EQ(visivel(e, "Pn_Contabil1"), c.painel) << c.empresa << c.contabil;
        EXPECT_EQ(visivel(e, "Ed_Cred1"), c.painel);
        EXPECT_EQ(visivel(e, "Lb_CredG1"), c.gerencial);
        EXPECT_EQ(visivel(e, "Ed_CredG1"), c.gerencial);
    }
    // A short configuration text has no position 27.
    sql(registro(), "UPDATE TbEmp SET cfg_emp = 'SSS' WHERE cod_emp = 1");
    auto e = roda("type 2\n" + olhaDestino, {"--contabil"});
    EXPECT_TRUE(visivel(e, "Pn_Contabil1"));
    EXPECT_FALSE(visivel(e, "Ed_CredG1"));
}

TEST_F(Transferencia, ValorInicialESair) {
    for (const auto& [valor, texto] : {std::pair{"12.5", "12,50"}, std::pair{"0", "0,00"},
                                       std::pair{"1234567.891", "1234567,89"}}) {
        auto e = roda("dump Ed_Valor\nclick BtSair\n", {"--valor", valor});
        EXPECT_EQ(e.r.saida, 1); // "&Sair": false
        auto d = e.dumps("Ed_Valor");
        ASSERT_EQ(d.size(), 1);
        EXPECT_EQ(d[0]["text"].toString(), texto);
        auto res = e.eventos("result");
        ASSERT_EQ(res.size(), 1);
        EXPECT_FALSE(res[0]["value"].toBool());
    }
}

TEST_F(Transferencia, TecladoEnterCimaPageDown) {
    auto e = roda("dump focus\n"
                  "type 2\n"
                  "key Enter\n" // Ed_Empresa -> Ed_Fornecedor
                  "dump focus\n"
                  "type abc\n" // capitals
                  "dump Ed_Fornecedor\n"
                  "cancel\n" // no such supplier: the selection dialog
                  "key Enter Enter\n"
                  "dump focus\n" // Ed_Banco2
                  "key Up\n"
                  "dump focus\n" // Ed_Custo2
                  "answer OK\n"
                  "key PageDown\n" // the OK action, no exit handler: the amount 0,00 is refused
                  "dump focus\n"
                  "focus Ed_Empresa\n"
                  "key Up\n" // no key-down handler in Ed_Empresa
                  "dump focus\n"
                  "focus Ed_HistVar2\n"
                  "key Enter\n" // account panels hidden: on to the grid
                  "dump focus\n"
                  "key Shift+Tab\n"
                  "dump focus\n"
                  "click BtSair\n");
    EXPECT_TRUE(e.erros().isEmpty()) << e.erros().join('|').toStdString();
    QStringList focos;
    for (const auto& d : e.dumps("focus"))
        focos << d["value"].toString();
    EXPECT_EQ(focos, (QStringList{"Ed_Empresa", "Ed_Fornecedor", "Ed_Banco2", "Ed_Custo2",
                                  "Ed_Valor", "Ed_Empresa", "GradeChq", "Ed_HistVar2"}));
    auto msgs = e.eventos("message");
    ASSERT_EQ(msgs.size(), 1);
    EXPECT_EQ(msgs[0]["text"].toString().toStdString(), "Valor não pode ser zero!");
    EXPECT_EQ(e.dumps("Ed_Fornecedor").value(0)["text"].toString(), "ABC");
}

TEST_F(Transferencia, LimitesDaJanelaVoltamNaProximaExecucao) {
    const std::string ini = apoio::arquivoIniDoHost(dir);
    std::filesystem::create_directories(std::filesystem::path(ini).parent_path());
    apoio::gravaArquivo(ini, "[FormAL]\nLeft=33\nTop=44\nWidth=700\nHeight=600\n");
    auto e = roda("dump FormAL\nclick BtSair\n");
    auto d = e.dumps("FormAL");
    ASSERT_EQ(d.size(), 1);
    EXPECT_EQ(d[0]["x"].toInt(), 33);
    EXPECT_EQ(d[0]["y"].toInt(), 44);
    EXPECT_EQ(d[0]["width"].toInt(), 700);
    EXPECT_EQ(d[0]["height"].toInt(), 600);

    // No file: the window's place is written on close and comes back next time.
    std::filesystem::remove(ini);
    auto primeira = roda("dump FormAL\nclose\n");
    ASSERT_TRUE(std::filesystem::exists(ini));
    QSettings s(QString::fromStdString(ini), QSettings::IniFormat);
    auto f1 = primeira.dumps("FormAL").value(0);
    EXPECT_EQ(s.value("FormAL/Width").toInt(), f1["width"].toInt());
    EXPECT_EQ(s.value("FormAL/Left").toInt(), f1["x"].toInt());
    auto segunda = roda("dump FormAL\nclick BtSair\n");
    auto f2 = segunda.dumps("FormAL").value(0);
    for (const char* k : {"x", "y", "width", "height"})
        EXPECT_EQ(f2[k].toInt(), f1[k].toInt()) << k;

    // A section without values leaves the window where the system puts it.
    apoio::gravaArquivo(ini, "[FormAL]\n");
    auto terceira = roda("dump FormAL\nclick BtSair\n");
    EXPECT_EQ(terceira.dumps("FormAL").value(0)["width"].toInt(), f1["width"].toInt());
}

TEST_F(Transferencia, RoteiroQueTerminaComAJanelaAberta) {
    auto e = roda("dump focus\n");
    EXPECT_EQ(e.r.saida, 3);
    ASSERT_FALSE(e.erros().isEmpty());
    EXPECT_TRUE(e.erros()[0].contains("still open"));
}

TEST_F(Transferencia, CapsLockDoRobo) {
    auto e = roda("capslock on\ndump capslock\ncapslock off\ndump capslock\nclick BtSair\n");
    auto d = e.dumps("capslock");
    ASSERT_EQ(d.size(), 2);
    EXPECT_TRUE(d[0]["value"].toBool());
    EXPECT_FALSE(d[1]["value"].toBool());
}
