// The cheque library loaded by a host that runs no Qt application object.

#include "Apoio.h"
#include "cheque/cheque.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using FnCheque = decltype(&fCheque_Morvane);
using FnErro = decltype(&fCheque_Erro);

struct Biblioteca {
    void* h = ::dlopen(apoio::biblioteca("libCheque.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ~Biblioteca() {
        if (h) ::dlclose(h);
    }
};

std::string hhnnss(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[8];
    std::strftime(buf, sizeof buf, "%H%M%S", &tm);
    return buf;
}

class ChequeSemQt : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.h, nullptr) << ::dlerror();
        fn = reinterpret_cast<FnCheque>(::dlsym(lib.h, "fCheque_Morvane"));
        erro = reinterpret_cast<FnErro>(::dlsym(lib.h, "fCheque_Erro"));
        ASSERT_TRUE(fn && erro);
        ::setenv("TMPDIR", dir.caminho().c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        std::fill(std::begin(porta), std::end(porta), '\0');
        std::string p = dir / "porta.prn";
        std::memcpy(porta, p.data(), p.size());
    }
    void chama(char* arquivo) {
        // Counted string: 32-bit length right before the characters.
        alignas(4) char nome[4 + 6] = {5, 0, 0, 0, 'B', 'a', 'n', 'c', 'o', 0};
        unsigned char empresa[] = {3, 'E', 'm', 'p'};
        fn(arquivo, porta, 10.0, 1, nome + 4, 7, 37685, "Fulano", "Recife", 0, "", empresa);
    }

    Biblioteca lib;
    FnCheque fn = nullptr;
    FnErro erro = nullptr;
    apoio::DirTemp dir;
    char porta[1024];
};

} // namespace

TEST_F(ChequeSemQt, FrenteSemPerguntasDevolveOCaminho) {
    char arquivo[1024];
    std::memset(arquivo, 'x', sizeof arquivo);
    chama(arquivo);
    EXPECT_STREQ(erro(), "");
    std::string caminho(arquivo);
    ASSERT_EQ(caminho.rfind(dir.caminho() + "/", 0), 0u) << caminho;
    EXPECT_EQ(caminho.substr(caminho.size() - 4), ".TXT");
    EXPECT_TRUE(
        std::all_of(arquivo + caminho.size(), arquivo + 1024, [](char c) { return c == 0; }));

    // Print and batch files are private to their owner.
    for (const std::string& f : {caminho, caminho.substr(0, caminho.size() - 4) + ".BAT"}) {
        struct stat st {};
        ASSERT_EQ(::stat(f.c_str(), &st), 0) << f;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << f;
    }
    EXPECT_NE(apoio::esperaConteudo(std::string(porta), 10).find("\x1B\xA3"), std::string::npos);
}

TEST_F(ChequeSemQt, DiretorioTemporarioIlegivel) {
    ::setenv("TMPDIR", std::string(300, 'd').c_str(), 1);
    char arquivo[1024];
    std::memset(arquivo, 'x', sizeof arquivo);
    chama(arquivo);
    EXPECT_STREQ(erro(), "N\xE3o foi poss\xEDvel ler diret\xF3rio tempor\xE1rio!");
    EXPECT_TRUE(std::all_of(arquivo, arquivo + 1024, [](char c) { return c == 0; }));
}

// Links planted under the names of the next seconds are never written through: the job
// takes the first name that is free.
TEST_F(ChequeSemQt, NuncaEscreveAtravesDeLigacoes) {
    const std::string alvo = dir / "alvo";
    apoio::gravaArquivo(alvo, "intacto");
    const std::string tmp = dir / "t";
    std::filesystem::create_directory(tmp);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    std::time_t agora = std::time(nullptr);
    std::set<std::string> plantados;
    for (int s = 0; s < 6; ++s) {
        const std::string stem = tmp + "/" + hhnnss(agora + s);
        // Symbolic links, hard links and a plain file left by someone else.
        if (s % 3 == 0) std::filesystem::create_symlink(alvo, stem + ".BAT");
        if (s % 3 == 1) std::filesystem::create_hard_link(alvo, stem + ".TXT");
        if (s % 3 == 2) apoio::gravaArquivo(stem + ".TXT", "de outro");
        plantados.insert(stem + ".TXT");
    }

    char arquivo[1024];
    chama(arquivo);
    EXPECT_STREQ(erro(), "");
    const std::string caminho(arquivo);
    ASSERT_EQ(caminho.rfind(tmp + "/", 0), 0u) << caminho;
    EXPECT_EQ(plantados.count(caminho), 0u) << caminho;
    EXPECT_EQ(caminho.size(), tmp.size() + 1 + 6 + 4) << caminho; // HHMMSS.TXT
    EXPECT_EQ(apoio::leArquivo(alvo), "intacto");
    EXPECT_NE(apoio::leArquivo(caminho).find("\x1B\xA6"
                                             "Fulano"),
              std::string::npos);
    for (int s = 0; s < 6; s += 3)
        EXPECT_TRUE(std::filesystem::is_symlink(tmp + "/" + hhnnss(agora + s) + ".BAT"));
    EXPECT_EQ(apoio::leArquivo(tmp + "/" + hhnnss(agora + 2) + ".TXT"), "de outro");
}

// Two jobs in the same second each print their own cheque under their own names.
TEST_F(ChequeSemQt, DoisTrabalhosNoMesmoSegundo) {
    for (int rodada = 0; rodada < 5; ++rodada) {
        const std::string tmp = dir / ("r" + std::to_string(rodada));
        std::filesystem::create_directory(tmp);
        ::setenv("TMPDIR", tmp.c_str(), 1);
        const std::string portaArq = tmp + "/porta.prn";
        std::string p[2];
        char portas[2][1024] = {};
        for (int i = 0; i < 2; ++i)
            std::memcpy(portas[i], portaArq.data(), portaArq.size());
        char arquivos[2][1024];
        std::string erros[2];
        const char* portadores[2] = {"Primeiro Portador", "Segundo Portador"};
        std::atomic<int> prontos{0};
        auto trabalho = [&](int i) {
            alignas(4) char nome[4 + 2] = {1, 0, 0, 0, 'B', 0};
            unsigned char empresa[] = {1, 'E'};
            ++prontos;
            while (prontos < 2) {
            }
            fn(arquivos[i], portas[i], 10.0 + i, 1, nome + 4, 7, 37685, portadores[i], "Recife", 0,
               "", empresa);
            erros[i] = erro();
        };
        std::thread a(trabalho, 0), b(trabalho, 1);
        a.join();
        b.join();
        ASSERT_EQ(erros[0], "");
        ASSERT_EQ(erros[1], "");
        ASSERT_NE(std::string(arquivos[0]), std::string(arquivos[1]));
        for (int i = 0; i < 2; ++i)
            EXPECT_NE(apoio::leArquivo(arquivos[i]).find(portadores[i]), std::string::npos);
        // Both fronts reach the port, each once.
        const std::string saida = apoio::esperaConteudo(portaArq, 2 * 120);
        for (const char* q : portadores) {
            auto pos = saida.find(q);
            EXPECT_NE(pos, std::string::npos) << q;
            EXPECT_EQ(saida.find(q, pos + 1), std::string::npos) << q;
        }
    }
}

// A port text with control characters would add lines to the batch file: refused, nothing
// written.
TEST_F(ChequeSemQt, PortaComCaracteresDeControleERecusada) {
    const std::string tmp = dir / "t";
    std::filesystem::create_directory(tmp);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    const std::string copia = dir / "copia";
    for (std::string texto :
         {std::string(porta) + " x\r\nPRINT /D:" + copia + " /etc/passwd",
          std::string("LPT1\nEXIT"), std::string("LPT1\t"), std::string("LP\x7FT1")}) {
        std::fill(std::begin(porta), std::end(porta), '\0');
        std::memcpy(porta, texto.data(), texto.size());
        char arquivo[1024];
        std::memset(arquivo, 'x', sizeof arquivo);
        chama(arquivo);
        const std::string msg = erro();
        EXPECT_EQ(msg.rfind("Porta de impress\xE3o inv\xE1lida: ", 0), 0u) << msg;
        EXPECT_EQ(msg.find_first_of("\r\n\t\x7F"), std::string::npos) << msg;
        EXPECT_TRUE(std::all_of(arquivo, arquivo + 1024, [](char c) { return c == 0; }));
    }
    EXPECT_TRUE(std::filesystem::is_empty(tmp));
    EXPECT_FALSE(apoio::existe(copia));
}

// A job the spooler could not hand to the port is not reported as printed.
TEST_F(ChequeSemQt, FalhaNaPortaChegaAoChamador) {
    for (std::string texto :
         {std::string("FilaQueNaoExiste"), std::string("COM77"), dir / "sem/diretorio.prn"}) {
        std::fill(std::begin(porta), std::end(porta), '\0');
        std::memcpy(porta, texto.data(), texto.size());
        char arquivo[1024];
        std::memset(arquivo, 'x', sizeof arquivo);
        chama(arquivo);
        const std::string msg = erro();
        EXPECT_EQ(msg.rfind("N\xE3o foi poss\xEDvel imprimir o cheque: ", 0), 0u) << msg;
        EXPECT_NE(msg.find(texto), std::string::npos) << msg;
        EXPECT_TRUE(std::all_of(arquivo, arquivo + 1024, [](char c) { return c == 0; }));
    }
}

TEST_F(ChequeSemQt, ErroSeApagaNaChamadaSeguinte) {
    ::setenv("TMPDIR", std::string(300, 'd').c_str(), 1);
    char arquivo[1024];
    chama(arquivo);
    EXPECT_STRNE(erro(), "");
    ::setenv("TMPDIR", dir.caminho().c_str(), 1);
    chama(arquivo);
    EXPECT_STREQ(erro(), "");
    EXPECT_NE(arquivo[0], '\0');
}

// A host that ignores SIGCHLD leaves no exit status to read: the spooler's words decide.
TEST_F(ChequeSemQt, HospedeQueIgnoraSIGCHLD) {
    struct Restaura {
        void (*antes)(int) = std::signal(SIGCHLD, SIG_IGN);
        ~Restaura() { std::signal(SIGCHLD, antes); }
    } restaura;
    char arquivo[1024];
    chama(arquivo);
    EXPECT_STREQ(erro(), "");
    EXPECT_NE(arquivo[0], '\0');
    EXPECT_NE(apoio::esperaConteudo(std::string(porta), 10).find("\x1B\xA3"), std::string::npos);

    std::fill(std::begin(porta), std::end(porta), '\0');
    std::memcpy(porta, "COM77", 5);
    chama(arquivo);
    EXPECT_EQ(std::string(erro()).rfind("N\xE3o foi poss\xEDvel imprimir o cheque: porta COM77", 0),
              0u)
        << erro();
}

// A port nobody reads (a FIFO; an offline printer blocks the same way): the call comes back
// with the printer's silence as its error once the spooler's deadline is over, and leaves no
// spooler waiting on the port. The call runs in a child so that a hang fails the test.
TEST_F(ChequeSemQt, PortaQueNaoAceitaOsBytesVoltaComErroNoPrazo) {
    const std::string fifo = dir / "porta";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::fill(std::begin(porta), std::end(porta), '\0');
    std::memcpy(porta, fifo.data(), fifo.size());
    ::setenv("CHEQUE_PRAZO_IMPRESSORA", "1", 1);
    struct Limpa {
        ~Limpa() { ::unsetenv("CHEQUE_PRAZO_IMPRESSORA"); }
    } limpa;

    int canal[2];
    ASSERT_EQ(::pipe(canal), 0);
    const auto inicio = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::close(canal[0]);
        char arquivo[1024];
        std::memset(arquivo, 'x', sizeof arquivo);
        chama(arquivo);
        const bool vazio = std::all_of(arquivo, arquivo + 1024, [](char c) { return c == 0; });
        const std::string msg = std::string(vazio ? "0" : "1") + erro();
        [[maybe_unused]] ssize_t n = ::write(canal[1], msg.data(), msg.size());
        _exit(0);
    }
    ::close(canal[1]);
    std::string saida;
    bool voltou = false;
    while (std::chrono::steady_clock::now() - inicio < std::chrono::seconds(20)) {
        pollfd pf{canal[0], POLLIN, 0};
        if (::poll(&pf, 1, 100) <= 0) continue;
        char buf[2048];
        ssize_t n = ::read(canal[0], buf, sizeof buf);
        if (n <= 0) {
            voltou = true;
            break;
        }
        saida.append(buf, static_cast<std::size_t>(n));
    }
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - inicio).count();
    RecordProperty("segundos", std::to_string(s));
    if (!voltou) ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    ::close(canal[0]);

    // A spooler still waiting on the port would write its bytes once a reader comes.
    int leitor = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(leitor, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    char buf[64];
    const ssize_t restou = ::read(leitor, buf, sizeof buf);
    ::close(leitor);

    ASSERT_TRUE(voltou) << "a chamada n\xE3o voltou em " << s << " s";
    EXPECT_EQ(saida, "0N\xE3o foi poss\xEDvel imprimir o cheque: a impressora n\xE3o respondeu "
                     "em 1 s (" +
                         fifo + ")");
    EXPECT_LT(s, 10.0);
    EXPECT_LE(restou, 0) << "um spooler ficou esperando a porta";
}
