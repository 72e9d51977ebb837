#include "Apoio.h"
#include "cheque/PrintFiles.h"
#include "cheque/Spool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace cheque;

TEST(Lote, InterpretaPortasComBrancos) {
    const std::string texto = arquivoLote("/t/d x/101010.TXT", "LPT1 & rm -rf ~");
    auto l = interpretaLote(texto, "/t/d x/101010.TXT");
    ASSERT_EQ(l.erro, "");
    const auto& cmds = l.comandos;
    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].tipo, ComandoLote::Tipo::Modo);
    EXPECT_EQ(cmds[0].porta, "COM1");
    EXPECT_EQ(cmds[1].tipo, ComandoLote::Tipo::Imprime);
    EXPECT_EQ(cmds[1].porta, "LPT1 & rm -rf ~");
    EXPECT_EQ(cmds[1].arquivo, "/t/d x/101010.TXT");
    EXPECT_EQ(cmds[2].tipo, ComandoLote::Tipo::Sair);

    auto tipo = interpretaLote(
        "C:\\WINDOWS\\COMMAND\\MODE COM1:9600,N,8,1\r\nTYPE C:\\T\\1.TXT >LPT2\r\nEXIT\r\n",
        "C:\\T\\1.TXT");
    ASSERT_EQ(tipo.erro, "");
    ASSERT_EQ(tipo.comandos.size(), 3u);
    EXPECT_EQ(tipo.comandos[1].porta, "LPT2");
    EXPECT_EQ(tipo.comandos[1].arquivo, "C:\\T\\1.TXT");
}

// Only the three lines the library writes, for the job's own print file, are carried out:
// anything else refuses the whole batch.
TEST(Lote, RecusaLinhasQueABibliotecaNaoEscreve) {
    const std::string txt = "/t/101010.TXT";
    const std::string bom = arquivoLote(txt, "LPT1");
    const std::string casos[] = {
        // A port text with a line break that adds a second print line.
        arquivoLote(txt, "LPT1 " + txt + "\r\nPRINT /D:/tmp/copia /etc/passwd"),
        bom + "PRINT /D:/tmp/copia /etc/passwd\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D:/tmp/copia /etc/passwd\r\nEXIT\r\n",
        "MODE COM1:9600,N,8,1\r\nTYPE /etc/passwd >/tmp/copia\r\nEXIT\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1 " + txt + "\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1 " + txt + "\r\nEXIT",
        "MODE COM1:9600,N,8,1\nPRINT /D:LPT1 " + txt + "\nEXIT\n",
        "rm -rf / MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1 " + txt + "\r\nEXIT\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1\t" + txt + "\r\nEXIT\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D: " + txt + "\r\nEXIT\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D:L\x1BPT1 " + txt + "\r\nEXIT\r\n",
        "MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1 " + txt + "\r\nEXIT now\r\n",
        "",
    };
    EXPECT_EQ(interpretaLote(bom, txt).erro, "");
    for (const auto& c : casos) {
        auto l = interpretaLote(c, txt);
        EXPECT_NE(l.erro, "") << c;
        EXPECT_TRUE(l.comandos.empty()) << c;
    }
    EXPECT_NE(interpretaLote(bom, "").erro, "");
}

TEST(Lote, Portas) {
    struct Caso {
        const char* porta;
        Destino::Tipo tipo;
        std::vector<std::string> candidatos;
        std::string nome;
    };
    using T = Destino::Tipo;
    const Caso casos[] = {
        {"COM1", T::Dispositivo, {"/dev/ttyS0"}, ""},
        {"com2:", T::Dispositivo, {"/dev/ttyS1"}, ""},
        {"LPT1", T::Dispositivo, {"/dev/usb/lp0", "/dev/lp0"}, ""},
        {"LPT3", T::Dispositivo, {"/dev/usb/lp2", "/dev/lp2"}, ""},
        {"/var/spool/cheque.prn", T::Arquivo, {}, "/var/spool/cheque.prn"},
        {"Cheques", T::Fila, {}, "Cheques"},
        {"COM", T::Fila, {}, "COM"},
        {"LPT0x", T::Fila, {}, "LPT0x"},
        {"LPT1 & rm -rf ~", T::Fila, {}, "LPT1 & rm -rf ~"},
    };
    for (const auto& c : casos) {
        Destino d = resolvePorta(c.porta);
        EXPECT_EQ(d.tipo, c.tipo) << c.porta;
        EXPECT_EQ(d.candidatos, c.candidatos) << c.porta;
        EXPECT_EQ(d.nome, c.nome) << c.porta;
    }
}

TEST(Spool, ArquivoDePortaRecebeOsBytesEmAcrescimo) {
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT", porta = dir / "porta.prn";
    apoio::gravaArquivo(porta, "antes|");
    apoio::gravaArquivo(txt, "\x1B@\r\nconteudo\r\n");
    apoio::gravaArquivo(bat, arquivoLote(txt, porta));
    auto r = apoio::executa({apoio::binario("cheque-spool"), "--foreground", bat});
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_EQ(apoio::leArquivo(porta), "antes|\x1B@\r\nconteudo\r\n");
}

TEST(Spool, LoteComOutroArquivoNaoCopiaNada) {
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT";
    const std::string segredo = dir / "segredo", copia = dir / "copia";
    apoio::gravaArquivo(txt, "x\r\n");
    apoio::gravaArquivo(segredo, "senha");
    apoio::gravaArquivo(bat,
                        arquivoLote(txt, "LPT1 " + txt + "\r\nPRINT /D:" + copia + " " + segredo));
    auto r = apoio::executa({apoio::binario("cheque-spool"), "--foreground", bat});
    EXPECT_EQ(r.saida, 1);
    EXPECT_NE(r.err.find("lote recusado"), std::string::npos) << r.err;
    EXPECT_FALSE(apoio::existe(copia));
    apoio::gravaArquivo(bat, arquivoLote(segredo, copia));
    r = apoio::executa({apoio::binario("cheque-spool"), "--foreground", bat});
    EXPECT_EQ(r.saida, 1);
    EXPECT_FALSE(apoio::existe(copia));
}

// The spooler tells why a job was not taken, before it detaches, so the library can say so.
TEST(Spool, FalhaDeEntregaVoltaAoChamador) {
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT";
    apoio::gravaArquivo(txt, "x\r\n");
    struct Caso {
        std::string porta, motivo;
    };
    const Caso casos[] = {
        {"COM77", "porta COM77: /dev/ttyS76 n\xE3o existe"},
        {dir / "sem/diretorio.prn", "porta " + (dir / "sem/diretorio.prn") + ": No such file"},
        {"FilaQueNaoExiste", "fila FilaQueNaoExiste: "},
    };
    for (const auto& c : casos)
        for (bool primeiroPlano : {true, false}) {
            apoio::gravaArquivo(bat, arquivoLote(txt, c.porta));
            std::vector<std::string> argv = {apoio::binario("cheque-spool"), bat};
            if (primeiroPlano) argv.insert(argv.begin() + 1, "--foreground");
            auto r = apoio::executa(argv);
            EXPECT_EQ(r.saida, 1) << c.porta;
            EXPECT_EQ(r.err.rfind(c.motivo, 0), 0u) << r.err;
        }
}

TEST(Spool, APortaNuncaChegaAUmShell) {
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT";
    const std::string marca = dir / "invadido";
    apoio::gravaArquivo(txt, "x\r\n");
    for (std::string porta : {"LPT1 & touch " + marca, "x; touch " + marca,
                              "$(touch " + marca + ")", "`touch " + marca + "`"}) {
        apoio::gravaArquivo(bat, arquivoLote(txt, porta));
        auto r = apoio::executa({apoio::binario("cheque-spool"), "--foreground", bat},
                                {{"PATH", "/usr/sbin:/usr/bin:/sbin:/bin"}});
        EXPECT_EQ(r.saida, 1) << porta; // no such queue: not delivered
        EXPECT_FALSE(apoio::existe(marca)) << porta;
    }
}

TEST(Spool, LoteInexistenteOuLigacaoSimbolica) {
    apoio::DirTemp dir;
    EXPECT_NE(apoio::executa({apoio::binario("cheque-spool"), dir / "nada.BAT"}).saida, 0);
    apoio::gravaArquivo(dir / "real.BAT", "EXIT\r\n");
    std::filesystem::create_symlink(dir / "real.BAT", dir / "link.BAT");
    EXPECT_NE(
        apoio::executa({apoio::binario("cheque-spool"), "--foreground", dir / "link.BAT"}).saida,
        0);
    EXPECT_EQ(apoio::executa({apoio::binario("cheque-spool")}).saida, 2);
}

TEST(Spool, PrazoDaImpressora) {
    const std::pair<const char*, int> casos[] = {
        {nullptr, 30}, {"", 30},  {"1", 1},   {"45", 45}, {"3600", 3600},
        {"3601", 30},  {"0", 30}, {"-5", 30}, {"2s", 30}, {" 2", 30},
    };
    for (const auto& [texto, segundos] : casos)
        EXPECT_EQ(prazoEmSegundos(texto), segundos) << (texto ? texto : "(nulo)");
    EXPECT_EQ(semResposta("LPT1", 30), "a impressora n\xE3o respondeu em 30 s (LPT1)");
}

namespace {

// A FIFO as the port: what nobody reads, or a reader that stops, stands for a printer that
// is offline or holds the line.
struct PortaFifo {
    enum class Leitor { Nenhum, Parado, Le };
    apoio::DirTemp dir;
    const std::string txt = dir / "101010.TXT", bat = dir / "101010.BAT", fifo = dir / "porta";
    int leitor = -1;
    std::string lido;
    std::atomic<bool> para{false}, acabou{false};
    std::thread leitura;

    PortaFifo(Leitor l, const std::string& bytes) {
        if (::mkfifo(fifo.c_str(), 0600) != 0) throw std::runtime_error("mkfifo");
        apoio::gravaArquivo(txt, bytes);
        apoio::gravaArquivo(bat, arquivoLote(txt, fifo));
        if (l == Leitor::Nenhum) return;
        leitor = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (l == Leitor::Le)
            leitura = std::thread([this] {
                char buf[4096];
                while (!para) {
                    ssize_t n = ::read(leitor, buf, sizeof buf);
                    if (n > 0) {
                        lido.append(buf, static_cast<std::size_t>(n));
                    } else if (n == 0 && !lido.empty()) {
                        break; // the writer closed
                    } else {
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                    }
                }
                acabou = true;
            });
    }
    ~PortaFifo() {
        para = true;
        if (leitura.joinable()) leitura.join();
        // A spooler still blocked on the FIFO is let go, so no test leaves one behind.
        int fd = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
        if (leitor >= 0) ::close(leitor);
    }
};

} // namespace

// The port does not take the bytes: the spooler says so after its deadline and ends, never
// waiting for ever. coreutils' timeout only stops a spooler that would hang.
TEST(Spool, PortaQueNaoAceitaOsBytesEncerraNoPrazo) {
    using L = PortaFifo::Leitor;
    struct Caso {
        const char* nome;
        L leitor;
        std::size_t tamanho;
    };
    const Caso casos[] = {
        {"FIFO sem leitor", L::Nenhum, 64},
        {"leitor que nao le, mais bytes do que o FIFO guarda", L::Parado, 1 << 20},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        PortaFifo p(c.leitor, std::string(c.tamanho, 'x'));
        const auto inicio = std::chrono::steady_clock::now();
        auto r = apoio::executa(
            {"/usr/bin/timeout", "-s", "KILL", "20", apoio::binario("cheque-spool"), p.bat},
            {{"CHEQUE_PRAZO_IMPRESSORA", "1"}});
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
        RecordProperty(std::string("segundos_") + (c.leitor == L::Nenhum ? "sem_leitor" : "parado"),
                       std::to_string(s));
        EXPECT_EQ(r.saida, 1) << "depois de " << s << " s: " << r.err;
        EXPECT_EQ(r.err, "a impressora n\xE3o respondeu em 1 s (" + p.fifo + ")\n");
        EXPECT_LT(s, 10.0);
    }
}

TEST(Spool, PortaQueLeRecebeTudo) {
    const std::string bytes(300000, 'y');
    PortaFifo p(PortaFifo::Leitor::Le, bytes);
    auto r = apoio::executa(
        {"/usr/bin/timeout", "-s", "KILL", "20", apoio::binario("cheque-spool"), p.bat},
        {{"CHEQUE_PRAZO_IMPRESSORA", "10"}});
    EXPECT_EQ(r.saida, 0) << r.err;
    for (int i = 0; i < 500 && !p.acabou; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    p.para = true;
    p.leitura.join();
    EXPECT_EQ(p.lido, bytes);
}
