// cheque-spool BATCHFILE: carries out a cheque batch file the way the command interpreter
// did on Windows. It reads the print file, opens the port without blocking (or hands the job
// to the queue) and sends the bytes, all within a deadline: CHEQUE_PRAZO_IMPRESSORA seconds,
// 30 by default. Its exit status tells the library whether the printer took the job, and it
// never outlives the deadline, so a port that takes nothing cannot hold the clerk's
// application nor leave a spooler behind.
#include "Spool.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <string>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace {

const char* const Uso = "uso: cheque-spool [--foreground] ARQUIVO.BAT\n"
                        "  CHEQUE_PRAZO_IMPRESSORA=N: segundos para a impressora aceitar (30)\n";

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

// What the alarm says when a step that cannot be bounded otherwise (the queue's lp, closing
// a serial line that drains) runs past the deadline. Written before the alarm is set.
char avisoDoAlarme[1200];

void alarme(int) {
    [[maybe_unused]] ssize_t n = ::write(2, avisoDoAlarme, std::strlen(avisoDoAlarme));
    _exit(1);
}

void armaAlarme(const std::string& porta, int segundos) {
    std::snprintf(avisoDoAlarme, sizeof avisoDoAlarme, "%s\n",
                  cheque::semResposta(porta, segundos).c_str());
    struct sigaction sa {};
    sa.sa_handler = alarme;
    ::sigaction(SIGALRM, &sa, nullptr);
    // One second past the deadline: the steps bounded by it report first.
    ::alarm(static_cast<unsigned>(segundos) + 1);
}

// Jobs of one batch file go to the port in the order they were launched: each holds the
// batch file's lock until its bytes are sent. Waiting is bounded so a stuck device never
// blocks the caller for long.
void aguardaVez(int fd, int segundos) {
    auto limite = std::chrono::steady_clock::now() + std::chrono::seconds(std::min(10, segundos));
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0 && std::chrono::steady_clock::now() < limite)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Uso, stdout);
        return 0;
    }
    // The job always runs to its end here now; the option stays for older callers.
    int i = 1;
    if (i < argc && std::strcmp(argv[i], "--foreground") == 0) ++i;
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

    // The whole job, the wait for its turn included, counts against one deadline.
    const int segundos = cheque::prazoEmSegundos(std::getenv("CHEQUE_PRAZO_IMPRESSORA"));
    cheque::Entrega entrega(segundos);
    std::string porta;
    for (const auto& c : l.comandos)
        if (c.tipo == cheque::ComandoLote::Tipo::Imprime) porta = c.porta;
    armaAlarme(porta, segundos);
    // A reader of the port that goes away is a failure to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    aguardaVez(fd, segundos);

    if (auto e = entrega.prepara(l.comandos, conteudos); !e.empty()) return falha(e);
    auto e = entrega.conclui();
    return e.empty() ? 0 : falha(e);
}
