// cheque-spool BATCHFILE: carries out a cheque batch file the way the command interpreter
// did on Windows. It reads the print file, then detaches and sends it to the port, so the
// caller may rewrite the print file as soon as this process has exited.

#include "Spool.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sstream>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

const char* const Uso = "uso: cheque-spool [--foreground] ARQUIVO.BAT\n";

int uso() {
    std::fputs(Uso, stderr);
    return 2;
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
    if (fd < 0) {
        std::perror(lote.c_str());
        return 1;
    }
    std::string esperado = lote;
    if (esperado.size() > 4) esperado = esperado.substr(0, esperado.size() - 4) + ".TXT";
    const auto comandos = cheque::interpretaLote(leTudo(fd), esperado);
    const auto conteudos = cheque::lePendentes(comandos);
    aguardaVez(fd);

    if (primeiroPlano) return cheque::executaLote(comandos, conteudos) ? 0 : 1;

    pid_t pid = ::fork();
    if (pid < 0) return cheque::executaLote(comandos, conteudos) ? 0 : 1;
    if (pid > 0) return 0;
    ::setsid();
    soltaTerminal();
    _exit(cheque::executaLote(comandos, conteudos) ? 0 : 1);
}
