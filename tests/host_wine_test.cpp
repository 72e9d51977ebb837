// notera-host.exe under 64-bit Wine, without the real form: its cheque command against
// Cheque.dll writes the print files the Linux host writes, and, with a stand-in Notera.dll
// (tests/win32/FixturaNotera.cpp) placed beside it, its robot drives a form, answers the
// selection dialog and the message boxes from the script, and its reservations hold between
// two hosts. Every run of Wine is bounded by `timeout`: an unanswered dialog fails, never hangs.

#include "Apoio.h"
#include "base/Cp1252.h"
#include "base/Texto.h"
#include "cheque_casos.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

std::string wine() {
    const char* w = std::getenv("HOST_WINE");
    return w ? w : "";
}

// Z: is the root of the Linux file system under Wine.
std::string caminhoWine(const std::string& linux) {
    std::string w = "Z:" + linux;
    for (char& c : w)
        if (c == '/') c = '\\';
    return w;
}

// A path the Windows host printed, seen from Linux: C: is the prefix's drive_c.
std::string caminhoLinux(std::string w) {
    for (char& c : w)
        if (c == '\\') c = '/';
    if (w.size() > 2 && (w[0] == 'C' || w[0] == 'c') && w[1] == ':') {
        const char* p = std::getenv("WINEPREFIX");
        return std::string(p ? p : "") + "/drive_c" + w.substr(2);
    }
    if (w.size() > 2 && (w[0] == 'Z' || w[0] == 'z') && w[1] == ':') return w.substr(2);
    return w;
}

QList<QJsonObject> leLog(const std::string& caminho) {
    QList<QJsonObject> l;
    for (const auto& linha : QByteArray::fromStdString(apoio::leArquivo(caminho)).split('\n'))
        if (!linha.isEmpty()) l << QJsonDocument::fromJson(linha).object();
    return l;
}

QList<QJsonObject> eventos(const QList<QJsonObject>& log, const char* tipo) {
    QList<QJsonObject> l;
    for (const auto& o : log)
        if (o["event"].toString() == QLatin1String(tipo)) l << o;
    return l;
}

// The text a dump of the widget logged last, or "(none)".
std::string dumpDe(const QList<QJsonObject>& log, const char* nome) {
    std::string t = "(none)";
    for (const auto& o : eventos(log, "dump"))
        if (o["name"].toString() == QLatin1String(nome)) t = o["text"].toString().toStdString();
    return t;
}

struct Execucao {
    apoio::Resultado r;
    QList<QJsonObject> log;
    std::chrono::milliseconds duracao{};
};

class HostWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (wine().empty()) GTEST_SKIP() << "run through tests/host_wine.sh";
        // The host loads the libraries from its own folder: the stand-in goes in as Notera.dll.
        namespace fs = std::filesystem;
        fs::create_directories(dir / "bin");
        fs::create_directories(dir / "dados");
        fs::copy_file(std::string(HOST_WINDOWS_DIR) + "/notera-host.exe",
                      dir / "bin/notera-host.exe");
        fs::copy_file(std::string(HOST_WINDOWS_DIR) + "/Cheque.dll", dir / "bin/Cheque.dll");
        fs::copy_file(std::string(HOST_WINDOWS_DIR) + "/FixturaNotera.dll", dir / "bin/Notera.dll");
    }

    Execucao rodaWindows(std::vector<std::string> args, const std::string& roteiro,
                         const std::string& nome = "w") {
        apoio::gravaArquivo(dir / (nome + ".txt"), roteiro);
        std::vector<std::string> argv = {"/usr/bin/timeout",         "-k", "5", "60", wine(),
                                         dir / "bin/notera-host.exe"};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.insert(argv.end(), {"--script", caminhoWine(dir / (nome + ".txt")), "--log",
                                 caminhoWine(dir / (nome + ".jsonl"))});
        const auto inicio = std::chrono::steady_clock::now();
        Execucao e;
        e.r = apoio::executa(argv);
        e.duracao = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - inicio);
        e.log = leLog(dir / (nome + ".jsonl"));
        return e;
    }

    Execucao transferencia(const std::string& roteiro, std::vector<std::string> extra = {},
                           const std::string& nome = "w") {
        std::vector<std::string> args = {"transferencia", "--dados",
                                         caminhoWine(dir / "dados") + "\\", "--empresa", "1"};
        args.insert(args.end(), extra.begin(), extra.end());
        return rodaWindows(args, roteiro, nome);
    }

    apoio::DirTemp dir;
};

// The command line of a cheque case, in UTF-8, with the print port given.
std::vector<std::string> argsCheque(const CasoCheque& c, const std::string& porta) {
    auto u = [](const char* s) { return base::cp1252ParaUtf8(s); };
    char valor[64], data[16];
    std::snprintf(valor, sizeof valor, "%.3f", c.valor);
    const int dias = static_cast<int>(c.data);
    // Days since 1899-12-30 back to a calendar date.
    const auto d =
        std::chrono::sys_days{std::chrono::year{1899} / 12 / 30} + std::chrono::days{dias};
    const std::chrono::year_month_day ymd{d};
    std::snprintf(data, sizeof data, "%04d-%02u-%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()));
    std::vector<std::string> a = {"cheque",
                                  "--porta",
                                  porta,
                                  "--valor",
                                  valor,
                                  "--banco",
                                  std::to_string(c.banco),
                                  "--nome-banco",
                                  u(c.nomeBanco),
                                  "--numero",
                                  std::to_string(c.numero),
                                  "--data",
                                  data,
                                  "--portador",
                                  u(c.portador),
                                  "--cidade",
                                  u(c.cidade),
                                  "--empresa",
                                  u(c.empresa)};
    if (c.copia) a.push_back("--copia");
    if (*c.verso) {
        a.push_back("--verso");
        a.push_back(u(c.verso));
    }
    return a;
}

std::string roteiroDe(const CasoCheque& c) {
    std::string r;
    for (const char* p = c.respostas; *p; ++p)
        r += *p == 'S' ? "answer Sim\n" : "answer Nao\n";
    return r;
}

} // namespace

// The same cases through both hosts: the same exit, the same boxes and answers, and the same
// bytes in the print file the library leaves (the copy's or the back's, after the front).
TEST_F(HostWine, ChequeEscreveOsMesmosBytesQueNoLinux) {
    int vistos = 0;
    for (const auto& c : CasosCheque) {
        const std::string nome = c.nome;
        // The front, the back and the copy, the amount in words, an empty payee; a refused port.
        if (nome != "so_frente" && nome != "verso_e_copia" && nome != "sem_respostas_sim" &&
            nome != "valor_grande_negativo" && nome != "porta_e_comercial")
            continue;
        ++vistos;
        SCOPED_TRACE(nome);
        const bool falha = *c.erro != '\0';
        std::filesystem::create_directories(dir / ("tmp-" + nome));
        // Linux: a file port, the temporary directory under the test's.
        const std::string portaLinux = falha ? c.porta : dir / (nome + ".prn");
        apoio::gravaArquivo(dir / (nome + "-l.txt"), roteiroDe(c));
        auto argvL = argsCheque(c, portaLinux);
        argvL.insert(argvL.begin(), apoio::binario("notera-host"));
        argvL.insert(argvL.end(),
                     {"--script", dir / (nome + "-l.txt"), "--log", dir / (nome + "-l.jsonl")});
        auto l = apoio::executa(argvL, {{"TMPDIR", dir / ("tmp-" + nome)},
                                        {"QT_QPA_PLATFORM", "offscreen"},
                                        {"XDG_RUNTIME_DIR", dir.caminho()}});
        // Windows: the port's text reaches no device under Wine.
        const std::string portaWin = falha ? c.porta : caminhoWine(dir / (nome + "-w.prn"));
        auto w = rodaWindows(argsCheque(c, portaWin), roteiroDe(c), nome + "-w");

        ASSERT_EQ(w.r.saida, l.saida) << w.r.err << "\nLinux: " << l.err;
        if (falha) {
            EXPECT_EQ(w.r.out, "");
            // Only the Windows library refuses a port the command interpreter would read.
            EXPECT_EQ(w.r.err, base::cp1252ParaUtf8(c.erro) + "\n");
            continue;
        }
        ASSERT_EQ(l.saida, 0) << l.err;
        const std::string arqL = l.out.substr(0, l.out.find('\n'));
        // The command interpreter that runs the batch file writes to the same output.
        std::string linhaW;
        for (std::size_t i = 0; i < w.r.out.size();) {
            const std::size_t fim = std::min(w.r.out.find('\n', i), w.r.out.size());
            const std::string linha = w.r.out.substr(i, fim - i);
            if (linha.size() > 4 && linha.compare(linha.size() - 4, 4, ".TXT") == 0 &&
                linha.find('>') == std::string::npos)
                linhaW = linha;
            i = fim + 1;
        }
        const std::string arqW = caminhoLinux(linhaW);
        ASSERT_TRUE(apoio::existe(arqW)) << w.r.out;
        const std::string bytesL = apoio::leArquivo(arqL), bytesW = apoio::leArquivo(arqW);
        EXPECT_FALSE(bytesW.empty());
        EXPECT_EQ(bytesW, bytesL);
        // The boxes the library asked, as each host logged them.
        auto cxL = eventos(leLog(dir / (nome + "-l.jsonl")), "message");
        auto cxW = eventos(w.log, "message");
        ASSERT_EQ(cxW.size(), cxL.size());
        ASSERT_EQ(cxW.size(), static_cast<qsizetype>(std::strlen(c.respostas)));
        for (qsizetype i = 0; i < cxW.size(); ++i)
            EXPECT_EQ(cxW[i], cxL[i]) << QJsonDocument(cxW[i]).toJson().toStdString()
                                      << QJsonDocument(cxL[i]).toJson().toStdString();
        EXPECT_TRUE(eventos(w.log, "error").isEmpty());
    }
    EXPECT_EQ(vistos, 5);
}

// The robot types into the focused control, presses keys, clicks and dumps.
TEST_F(HostWine, RoboDigitaTeclaEDespeja) {
    auto e = transferencia("focus Ed_Cliente\n"
                           "type \"Olá ç\"\n"
                           "key Backspace Left\n"
                           "type X\n"
                           "dump Ed_Cliente\n"
                           "dump focus\n"
                           "dump FormAL\n"
                           "click BtOk\n");
    EXPECT_EQ(e.r.saida, 0) << e.r.err;
    EXPECT_EQ(dumpDe(e.log, "Ed_Cliente"), "OláX ");
    auto d = eventos(e.log, "dump");
    ASSERT_EQ(d.size(), 3);
    EXPECT_EQ(d[0]["focus"].toBool(), true);
    EXPECT_EQ(d[1]["value"].toString(), "Ed_Cliente");
    EXPECT_EQ(d[2]["text"].toString(), "Transferência de Recursos");
    EXPECT_EQ(d[2]["width"].toInt(), 420);
    auto r = eventos(e.log, "result");
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0]["value"].toBool(), true);
}

// The selection dialog: chosen by key, cancelled, a key that is not there, no answer.
TEST_F(HostWine, SelecaoRespondidaPeloRoteiro) {
    struct Caso {
        const char* resposta; // the queued answer, or "" for none
        int saida;
        const char* cliente;
        const char* registro;
        const char* logado;
        const char* erro;
    };
    const Caso casos[] = {
        {"choose 15\n", 0, "15", "registro Bruno", "15", ""},
        {"choose 20\n", 0, "20", "registro Carla", "20", ""},
        {"cancel\n", 0, "", "registro Ana", "cancel", ""},
        {"choose 99\n", 3, "", "registro Ana", "cancel", "has no row 99"},
        {"", 3, "", "registro Ana", "cancel", "unexpected selection dialog"},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.resposta);
        auto e = transferencia(std::string(c.resposta) +
                               "click BtSelecao\ndump Ed_Cliente\ndump LbResposta\nclick BtOk\n");
        EXPECT_EQ(e.r.saida, c.saida) << e.r.err;
        EXPECT_EQ(dumpDe(e.log, "Ed_Cliente"), c.cliente);
        EXPECT_EQ(dumpDe(e.log, "LbResposta"), c.registro);
        auto s = eventos(e.log, "select");
        ASSERT_EQ(s.size(), 1);
        EXPECT_EQ(s[0]["caption"].toString(), "Seleção de Cliente");
        EXPECT_EQ(s[0]["fields"].toArray(), (QJsonArray{"cod_cli", "nom_cli"}));
        EXPECT_EQ(s[0]["titles"].toArray(), (QJsonArray{"Código", "Nome"}));
        EXPECT_EQ(s[0]["at"].toString(), "12");
        EXPECT_EQ(s[0]["answer"].toString(), c.logado);
        auto erros = eventos(e.log, "error");
        if (*c.erro) {
            ASSERT_EQ(erros.size(), 1);
            EXPECT_NE(erros[0]["text"].toString().toStdString().find(c.erro), std::string::npos)
                << erros[0]["text"].toString().toStdString();
        } else {
            EXPECT_TRUE(erros.isEmpty());
        }
    }
}

// A message box of the platform's, answered from the queue; with no answer it is dismissed
// as No and the script fails with 3.
TEST_F(HostWine, CaixaRespondidaDaFila) {
    struct Caso {
        const char* resposta;
        int saida;
        const char* botao;
        const char* efeito;
    };
    const Caso casos[] = {
        {"answer Sim\n", 0, "&Sim", "Sim"},
        {"answer Nao\n", 0, "&Não", "Nao"},
        {"", 3, "&Não", "Nao"},
        {"answer OK\n", 3, "&Não", "Nao"}, // a Yes/No box has no OK
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.resposta);
        auto e = transferencia(std::string(c.resposta) +
                               "click BtMensagem\ndump LbResposta\nclick BtOk\n");
        EXPECT_EQ(e.r.saida, c.saida) << e.r.err;
        EXPECT_EQ(dumpDe(e.log, "LbResposta"), c.efeito);
        auto m = eventos(e.log, "message");
        ASSERT_EQ(m.size(), 1);
        EXPECT_EQ(m[0]["caption"].toString(), "Confirme");
        EXPECT_EQ(m[0]["text"].toString(), "Confirma a transferência?");
        EXPECT_EQ(m[0]["icon"].toString(), "question");
        EXPECT_EQ(m[0]["buttons"].toArray(), (QJsonArray{"&Sim", "&Não"}));
        EXPECT_EQ(m[0]["answer"].toString(), c.botao);
        EXPECT_EQ(eventos(e.log, "error").isEmpty(), c.saida == 0);
    }
}

// Script failures: an unknown widget, an answer nobody took, a script the host cannot read.
TEST_F(HostWine, FalhasDoRoteiro) {
    auto e = transferencia("click BtNada\nclick BtOk\n");
    EXPECT_EQ(e.r.saida, 3);
    auto erros = eventos(e.log, "error");
    ASSERT_FALSE(erros.isEmpty());
    EXPECT_EQ(erros[0]["text"].toString(), "unknown widget BtNada");

    e = transferencia("answer Sim\nclick BtOk\n");
    EXPECT_EQ(e.r.saida, 3);
    erros = eventos(e.log, "error");
    ASSERT_EQ(erros.size(), 1);
    EXPECT_NE(erros[0]["text"].toString().indexOf("left over"), -1);

    // The script ends with the form open: the robot closes it, GeraAL answers false.
    e = transferencia("dump Ed_Cliente\n");
    EXPECT_EQ(e.r.saida, 3);
    erros = eventos(e.log, "error");
    ASSERT_EQ(erros.size(), 1);
    EXPECT_EQ(erros[0]["text"].toString(), "the script ended with FormAL still open");
    auto r = eventos(e.log, "result");
    ASSERT_EQ(r.size(), 1);
    EXPECT_EQ(r[0]["value"].toBool(), false);

    e = transferencia("voar alto\n");
    EXPECT_EQ(e.r.saida, 3);
    e = transferencia("click BtOk\n", {"--opcao-que-nao-existe"});
    EXPECT_EQ(e.r.saida, 2);
}

// One host holds the tables; the other's reservation is refused after its wait, and granted
// once the first has let go. `reserve refuse` refuses without asking.
TEST_F(HostWine, ReservaRecusadaEntreDoisHosts) {
    apoio::Resultado primeiro;
    std::thread a([&] {
        primeiro = transferencia("click BtOk\n", {"--controle", "segura 8000"}, "a").r;
    });
    // The second host starts once the first holds the tables.
    const auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (eventos(leLog(dir / "a.jsonl"), "reserve").isEmpty() &&
           std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    auto b = transferencia("click BtReserva\ndump LbResposta\nclick BtOk\n", {}, "b");
    a.join();
    auto resA = eventos(leLog(dir / "a.jsonl"), "reserve");
    ASSERT_EQ(resA.size(), 1);
    EXPECT_TRUE(resA[0]["answer"].toBool());
    EXPECT_EQ(primeiro.saida, 0) << primeiro.err;
    EXPECT_EQ(b.r.saida, 0) << b.r.err;
    EXPECT_EQ(dumpDe(b.log, "LbResposta"), "recusado");
    auto resB = eventos(b.log, "reserve");
    ASSERT_EQ(resB.size(), 1);
    EXPECT_FALSE(resB[0]["answer"].toBool());
    EXPECT_EQ(resB[0]["tables"].toArray(), (QJsonArray{"TbCal", "TbLanPag.db"}));
    EXPECT_TRUE(eventos(b.log, "release").isEmpty());
    // Refused after the wait of a few seconds, not at once.
    EXPECT_GE(b.duracao, std::chrono::milliseconds(2500));

    auto c = transferencia("click BtReserva\ndump LbResposta\nclick BtOk\n", {}, "c");
    EXPECT_EQ(dumpDe(c.log, "LbResposta"), "reservado");
    EXPECT_EQ(eventos(c.log, "release").size(), 1);

    auto d =
        transferencia("reserve refuse\nclick BtReserva\ndump LbResposta\nclick BtOk\n", {}, "d");
    EXPECT_EQ(d.r.saida, 0);
    EXPECT_EQ(dumpDe(d.log, "LbResposta"), "recusado");
}

// The print dialog (a stand-in with the report dialog's names): print FILE checks printing to
// a file, names the file and one copy, and presses OK; print-cancel and no answer cancel it.
TEST_F(HostWine, ImpressaoRespondidaPeloRoteiro) {
    const std::string saida = caminhoWine(dir / "saída.txt");
    struct Caso {
        std::string resposta;
        const char* efeito;
        bool arquivo;
        const char* erro; // the script's own error, besides the printer set-up's
    };
    const Caso casos[] = {
        {"print \"" + saida + "\"\n", "impresso em arquivo", true, ""},
        {"print-cancel\n", "cancelado", false, ""},
        {"", "cancelado", false, "unexpected print dialog \"Imprimir\""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.resposta);
        std::filesystem::remove(base::caminhoUtf8(dir / "saída.txt"));
        auto e = transferencia(c.resposta + "click BtImprime\ndump LbResposta\nclick BtOk\n");
        EXPECT_EQ(dumpDe(e.log, "LbResposta"), c.efeito);
        auto p = eventos(e.log, "print");
        ASSERT_EQ(p.size(), c.arquivo ? 1 : 0);
        if (c.arquivo) {
            EXPECT_EQ(p[0]["file"].toString().toStdString(), saida);
            EXPECT_EQ(p[0]["copies"].toInt(), 1);
            EXPECT_EQ(apoio::leArquivo(dir / "saída.txt"), "copias=1|impressora=Padrão\n");
        } else {
            EXPECT_FALSE(apoio::existe(dir / "saída.txt"));
        }
        // A run that queues a print answer first makes sure of a file printer, before the
        // library is called; where none can be had, that is an error of the run too, logged
        // before anything else.
        std::vector<std::string> erros;
        for (const auto& o : eventos(e.log, "error"))
            erros.push_back(o["text"].toString().toStdString());
        std::vector<std::string> esperados;
        if (c.resposta.rfind("print ", 0) == 0 && !e.log.isEmpty() &&
            e.log[0]["event"].toString() == "error")
            esperados.push_back(e.log[0]["text"].toString().toStdString());
        if (*c.erro) esperados.push_back(c.erro);
        EXPECT_EQ(erros, esperados);
        EXPECT_EQ(e.r.saida, erros.empty() ? 0 : 3) << e.r.err;
    }
}

// Caps Lock set by the script and read back as the form's thread sees it.
TEST_F(HostWine, CapsLock) {
    auto e = transferencia("capslock on\ndump capslock\ncapslock off\ndump capslock\nclick BtOk\n");
    EXPECT_EQ(e.r.saida, 0) << e.r.err;
    auto d = eventos(e.log, "dump");
    ASSERT_EQ(d.size(), 2);
    EXPECT_EQ(d[0]["value"].toBool(), true);
    EXPECT_EQ(d[1]["value"].toBool(), false);
}

// A grid and a page control through their private messages: a click on a cell, typing into
// it, the grid's rows and current cell, a page change; cells and pages that are not there.
TEST_F(HostWine, GradeEPagina) {
    auto e = transferencia("cell GradeChq 1 2\n"
                           "type 9\n"
                           "dump GradeChq\n"
                           "dump focus\n"
                           "tab Pagina 1\n"
                           "dump LbResposta\n"
                           "cell GradeChq 5 5\n"
                           "tab Pagina 7\n"
                           "click BtOk\n");
    EXPECT_EQ(e.r.saida, 3) << e.r.err;
    auto d = eventos(e.log, "dump");
    ASSERT_EQ(d.size(), 3);
    EXPECT_EQ(d[0]["rows"].toArray(), (QJsonArray{QJsonArray{"Vencimento", "Valor", "Situação"},
                                                  QJsonArray{"01/02/2027", "10,00", "Aberto"},
                                                  QJsonArray{"01/03/2027", "20,009", "Aberto"}}));
    EXPECT_EQ(d[0]["col"].toInt(), 1);
    EXPECT_EQ(d[0]["row"].toInt(), 2);
    EXPECT_EQ(d[1]["value"].toString(), "GradeChq");
    EXPECT_EQ(d[2]["text"].toString(), "pagina 1");
    auto erros = eventos(e.log, "error");
    ASSERT_EQ(erros.size(), 2);
    EXPECT_EQ(erros[0]["text"].toString(), "line 7: no cell 5 5 in GradeChq");
    EXPECT_EQ(erros[1]["text"].toString(), "line 8: no page 7 in Pagina");
}
