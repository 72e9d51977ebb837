// POSIX services: the spooler cheque-spool takes the place of the command interpreter.

#include "Sistema.h"

#include "base/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/System.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace cheque {

namespace {

class ArquivoPosix : public ArquivoDoTrabalho {
public:
    explicit ArquivoPosix(int fd) : fd_(fd) {}
    ~ArquivoPosix() override { ::close(fd_); }
    ArquivoPosix(const ArquivoPosix&) = delete;
    ArquivoPosix& operator=(const ArquivoPosix&) = delete;

    // Through the descriptor this job opened, whatever the name points at by now.
    bool regrava(const std::string& bytes) override {
        if (::ftruncate(fd_, 0) != 0) return false;
        std::size_t feito = 0;
        while (feito < bytes.size()) {
            ssize_t n = ::pwrite(fd_, bytes.data() + feito, bytes.size() - feito,
                                 static_cast<off_t>(feito));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            feito += static_cast<std::size_t>(n);
        }
        return true;
    }

private:
    int fd_;
};

// Runs the spooler and waits for it to accept the job; its complaint comes on stderr.
std::string executaSpool(const std::string& spool, const std::string& lote) {
    int canal[2];
    if (::pipe2(canal, O_CLOEXEC) != 0) return "pipe: " + std::string(std::strerror(errno));
    posix_spawn_file_actions_t acoes;
    ::posix_spawn_file_actions_init(&acoes);
    ::posix_spawn_file_actions_adddup2(&acoes, canal[1], 2);
    std::vector<char*> argv = {const_cast<char*>(spool.c_str()), const_cast<char*>(lote.c_str()),
                               nullptr};
    pid_t pid = 0;
    int r = ::posix_spawn(&pid, spool.c_str(), &acoes, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&acoes);
    ::close(canal[1]);
    if (r != 0) {
        ::close(canal[0]);
        return spool + ": " + std::strerror(r);
    }
    // Read until the spooler has ended, not until the pipe closes: a program it started
    // (the queue's lp) may still hold the pipe, and the spooler bounds its own time.
    enum class Leitura { Dados, Nada, Fim };
    std::string queixa;
    auto le = [&](int espera) {
        pollfd pf{canal[0], POLLIN, 0};
        if (::poll(&pf, 1, espera) <= 0) return Leitura::Nada;
        char buf[512];
        ssize_t n = ::read(canal[0], buf, sizeof buf);
        if (n < 0) return errno == EINTR ? Leitura::Nada : Leitura::Fim;
        if (n == 0) return Leitura::Fim;
        if (queixa.size() < 4096) queixa.append(buf, static_cast<std::size_t>(n));
        return Leitura::Dados;
    };
    bool aberto = true, ignorado = false;
    int status = 0;
    for (;;) {
        if (aberto)
            aberto = le(50) != Leitura::Fim;
        else
            ::poll(nullptr, 0, 20);
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid) break;
        if (w < 0 && errno == ECHILD) {
            // A host that ignores SIGCHLD leaves no status to read: the spooler names every
            // refusal on stderr, so its silence means it took the job.
            ignorado = true;
            if (::kill(pid, 0) != 0) break;
        } else if (w < 0 && errno != EINTR) {
            ::close(canal[0]);
            return "cheque-spool: " + std::string(std::strerror(errno));
        }
    }
    while (aberto && le(0) == Leitura::Dados) {
    }
    ::close(canal[0]);
    while (!queixa.empty() && (queixa.back() == '\n' || queixa.back() == '\r'))
        queixa.pop_back();
    if (ignorado) return queixa;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    if (queixa.empty()) queixa = "cheque-spool falhou";
    return queixa;
}

class SistemaPosix : public Sistema {
public:
    char separador() const override { return '/'; }
    bool usaInterpretador() const override { return false; }
    std::string diretorioTemporario() override { return platform::diretorioTemporario(); }
    bool existeDiretorio(const std::string& c) override {
        std::error_code ec;
        return std::filesystem::is_directory(c, ec);
    }
    void criaDiretorios(const std::string& c) override { platform::criaDiretorios(c); }
    int segundosDoDia() override {
        std::time_t agora = std::time(nullptr);
        std::tm local{};
        localtime_r(&agora, &local);
        return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    }
    // There is no Windows directory here, so no MODE.COM to find: the mode line stands alone.
    Familia familia() override { return Familia::NT; }
    std::string diretorioWindows() override { return {}; }
    bool existeArquivo(const std::string& c) override {
        std::error_code ec;
        return std::filesystem::is_regular_file(c, ec);
    }

    std::unique_ptr<ArquivoDoTrabalho> criaExclusivo(const std::string& caminho,
                                                     Criacao& resultado) override {
        int fd =
            ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            resultado = errno == EEXIST ? Criacao::Existe : Criacao::Falhou;
            return nullptr;
        }
        if (::fchmod(fd, 0600) != 0) {
            ::close(fd);
            ::unlink(caminho.c_str());
            resultado = Criacao::Falhou;
            return nullptr;
        }
        resultado = Criacao::Criado;
        return std::make_unique<ArquivoPosix>(fd);
    }
    void removeArquivo(const std::string& caminho) override { ::unlink(caminho.c_str()); }

    // The spooler reads the print file and opens the port (or hands the job to the queue)
    // before it exits, so its status says whether the job was accepted and the next step
    // may rewrite the print file.
    std::string lanca(const std::string& lote, Familia, const std::string&) override {
        const std::string dir =
            platform::diretorioDoModulo(reinterpret_cast<const void*>(&sistemaLocal));
        for (const char* rel : {"/cheque-spool", "/../bin/cheque-spool"}) {
            std::string spool = dir + rel;
            if (::access(spool.c_str(), X_OK) == 0) return executaSpool(spool, lote);
        }
        return base::utf8ParaCp1252("cheque-spool não encontrado junto a ") + dir;
    }

    bool confirma(const std::string& texto) override {
        app();
        return platform::confirma(base::cp1252ParaUtf8(texto));
    }
    void avisa(const std::string& texto) override {
        app();
        platform::avisa("Aviso", base::cp1252ParaUtf8(texto));
    }

private:
    // One widget application for the job's boxes, the host's when it has one.
    void app() {
        if (!janelas_) janelas_ = std::make_unique<platform::SessaoDeJanelas>();
    }
    std::unique_ptr<platform::SessaoDeJanelas> janelas_;
};

} // namespace

std::unique_ptr<Sistema> sistemaLocal() {
    return std::make_unique<SistemaPosix>();
}

} // namespace cheque
