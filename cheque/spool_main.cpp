// cheque-spool BATCHFILE: carries out a cheque batch file the way the command interpreter
// did on Windows. Before it exits it has read the print file and opened the port (or handed
// the job to the queue), so its exit status tells the library whether the job was accepted,
// and the library may rewrite the print file at once. Writing to a slow device goes on
// detached.

#include "Spool.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/file.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const char* const Uso = "uso: cheque-spool [--foreground] ARQUIVO.BAT\n";

int uso() {
    std::fputs(Uso, stderr);
    return 2;
}

int falha(const std::string& motivo) {
    std::fprintf(stderr, "%s\n", motivo.c_str());
    return 1;
}

std::string leTudo(int fd) {
    std::string s;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        s.append(buf, static_cast<std::size_t>(n));
    return s;
}

// Jobs of one batch file go to the port in the order they were launched: each holds the
// batch file's lock until its bytes are sent. Waiting is bounded so a stuck device never
// blocks the caller for long.
void aguardaVez(int fd) {
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0 && std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void soltaTerminal() {
    int nulo = ::open("/dev/null", O_RDWR);
    if (nulo < 0) return;
    ::dup2(nulo, 0);
    ::dup2(nulo, 1);
    ::dup2(nulo, 2);
    if (nulo > 2) ::close(nulo);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Uso, stdout);
        return 0;
    }
    bool primeiroPlano = false;
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--foreground") == 0) {
        primeiroPlano = true;
        ++i;
    }
    if (i + 1 != argc) return uso();
    const std::string lote = argv[i];

    int fd = ::open(lote.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return falha(lote + ": " + std::strerror(errno));
    // Only this job's own print file: the batch file's path with ".TXT".
    std::string esperado;
    if (lote.size() > 4 && lote.compare(lote.size() - 4, 4, ".BAT") == 0)
        esperado = lote.substr(0, lote.size() - 4) + ".TXT";
    const auto l = cheque::interpretaLote(leTudo(fd), esperado);
    if (!l.erro.empty()) return falha(lote + ": " + l.erro);
    std::map<std::string, std::string> conteudos;
    if (auto e = cheque::lePendentes(l.comandos, conteudos); !e.empty()) return falha(e);
    aguardaVez(fd);

    cheque::Entrega entrega;
    if (auto e = entrega.prepara(l.comandos, conteudos); !e.empty()) return falha(e);
    if (primeiroPlano || !entrega.temEnvio()) {
        auto e = entrega.conclui();
        return e.empty() ? 0 : falha(e);
    }

    pid_t pid = ::fork();
    if (pid < 0) {
        auto e = entrega.conclui();
        return e.empty() ? 0 : falha(e);
    }
    if (pid == 0) {
        ::setsid();
        soltaTerminal();
        _exit(entrega.conclui().empty() ? 0 : 1);
    }
    // Most ports take the bytes at once: then a failure still reaches the caller. A device
    // that is slower goes on by itself.
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int status = 0;
    while (std::chrono::steady_clock::now() < limite) {
        pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0
                       ? 0
                       : falha("porta: falha ao enviar os bytes");
        if (r < 0) return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 0;
}
