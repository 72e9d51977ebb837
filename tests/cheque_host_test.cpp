// notera-host cheque, unattended, against a file port: the exact bytes that reach the port
// and the print file, and the robot's answers.

#include "Apoio.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string b(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

const std::string Frente = "\r\n"
                           "\x1B@\r\n"
                           "\x1B\xA3        1234,50\r\n"
                           "\x1B\xA2  1\r\n"
                           "\x1B\xA4"
                           "05/03/03\r\n"
                           "\x1B\xA6Jos\xE9 da Silva                           \r\n"
                           "\x1B\xA7Recife                        \r\n"
                           "\x1B\xB1\r\n"
                           "\x1B\xB0\r\n";

const std::string Verso = "\x1B@\r\n" + b(10) + "Pague-se a\r\n" + b(10) + "Fulano\r\n";

std::string copia(const std::string& linhasDoVerso) {
    return "\x1B@\r\n"
           "   COPIA DE CHEQUE\r\n"
           "   Empresa: Com\xE9rcio Alfa Ltda" +
           b(42) +
           "\r\n"
           " \r\n"
           "   Banco :   1  Banco do Brasil" +
           b(15) + "Cheque No: 4321\r\n" + b(46) +
           "Valor    :         1234,50\r\n"
           " \r\n"
           " \r\n" +
           b(9) +
           "UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA CENTAVOS\r\n"
           "   Portador: Jos\xE9 da Silva" +
           b(27) +
           "\r\n"
           " \r\n" +
           b(20) +
           "Local e Data: Recife,  5 de Mar\xE7o de 2003\r\n"
           " \r\n" +
           linhasDoVerso;
}

struct Execucao {
    apoio::Resultado r;
    std::string arquivo; // the print file path printed by the host
    QList<QJsonObject> log;
};

class HostCheque : public ::testing::Test {
protected:
    std::string porta() const { return dir / "porta.prn"; }

    Execucao roda(std::vector<std::string> extra, const std::string& roteiro = {},
                  std::map<std::string, std::string> ambiente = {}) {
        std::vector<std::string> argv = {apoio::binario("notera-host"),
                                         "cheque",
                                         "--porta",
                                         porta(),
                                         "--valor",
                                         "1234.50",
                                         "--banco",
                                         "1",
                                         "--nome-banco",
                                         "Banco do Brasil",
                                         "--numero",
                                         "4321",
                                         "--data",
                                         "2003-03-05",
                                         "--portador",
                                         "José da Silva",
                                         "--cidade",
                                         "Recife",
                                         "--empresa",
                                         "Comércio Alfa Ltda",
                                         "--script",
                                         dir / "roteiro.txt",
                                         "--log",
                                         dir / "log.jsonl"};
        argv.insert(argv.end(), extra.begin(), extra.end());
        apoio::gravaArquivo(dir / "roteiro.txt", roteiro);
        ambiente.emplace("TMPDIR", dir / "tmp");
        ambiente.emplace("QT_QPA_PLATFORM", "offscreen");
        ambiente.emplace("XDG_RUNTIME_DIR", dir.caminho());
        Execucao e;
        e.r = apoio::executa(argv, ambiente);
        e.arquivo = e.r.out.substr(0, e.r.out.find('\n'));
        const std::string texto = apoio::leArquivo(dir / "log.jsonl");
        for (const auto& linha : QByteArray::fromStdString(texto).split('\n'))
            if (!linha.isEmpty()) e.log << QJsonDocument::fromJson(linha).object();
        return e;
    }

    static QList<QJsonObject> eventos(const Execucao& e, const char* tipo) {
        QList<QJsonObject> l;
        for (const auto& o : e.log)
            if (o["event"].toString() == QLatin1String(tipo)) l << o;
        return l;
    }

    apoio::DirTemp dir;
};

} // namespace

TEST_F(HostCheque, SoAFrente) {
    auto e = roda({});
    ASSERT_EQ(e.r.saida, 0) << e.r.err;
    EXPECT_EQ(e.arquivo.rfind(dir / "tmp/", 0), 0u) << e.arquivo; // created on demand
    EXPECT_EQ(apoio::leArquivo(e.arquivo), Frente);
    EXPECT_EQ(apoio::esperaConteudo(porta(), Frente.size()), Frente);
    const std::string lote = e.arquivo.substr(0, e.arquivo.size() - 4) + ".BAT";
    EXPECT_EQ(apoio::leArquivo(lote),
              "MODE COM1:9600,N,8,1\r\nPRINT /D:" + porta() + " " + e.arquivo + "\r\nEXIT\r\n");
    EXPECT_TRUE(eventos(e, "message").isEmpty());
    EXPECT_TRUE(eventos(e, "error").isEmpty());
}

TEST_F(HostCheque, VersoComCRLFouLF) {
    for (const std::string versoTexto : {"Pague-se a\r\nFulano\r\n", "Pague-se a\nFulano"}) {
        std::filesystem::remove(porta());
        apoio::gravaArquivo(dir / "verso.txt", versoTexto);
        auto e = roda({"--verso-arquivo", dir / "verso.txt"}, "answer Sim\n");
        ASSERT_EQ(e.r.saida, 0) << e.r.err;
        EXPECT_EQ(apoio::leArquivo(e.arquivo), Verso);
        EXPECT_EQ(apoio::esperaConteudo(porta(), Frente.size() + Verso.size()), Frente + Verso);
        auto msgs = eventos(e, "message");
        ASSERT_EQ(msgs.size(), 1);
        EXPECT_EQ(msgs[0]["caption"].toString(), "Confirme");
        EXPECT_EQ(msgs[0]["icon"].toString(), "question");
        EXPECT_EQ(msgs[0]["text"].toString(), "Confirma a impressão do verso do cheque?");
        EXPECT_EQ(msgs[0]["buttons"].toArray(), (QJsonArray{"&Sim", "&Não"}));
        EXPECT_EQ(msgs[0]["answer"].toString(), "&Sim");
    }
}

TEST_F(HostCheque, CopiaComValorPorExtensoEMesEmCp1252) {
    auto e = roda({"--copia"}, "answer Sim\n");
    ASSERT_EQ(e.r.saida, 0) << e.r.err;
    const std::string c = copia("");
    EXPECT_EQ(apoio::leArquivo(e.arquivo), c);
    EXPECT_EQ(apoio::esperaConteudo(porta(), Frente.size() + c.size()), Frente + c);
    auto msgs = eventos(e, "message");
    ASSERT_EQ(msgs.size(), 1);
    EXPECT_EQ(msgs[0]["text"].toString(), "Confirma a impressão da cópia do cheque?");
}

TEST_F(HostCheque, NaoAoVersoESimACopia) {
    auto e = roda({"--copia", "--verso", "Pague-se a\nFulano"}, "answer Nao\nanswer Sim\n");
    ASSERT_EQ(e.r.saida, 0) << e.r.err;
    const std::string c = copia(b(10) + "Pague-se a\r\n" + b(10) + "Fulano\r\n");
    EXPECT_EQ(apoio::leArquivo(e.arquivo), c);
    EXPECT_EQ(apoio::esperaConteudo(porta(), Frente.size() + c.size()), Frente + c);
    auto msgs = eventos(e, "message");
    ASSERT_EQ(msgs.size(), 2);
    EXPECT_EQ(msgs[0]["answer"].toString(), "&Não");
    EXPECT_EQ(msgs[1]["answer"].toString(), "&Sim");
}

TEST_F(HostCheque, DiretorioTemporarioSemEscrita) {
    apoio::gravaArquivo(dir / "arquivo", "");
    auto e = roda({}, "", {{"TMPDIR", dir / "arquivo/sub"}});
    EXPECT_EQ(e.r.saida, 1);
    EXPECT_EQ(e.r.out, "");
    const std::string esperado = "Erro na criação do arquivo: " + (dir / "arquivo/sub/");
    EXPECT_NE(e.r.err.find(esperado), std::string::npos) << e.r.err;
    EXPECT_NE(e.r.err.find(".BAT\n"), std::string::npos) << e.r.err;
    // The host reports when the library left anything in Arquivo after a failure.
    EXPECT_EQ(e.r.err.find("Arquivo"), std::string::npos) << e.r.err;
    EXPECT_FALSE(apoio::existe(porta()));
}

TEST_F(HostCheque, ErrosDoRoteiro) {
    struct Caso {
        std::vector<std::string> extra;
        std::string roteiro;
        std::string erro;
    };
    const Caso casos[] = {
        {{"--copia"}, "", "unexpected message box"}, // no answer queued
        {{}, "answer Sim\n", "left over"},           // nobody asked
        {{}, "dump Ed_Cliente\n", "unknown widget Ed_Cliente"},
        {{"--copia"}, "answer Talvez\n", "has no button"},
    };
    for (const auto& c : casos) {
        auto e = roda(c.extra, c.roteiro);
        EXPECT_EQ(e.r.saida, 3) << c.roteiro;
        auto erros = eventos(e, "error");
        ASSERT_FALSE(erros.isEmpty()) << c.roteiro;
        EXPECT_NE(erros[0]["text"].toString().toStdString().find(c.erro), std::string::npos)
            << erros[0]["text"].toString().toStdString();
    }
    // A dismissed question counts as No: the copy is not printed.
    std::filesystem::remove(porta());
    auto e = roda({"--copia"}, "");
    EXPECT_EQ(apoio::esperaConteudo(porta(), Frente.size()), Frente);
}

TEST_F(HostCheque, LinhaDeComandoInvalida) {
    for (std::vector<std::string> extra : {std::vector<std::string>{"--opcao-que-nao-existe"},
                                           {"--data", "2003-02-30"},
                                           {"--valor", "dez"}}) {
        auto e = roda(extra);
        EXPECT_EQ(e.r.saida, 2);
    }
    apoio::gravaArquivo(dir / "ruim.txt", "voar alto\n");
    auto r = apoio::executa({apoio::binario("notera-host"),
                             "cheque",
                             "--porta",
                             porta(),
                             "--valor",
                             "1",
                             "--banco",
                             "1",
                             "--nome-banco",
                             "B",
                             "--numero",
                             "1",
                             "--data",
                             "2003-03-05",
                             "--portador",
                             "P",
                             "--cidade",
                             "C",
                             "--script",
                             dir / "ruim.txt"},
                            {{"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_EQ(r.saida, 3);
}
