// notera-torture: transfers posted through the OK action's posting code under faults, and the
// books checked after each fault. Three trials:
//   matar     a child posts in a loop and is killed with SIGKILL at random moments
//   estacoes  several processes post into the same companies at once, many rounds
//   falhas    every write, sync and read of one posting made to fail in turn, and a full disk
// Exit status: 0 when nothing was found, 1 with findings, 2 when the trial could not run.

#include "FalhaVfs.h"
#include "Livros.h"
#include "Rele.h"
#include "host/Reservas.h"
#include "notera/core/Execucao.h"
#include "notera/posting/Confirma.h"
#include "tools/Dados.h"
#include "tools/PostagemSemTela.h"

#include <QGuiApplication>

#include <sqlite3.h>

#include <poll.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace notera;
namespace fs = std::filesystem;
using Relogio = std::chrono::steady_clock;

constexpr int EsperaReservaMs = 3000; // the host's reservation wait

const char* const Uso =
    "usage: notera-torture matar [KILLS] [SEED] [--janela MS] [--servidor 1]\n"
    "       notera-torture estacoes [ROUNDS] [PROCESSES] [SEED] [--transferencias N]\n"
    "                               [--servidor 1]\n"
    "       notera-torture falhas [--limite N] [--servidor 1 [--passo K] [--desde N]]\n"
    "       notera-torture disco [--passo KB] [--ate KB]\n"
    "  matar     a child posts transfers in a loop and is killed (SIGKILL) at random moments\n"
    "            within MS milliseconds (default: 4 postings' time); after each kill the books are "
    "checked.\n"
    "            Defaults: 100 kills, seed 1.\n"
    "  estacoes  PROCESSES processes (default 4) post N transfers each (default 3) into the same\n"
    "            companies at once, ROUNDS times (default 10); the books checked after each.\n"
    "  falhas    one posting with its Nth write, sync or read failing, for every N it reaches\n"
    "            (at most N of each when --limite is given), then a disk that fills; on the\n"
    "            server, the connection cut at the Nth statement of one posting instead\n"
    "            (with --passo K, at every Kth statement and every COMMIT; from the Nth\n"
    "            with --desde N).\n"
    "  disco     the data on a small tmpfs (needs mount) filled to within K KiB of full,\n"
    "            for K from 0 to --ate (default 256) by --passo (default 8); one posting on\n"
    "            each, then the space freed and another posting.\n"
    "--servidor 1: the data on a throw-away PostgreSQL server (scripts/pg-teste.sh).\n"
    "Runs on demo data in a temporary directory (TMPDIR). Exit 0: nothing found; 1: findings;\n"
    "2: the trial could not run (77: 'disco' could not mount its tmpfs).\n";

// Every question answered No; every box's text kept.
class Caixas : public Mensagens {
public:
    int mostra(platform::Icone, const std::string& texto,
               const std::vector<std::string>& botoes) override {
        textos.push_back(texto);
        return static_cast<int>(botoes.size()) - 1;
    }
    std::vector<std::string> textos;
};

// The reservations of this process's workstation, for the C services.
Reservas* reservasDoProcesso = nullptr;

std::vector<std::string> lista(const char* const* tabelas, int32_t ultimo) {
    return std::vector<std::string>(tabelas, tabelas + ultimo + 1);
}
// As the host: a refusal because the server could not be asked is said in a box.
std::vector<std::string>* caixasDoProcesso = nullptr;
uint8_t NOTERA_CALL reserva(const char* const* tabelas, int32_t ultimo) {
    const bool ok = reservasDoProcesso->reserva(lista(tabelas, ultimo));
    if (!ok && !reservasDoProcesso->erro().empty())
        caixasDoProcesso->push_back(reservasDoProcesso->erro());
    return ok ? 1 : 0;
}
void NOTERA_CALL libera(const char* const* tabelas, int32_t ultimo) {
    reservasDoProcesso->libera(lista(tabelas, ultimo));
}

struct Sessao {
    explicit Sessao(const std::string& dados)
        : reservas(dados, EsperaReservaMs),
          ex(ServicosHost(nullptr, &reserva, &libera), std::make_unique<Caixas>()) {
        reservasDoProcesso = &reservas;
        caixasDoProcesso = &caixas().textos;
        ex.DataMovimento = base::Data{2026, 12, 10}.emDiasDelphi();
        postagem::abreEmpresas(ex, dados);
    }
    Caixas& caixas() { return static_cast<Caixas&>(*ex.mensagens); }
    Reservas reservas;
    Execucao ex;
};

struct Postagem {
    bool ok = false;
    std::int32_t al = 0;
    std::string textos; // every box and the error that ended it, one a line
    double ms = 0;
};

// One OK action's posting; an error that escapes is what the form would show.
Postagem posta(Sessao& s, std::int32_t cheque) {
    Postagem p;
    s.caixas().textos.clear();
    const auto inicio = Relogio::now();
    try {
        const ResultadoPostagem r =
            PostaTransferencia(s.ex, postagem::transferencia("TORTURA", cheque));
        p.al = r.NumeroAL;
        p.ok = r.NumeroAL > 0 && r.Confirmado && r.Concluida;
        if (!r.Mensagem.empty()) s.caixas().textos.push_back(r.Mensagem);
    } catch (const std::exception& e) {
        s.caixas().textos.push_back(e.what());
    }
    p.ms = std::chrono::duration<double, std::milli>(Relogio::now() - inicio).count();
    for (const auto& t : s.caixas().textos)
        p.textos += (p.textos.empty() ? "" : " | ") + t;
    for (char& c : p.textos)
        if (c == '\n' || c == '\r') c = ' ';
    return p;
}

// After a fault the clerk presses OK again in the same session: that posting must work.
// False (and told) when it did not; its AL joins the acknowledged ones when it did.
bool postaDeNovo(Sessao& s, const std::string& onde, const char* falhou,
                 std::set<std::int64_t>& reportados) {
    const Postagem seguinte = posta(s, 3);
    if (!seguinte.ok) {
        std::printf("  %s: %s: %s\n", onde.c_str(), falhou, seguinte.textos.c_str());
        return false;
    }
    reportados.insert(seguinte.al);
    return true;
}

void escreve(const std::string& linha) {
    const std::string l = linha + "\n";
    std::size_t feito = 0;
    while (feito < l.size()) {
        const ssize_t n = ::write(1, l.data() + feito, l.size() - feito);
        if (n <= 0) std::_Exit(3);
        feito += static_cast<std::size_t>(n);
    }
}

// The child: "pronto", then per transfer "ok AL MS" or "falha AL MS TEXTS". |vezes| 0: forever.
int filho(const std::string& dados, std::int32_t cheque, long vezes) {
    Sessao s(dados);
    escreve("pronto");
    for (long i = 0; vezes == 0 || i < vezes; ++i) {
        const Postagem p = posta(s, cheque + static_cast<std::int32_t>(2 * i));
        std::ostringstream l;
        l << (p.ok ? "ok " : "falha ") << p.al << ' ' << static_cast<long>(p.ms);
        if (!p.ok) l << ' ' << p.textos;
        escreve(l.str());
    }
    return 0;
}

// A child process running this program with |args|, its stdout on a pipe.
struct Processo {
    pid_t pid = -1;
    int fd = -1;
    std::string lido;

    static Processo inicia(const std::vector<std::string>& args) {
        int p[2];
        if (::pipe(p) != 0) throw std::runtime_error("pipe");
        Processo r;
        r.pid = ::fork();
        if (r.pid == 0) {
            ::dup2(p[1], 1);
            ::close(p[0]);
            ::close(p[1]);
            std::vector<char*> argv;
            static char self[] = "/proc/self/exe";
            argv.push_back(self);
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            ::execv("/proc/self/exe", argv.data());
            std::_Exit(127);
        }
        ::close(p[1]);
        r.fd = p[0];
        return r;
    }
    // Reads what is there, waiting at most |ms|; false at end of file.
    bool le(int ms) {
        pollfd f{fd, POLLIN, 0};
        if (::poll(&f, 1, ms) <= 0) return true;
        char b[4096];
        const ssize_t n = ::read(fd, b, sizeof b);
        if (n <= 0) return false;
        lido.append(b, static_cast<std::size_t>(n));
        return true;
    }
    bool temLinha(const std::string& l) const { return lido.find(l + "\n") != std::string::npos; }
    void leAteOFim() {
        while (le(-1)) {
        }
    }
    int espera() {
        int st = 0;
        ::waitpid(pid, &st, 0);
        ::close(fd);
        pid = -1;
        return st;
    }
    std::vector<std::string> linhas() const {
        std::vector<std::string> r;
        std::istringstream in(lido);
        for (std::string l; std::getline(in, l);)
            r.push_back(l);
        return r;
    }
};

void copia(const fs::path& de, const fs::path& para) {
    fs::remove_all(para);
    fs::copy(de, para, fs::copy_options::recursive);
}

// The books' own checker, where this build has it.
int verificar(const std::string& dados, std::string& saida) {
#ifdef NOTERA_DADOS_VERIFICAR
    const std::string cmd = std::string(NOTERA_DADOS_VERIFICAR) + " verificar '" + dados + "' 2>&1";
    FILE* f = ::popen(cmd.c_str(), "r");
    if (!f) return 2;
    char b[512];
    while (std::fgets(b, sizeof b, f))
        saida += b;
    const int st = ::pclose(f);
    return WIFEXITED(st) ? WEXITSTATUS(st) : 2;
#else
    (void)dados;
    (void)saida;
    return -1;
#endif
}

// The demo data, and the shape of one transfer posted on a copy of it by a child.
struct Bancada {
    fs::path raiz;
    fs::path demo;
    torture::Modelo modelo;
    double msPorTransferencia = 0;
    bool pronta = false;
};

Bancada prepara(const std::string& nome) {
    Bancada b;
    b.raiz =
        fs::temp_directory_path() / ("notera-torture-" + nome + "-" + std::to_string(::getpid()));
    fs::remove_all(b.raiz);
    fs::create_directories(b.raiz);
    b.demo = b.raiz / "demo";
    ::dados::demo(b.demo.string());
    const fs::path ref = b.raiz / "modelo";
    copia(b.demo, ref);
    const auto antes = torture::le(ref.string());
    Processo p = Processo::inicia({"filho", ref.string(), "900000", "1"});
    p.leAteOFim();
    const int st = p.espera();
    const auto depois = torture::le(ref.string());
    b.modelo = torture::modelo(antes, depois);
    // The shape must hold every kind of record a transfer writes, or the checks see nothing.
    std::set<std::string> tabelas;
    for (const auto& [k, n] : b.modelo.forma)
        tabelas.insert(k.substr(k.find('|') + 1));
    const std::set<std::string> todas{"tbcal", "tbchqpag", "tblanpag", "tblanrec", "tblct"};
    if (!WIFEXITED(st) || WEXITSTATUS(st) != 0 || !antes.problemas.empty() ||
        !depois.problemas.empty() || tabelas != todas || b.modelo.delta.empty()) {
        std::fprintf(stderr, "the reference transfer did not post whole: %s\n", p.lido.c_str());
        for (const auto& x : depois.problemas)
            std::fprintf(stderr, "  %s\n", x.c_str());
        return b;
    }
    for (const auto& l : p.linhas()) {
        std::istringstream in(l);
        std::string tipo;
        long al = 0, ms = 0;
        if (in >> tipo >> al >> ms && tipo == "ok") b.msPorTransferencia = static_cast<double>(ms);
    }
    std::string saida;
    if (verificar(ref.string(), saida) > 0)
        std::printf("notera-dados verificar finds fault with one whole transfer:\n%s",
                    saida.c_str());
    std::printf("one transfer (%.0f ms) writes:", b.msPorTransferencia);
    for (const auto& [k, n] : b.modelo.forma)
        std::printf(" %s %lld", k.c_str(), static_cast<long long>(n));
    std::printf("; %zu totals change\n", b.modelo.delta.size());
    b.pronta = true;
    return b;
}

// A throw-away PostgreSQL server of the project's test script, stopped when done.
struct Servidor {
    explicit Servidor(const fs::path& d) : dir(d) {
        const std::string cmd =
            std::string("bash '") + NOTERA_PG_TESTE + "' start '" + dir.string() + "' 2>&1";
        FILE* f = ::popen(cmd.c_str(), "r");
        char b[512];
        while (f && std::fgets(b, sizeof b, f))
            erro += b;
        const int st = f ? ::pclose(f) : -1;
        std::ifstream u(dir / "uri");
        if (st == 0 && std::getline(u, uri)) erro.clear();
    }
    // A database of its own on the server (a copy of |modelo| when given); the script's text
    // on failure.
    std::string base(const std::string& nome, const std::string& modelo = {}) const {
        return roda("base '" + nome + "'" + (modelo.empty() ? "" : " '" + modelo + "'"));
    }
    std::string apaga(const std::string& nome) const { return roda("apaga '" + nome + "'"); }
    // The URI of database |nome| reached through the socket directory |host|.
    static std::string uriDe(const std::string& nome, const fs::path& host) {
        return "postgresql:///" + nome + "?host=" + host.string() + "&user=notera";
    }
    ~Servidor() {
        const std::string cmd = std::string("bash '") + NOTERA_PG_TESTE + "' stop '" +
                                dir.string() + "' >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "the test server did not stop\n");
    }
    Servidor(const Servidor&) = delete;
    Servidor& operator=(const Servidor&) = delete;
    fs::path dir;

private:
    std::string roda(const std::string& args) const {
        const std::string cmd = std::string("bash '") + NOTERA_PG_TESTE + "' " +
                                args.substr(0, args.find(' ')) + " '" + dir.string() + "'" +
                                args.substr(args.find(' ')) + " 2>&1";
        FILE* f = ::popen(cmd.c_str(), "r");
        std::string saida;
        char b[512];
        while (f && std::fgets(b, sizeof b, f))
            saida += b;
        const int st = f ? ::pclose(f) : -1;
        return st == 0 ? std::string() : (saida.empty() ? "failed: " + cmd : saida);
    }

public:
    std::string uri, erro;
};

// The throw-away server of a trial run with --servidor 1; null (and told) when it did not
// start.
std::unique_ptr<Servidor> servidorDoEnsaio(const char* modo) {
    auto s = std::make_unique<Servidor>(fs::temp_directory_path() /
                                        ("notera-torture-pg-" + std::to_string(::getpid())));
    if (!s->uri.empty()) return s;
    std::printf("%s: the test server did not start: %s\n", modo, s->erro.c_str());
    return nullptr;
}

// The books of |dados|; a tree on a server is read through a copy into SQLite (which also
// proves the server answers again after the kill).
torture::Retrato livros(const fs::path& dados, const fs::path& copia) {
    if (!fs::exists(dados / "banco.conf")) return torture::le(dados.string());
    fs::remove_all(copia);
    try {
        ::dados::copiar(dados.string(), copia.string(), false);
    } catch (const std::exception& e) {
        torture::Retrato r;
        r.problemas.push_back(std::string("the server's books cannot be read: ") + e.what());
        return r;
    }
    return torture::le(copia.string());
}

// The trial's data: the demo in SQLite, or on the test server when |uri| is given.
void dadosDoEnsaio(const Bancada& b, const fs::path& dados, const std::string& uri) {
    if (uri.empty())
        copia(b.demo, dados);
    else
        ::dados::demo(dados.string(), uri);
}

struct Placar {
    long checados = 0, meiosMax = 0, comMeios = 0, perdidos = 0, duplicados = 0, naoConfirmados = 0,
         verificarAchou = 0, rodadasComAchados = 0;
    std::set<std::string> vistos; // findings, each printed once
    bool porCaso = false;         // each case's findings printed, even when an earlier had them

    void soma(const torture::Resultado& r, const std::string& onde) {
        meiosMax = std::max<long>(meiosMax, r.meios);
        if (r.meios > 0) ++comMeios;
        perdidos += r.perdidos;
        duplicados += r.duplicados;
        naoConfirmados = std::max<long>(naoConfirmados, r.naoConfirmados);
        if (!r.achados.empty()) ++rodadasComAchados;
        for (const auto& a : r.achados)
            if (vistos.insert(porCaso ? onde + a : a).second)
                std::printf("  %s: %s\n", onde.c_str(), a.c_str());
    }
    void confere(const std::string& dados, const std::string& onde) {
        std::string saida;
        const int rc = verificar(dados, saida);
        if (rc > 0) {
            ++verificarAchou;
            ++rodadasComAchados;
            // Only what it had not said before.
            std::istringstream in(saida);
            for (std::string l; std::getline(in, l);)
                if (vistos.insert(porCaso ? onde + l : l).second)
                    std::printf("  %s: notera-dados verificar (exit %d): %s\n", onde.c_str(), rc,
                                l.c_str());
        }
    }
};

long argumento(const std::vector<std::string>& a, std::size_t i, long padrao) {
    return a.size() > i ? std::stol(a[i]) : padrao;
}
long opcao(std::vector<std::string>& a, const std::string& nome, long padrao) {
    for (std::size_t i = 0; i + 1 < a.size(); ++i)
        if (a[i] == nome) {
            const long v = std::stol(a[i + 1]);
            a.erase(a.begin() + static_cast<long>(i), a.begin() + static_cast<long>(i) + 2);
            return v;
        }
    return padrao;
}

int matar(std::vector<std::string> a) {
    const bool noServidor = opcao(a, "--servidor", 0) != 0;
    long janela = opcao(a, "--janela", 0);
    const long mortes = argumento(a, 0, 100);
    const unsigned semente = static_cast<unsigned>(argumento(a, 1, 1));
    Bancada b = prepara("matar");
    if (!b.pronta) return 2;
    // Kills fall anywhere in the first few postings of each child.
    if (janela <= 0) janela = std::max(50L, static_cast<long>(4 * b.msPorTransferencia));
    std::unique_ptr<Servidor> servidor;
    if (noServidor && !(servidor = servidorDoEnsaio("matar"))) return 2;
    const fs::path dados = b.raiz / "dados";
    const fs::path leitura = b.raiz / "leitura";
    dadosDoEnsaio(b, dados, servidor ? servidor->uri : std::string());
    std::mt19937 rng(semente);
    std::uniform_int_distribution<long> atraso(0, janela * 1000);
    std::set<std::int64_t> reportados;
    Placar placar;
    long falhas = 0;
    for (long k = 1; k <= mortes; ++k) {
        Processo p = Processo::inicia(
            {"filho", dados.string(), std::to_string(1 + (k % 20000) * 100000), "0"});
        // Opening the companies is no posting: the clock starts when the child is ready.
        const auto limite = Relogio::now() + std::chrono::seconds(60);
        while (!p.temLinha("pronto") && Relogio::now() < limite)
            if (!p.le(100)) break;
        if (!p.temLinha("pronto")) {
            std::printf("kill %ld: the child did not start: %s\n", k, p.lido.c_str());
            ::kill(p.pid, SIGKILL);
            p.espera();
            return 2;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(atraso(rng)));
        ::kill(p.pid, SIGKILL);
        p.leAteOFim();
        p.espera();
        for (const auto& l : p.linhas()) {
            std::istringstream in(l);
            std::string tipo;
            std::int64_t al = 0;
            in >> tipo >> al;
            if (tipo == "ok") reportados.insert(al);
            if (tipo == "falha") {
                ++falhas;
                std::printf("  kill %ld: posting AL %lld failed: %s\n", k,
                            static_cast<long long>(al), l.c_str());
            }
        }
        const auto r = torture::avalia(b.modelo, livros(dados, leitura), reportados, false);
        placar.checados += static_cast<long>(reportados.size());
        placar.soma(r, "after kill " + std::to_string(k));
        placar.confere(dados.string(), "after kill " + std::to_string(k));
    }
    const auto fim = torture::avalia(b.modelo, livros(dados, leitura), reportados, false);
    std::printf(
        "matar%s: %ld kills (seed %u, window %ld ms), %zu transfers acknowledged, %lld whole "
        "in the books, %lld half there, %ld lost, %ld duplicates, %ld failed postings, "
        "%s; acknowledged transfers checked %ld times\n",
        servidor ? " (server)" : "", mortes, semente, janela, reportados.size(),
        static_cast<long long>(fim.inteiros), static_cast<long long>(fim.meios), placar.perdidos,
        placar.duplicados, falhas,
#ifdef NOTERA_DADOS_VERIFICAR
        (std::to_string(placar.verificarAchou) + " runs of verificar with findings").c_str(),
#else
        "verificar not in this build",
#endif
        placar.checados);
    const bool limpo = placar.rodadasComAchados == 0 && falhas == 0 && !reportados.empty();
    if (reportados.empty()) std::printf("no transfer was acknowledged: the window is too short\n");
    if (limpo)
        fs::remove_all(b.raiz);
    else
        std::printf("data kept in %s\n", b.raiz.c_str());
    return limpo ? 0 : 1;
}

int estacoes(std::vector<std::string> a) {
    const bool noServidor = opcao(a, "--servidor", 0) != 0;
    const long transferencias = opcao(a, "--transferencias", 3);
    const long rodadas = argumento(a, 0, 10);
    const long processos = argumento(a, 1, 4);
    (void)argumento(a, 2, 1); // the order of the processes is the scheduler's
    Bancada b = prepara("estacoes");
    if (!b.pronta) return 2;
    std::unique_ptr<Servidor> servidor;
    if (noServidor && !(servidor = servidorDoEnsaio("estacoes"))) return 2;
    const fs::path dados = b.raiz / "dados";
    const fs::path leitura = b.raiz / "leitura";
    dadosDoEnsaio(b, dados, servidor ? servidor->uri : std::string());
    std::set<std::int64_t> reportados;
    Placar placar;
    long postagens = 0, recusas = 0, mudas = 0, lentas = 0, travadas = 0, caidas = 0;
    double maiorMs = 0;
    // A posting waits for a reservation at most this long, twice (TbLct and TbCal), plus the
    // store's own wait; anything longer is a deadlock that outlived the reservation timeout.
    const double limiteMs = 2.0 * EsperaReservaMs + 5000;
    for (long r = 1; r <= rodadas; ++r) {
        std::vector<Processo> ps;
        for (long i = 0; i < processos; ++i)
            ps.push_back(
                Processo::inicia({"filho", dados.string(),
                                  std::to_string(1 + ((r * processos + i) % 20000) * 100000),
                                  std::to_string(transferencias)}));
        const auto limite = Relogio::now() + std::chrono::milliseconds(static_cast<long>(
                                                 60000 + limiteMs * transferencias * processos));
        for (auto& p : ps) {
            while (Relogio::now() < limite)
                if (!p.le(200)) break;
            if (Relogio::now() >= limite) {
                ++travadas;
                std::printf("  round %ld: a process still runs past the round's limit: killed\n",
                            r);
                ::kill(p.pid, SIGKILL);
                p.leAteOFim();
            }
            const int st = p.espera();
            if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) {
                ++caidas;
                std::printf("  round %ld: a process ended abnormally (status %d)\n", r, st);
            }
            for (const auto& l : p.linhas()) {
                std::istringstream in(l);
                std::string tipo, resto;
                std::int64_t al = 0;
                long ms = 0;
                in >> tipo >> al >> ms;
                std::getline(in, resto);
                if (tipo != "ok" && tipo != "falha") continue;
                ++postagens;
                maiorMs = std::max(maiorMs, static_cast<double>(ms));
                if (ms > limiteMs) {
                    ++lentas;
                    std::printf("  round %ld: a posting took %ld ms\n", r, ms);
                }
                if (tipo == "ok") {
                    if (!reportados.insert(al).second)
                        std::printf("  round %ld: AL %lld acknowledged twice\n", r,
                                    static_cast<long long>(al));
                    continue;
                }
                ++recusas;
                if (resto.find_first_not_of(' ') == std::string::npos) {
                    ++mudas;
                    std::printf("  round %ld: AL %lld not posted and nothing said\n", r,
                                static_cast<long long>(al));
                } else {
                    std::printf("  round %ld: AL %lld refused:%s\n", r, static_cast<long long>(al),
                                resto.c_str());
                }
            }
        }
        const auto res = torture::avalia(b.modelo, livros(dados, leitura), reportados, true);
        placar.checados += static_cast<long>(reportados.size());
        placar.soma(res, "after round " + std::to_string(r));
        placar.confere(dados.string(), "after round " + std::to_string(r));
    }
    const auto fim = torture::avalia(b.modelo, livros(dados, leitura), reportados, true);
    std::printf(
        "estacoes%s: %ld rounds x %ld processes x %ld transfers: %ld postings, %zu "
        "acknowledged, %lld whole in the books, %lld half there, %ld lost, %ld "
        "duplicates, %ld refused (%ld without a word), %ld stored but reported failed, "
        "longest posting %.0f ms (%ld beyond %.0f ms), %ld processes hung, %ld ended abnormally\n",
        servidor ? " (server)" : "", rodadas, processos, transferencias, postagens,
        reportados.size(), static_cast<long long>(fim.inteiros), static_cast<long long>(fim.meios),
        placar.perdidos, placar.duplicados, recusas, mudas, placar.naoConfirmados, maiorMs, lentas,
        limiteMs, travadas, caidas);
    const bool limpo = placar.rodadasComAchados == 0 && mudas == 0 && lentas == 0 &&
                       travadas == 0 && caidas == 0 &&
                       postagens == rodadas * processos * transferencias;
    if (limpo)
        fs::remove_all(b.raiz);
    else
        std::printf("data kept in %s\n", b.raiz.c_str());
    return limpo ? 0 : 1;
}

// The engine's text for the injected failure, as it must reach the user.
const char* textoDoMotor(torture::Operacao o) {
    return sqlite3_errstr(o == torture::Operacao::DiscoCheio ? SQLITE_FULL : SQLITE_IOERR);
}

// What libpq says when the server's connection is gone; one of them must reach the user.
const char* const TextosDaConexaoPerdida[] = {
    "server closed the connection unexpectedly", "no connection to the server",
    "could not send data to server", "could not receive data from server", "connection to server"};

// The first of those texts that |texto| holds; null when none.
const char* textoDaConexaoPerdida(const std::string& texto) {
    for (const char* t : TextosDaConexaoPerdida)
        if (texto.find(t) != std::string::npos) return t;
    return nullptr;
}

// The server form of 'falhas': the tree's connection goes through a relay that cuts it at
// the Nth statement of one posting, for every N that posting sends.
int falhasNoServidor(const Bancada& b, long limite, long passo, long desde) {
    const auto inicio = servidorDoEnsaio("falhas");
    if (!inicio) return 2;
    const Servidor& servidor = *inicio;
    const fs::path releDir = b.raiz / "rele";
    torture::Rele rele(releDir, servidor.dir / "sock");
    if (!rele.erro().empty()) {
        std::printf("falhas: %s\n", rele.erro().c_str());
        return 2;
    }
    // The demo once in a database of its own; each case gets a copy of that database, its
    // banco.conf naming the relay.
    const fs::path modelo = b.raiz / "modelo-servidor";
    if (const auto e = servidor.base("modelo"); !e.empty()) {
        std::printf("falhas: %s", e.c_str());
        return 2;
    }
    ::dados::demo(modelo.string(), Servidor::uriDe("modelo", servidor.dir / "sock"));
    const auto novoCaso = [&](const std::string& nome) {
        const fs::path d = b.raiz / nome;
        if (const auto e = servidor.base(nome, "modelo"); !e.empty())
            throw std::runtime_error("the case's database: " + e);
        copia(modelo, d);
        std::ofstream(d / "banco.conf") << Servidor::uriDe(nome, releDir) << "\n";
        return d;
    };
    const fs::path leitura = b.raiz / "leitura";

    // How many statements one posting sends, on the connections as the session leaves them.
    long total = 0, conexoes = 0;
    std::vector<std::string> textos;
    {
        const fs::path d = novoCaso("contagem");
        Sessao s(d.string());
        rele.arma(0);
        const Postagem p = posta(s, 1);
        total = rele.contados();
        conexoes = rele.conexoes();
        textos = rele.textos();
        if (!p.ok) {
            std::printf("falhas: the counting posting failed: %s\n", p.textos.c_str());
            return 2;
        }
    }
    const long ate = limite > 0 ? std::min(total, limite) : total;
    // Every |passo|th statement, and every COMMIT, whose cut leaves the outcome unknown.
    std::vector<long> cortes;
    for (long n = std::max(1L, desde); n <= ate; ++n)
        if ((n - 1) % passo == 0 ||
            (static_cast<std::size_t>(n) <= textos.size() && textos[n - 1].rfind("COMMIT", 0) == 0))
            cortes.push_back(n);
    std::printf("server: one posting sends %ld statements (%zu of them COMMIT, %ld new "
                "connections); cutting the connection at %zu of the first %ld in turn\n",
                total,
                static_cast<std::size_t>(
                    std::count_if(textos.begin(), textos.end(),
                                  [](const std::string& t) { return t.rfind("COMMIT", 0) == 0; })),
                conexoes, cortes.size(), ate);
    Placar placar;
    placar.porCaso = true;
    long pontos = 0, mudas = 0, semTexto = 0, seguintesFalharam = 0, naConfirmacao = 0;
    std::map<std::string, long> textosVistos;
    for (const long n : cortes) {
        const std::string nome = "caso" + std::to_string(n);
        const fs::path d = novoCaso(nome);
        std::string onde = "cut at statement " + std::to_string(n);
        std::set<std::int64_t> reportados;
        bool comOResultadoIncerto = false;
        {
            Sessao s(d.string());
            rele.arma(n);
            const Postagem p = posta(s, 1);
            const std::string cortado = rele.cortado();
            const bool cortou = rele.cortes() > 0;
            rele.arma(0);
            if (!cortou) {
                std::printf("  %s: the posting sent only %ld statements\n", onde.c_str(),
                            rele.contados());
                continue;
            }
            ++pontos;
            onde += " (" + cortado.substr(0, 60) + ")";
            // A cut COMMIT leaves the client not knowing: whole or absent, never half.
            comOResultadoIncerto = cortado.rfind("COMMIT", 0) == 0;
            if (comOResultadoIncerto) ++naConfirmacao;
            if (p.ok) reportados.insert(p.al);
            if (p.ok && p.textos.empty()) {
                // A cut after the commit (the reservation's release, which the lost session
                // gives back by itself): harmless only when the books hold the transfer
                // whole, which the check below asks.
                ++mudas;
                std::printf("  %s: nothing said; the posting reports AL %d posted\n", onde.c_str(),
                            p.al);
            } else if (const char* t = textoDaConexaoPerdida(p.textos)) {
                ++textosVistos[t];
            } else {
                ++semTexto;
                std::printf("  %s: failure shown without libpq's text of a lost connection: "
                            "\"%s\"\n",
                            onde.c_str(), p.textos.c_str());
            }
            placar.soma(
                torture::avalia(b.modelo, livros(d, leitura), reportados, !comOResultadoIncerto),
                onde);
            if (!postaDeNovo(s, onde, "the next posting failed too", reportados))
                ++seguintesFalharam;
        }
        placar.soma(
            torture::avalia(b.modelo, livros(d, leitura), reportados, !comOResultadoIncerto),
            onde + ", then posted again");
        placar.confere(d.string(), onde);
        if (placar.rodadasComAchados == 0 && semTexto == 0 && seguintesFalharam == 0) {
            fs::remove_all(d);
            servidor.apaga(nome);
        }
    }
    std::printf("falhas (server): %ld statements per posting, %ld cuts (%ld at COMMIT); %ld not "
                "surfaced (posted, checked whole), %ld without libpq's text, %ld next postings "
                "failed; %ld checks with "
                "findings, %ld of them with a transfer half there, %ld duplicates\n",
                total, pontos, naConfirmacao, mudas, semTexto, seguintesFalharam,
                placar.rodadasComAchados, placar.comMeios, placar.duplicados);
    for (const auto& [t, n] : textosVistos)
        std::printf("  \"%s\" shown after %ld cuts\n", t.c_str(), n);
    const bool limpo =
        placar.rodadasComAchados == 0 && semTexto == 0 && seguintesFalharam == 0 && pontos > 0;
    if (limpo)
        fs::remove_all(b.raiz);
    else
        std::printf("data kept in %s (the server's databases go with the server)\n",
                    b.raiz.c_str());
    return limpo ? 0 : 1;
}

int falhas(std::vector<std::string> a) {
    const long limite = opcao(a, "--limite", 0);
    const bool noServidor = opcao(a, "--servidor", 0) != 0;
    const long passo = std::max(1L, opcao(a, "--passo", 1));
    const long desde = opcao(a, "--desde", 1);
    Bancada b = prepara("falhas");
    if (!b.pronta) return 2;
    if (noServidor) return falhasNoServidor(b, limite, passo, desde);
    torture::instalaFalhaVfs();
    Placar placar;
    placar.porCaso = true;
    long pontos = 0, mudas = 0, semTexto = 0, seguintesFalharam = 0;
    long caso = 0;
    for (const auto tipo : {torture::Operacao::Escrita, torture::Operacao::Sincronia,
                            torture::Operacao::Leitura, torture::Operacao::DiscoCheio}) {
        // How many of these one posting makes, on the store as the session leaves it open.
        std::int64_t total = 0;
        {
            const fs::path d = b.raiz / "contagem";
            copia(b.demo, d);
            Sessao s(d.string());
            torture::armaFalha(tipo, 0);
            const Postagem p = posta(s, 1);
            total = torture::desarmaFalha();
            if (!p.ok) {
                std::printf("falhas: the counting posting failed: %s\n", p.textos.c_str());
                return 2;
            }
        }
        const std::int64_t ate = limite > 0 ? std::min<std::int64_t>(total, limite) : total;
        std::printf("%s: one posting makes %lld; failing each of the first %lld in turn\n",
                    torture::nomeDe(tipo), static_cast<long long>(total),
                    static_cast<long long>(ate));
        for (std::int64_t n = 1; n <= ate; ++n) {
            // A path of its own: the store may keep a tree's connection beyond the session.
            const fs::path d = b.raiz / ("caso" + std::to_string(++caso));
            copia(b.demo, d);
            const std::string onde = std::string(torture::nomeDe(tipo)) + " " + std::to_string(n);
            std::set<std::int64_t> reportados;
            {
                Sessao s(d.string());
                torture::armaFalha(tipo, n);
                const Postagem p = posta(s, 1);
                torture::desarmaFalha();
                if (!torture::falhaDada()) continue;
                ++pontos;
                if (p.ok) reportados.insert(p.al);
                if (p.ok && p.textos.empty()) {
                    // Harmless only when the books hold the transfer whole: the check below.
                    ++mudas;
                    std::printf("  %s: nothing said; the posting reports AL %d posted\n",
                                onde.c_str(), p.al);
                } else if (p.textos.find(textoDoMotor(tipo)) == std::string::npos) {
                    ++semTexto;
                    std::printf("  %s: failure shown without the engine's text \"%s\": \"%s\"\n",
                                onde.c_str(), textoDoMotor(tipo), p.textos.c_str());
                }
                placar.soma(torture::avalia(b.modelo, torture::le(d.string()), reportados, true),
                            onde);
                if (!postaDeNovo(s, onde, "the next posting failed too", reportados))
                    ++seguintesFalharam;
            }
            placar.soma(torture::avalia(b.modelo, torture::le(d.string()), reportados, true),
                        onde + ", then posted again");
            placar.confere(d.string(), onde);
            if (placar.rodadasComAchados == 0) fs::remove_all(d);
        }
    }
    std::printf("falhas: %ld failure points injected; %ld not surfaced, %ld without the engine's "
                "text, %ld next postings failed; %ld checks with findings, %ld of them with a "
                "transfer half there, %ld duplicates\n",
                pontos, mudas, semTexto, seguintesFalharam, placar.rodadasComAchados,
                placar.comMeios, placar.duplicados);
    const bool limpo =
        placar.rodadasComAchados == 0 && semTexto == 0 && seguintesFalharam == 0 && pontos > 0;
    if (limpo)
        fs::remove_all(b.raiz);
    else
        std::printf("data kept in %s\n", b.raiz.c_str());
    return limpo ? 0 : 1;
}

// A tmpfs of its own, unmounted when done.
struct Montagem {
    explicit Montagem(const fs::path& p, std::size_t bytes) : ponto(p) {
        fs::create_directories(p);
        const std::string opcoes = "size=" + std::to_string(bytes);
        if (::mount("tmpfs", p.c_str(), "tmpfs", 0, opcoes.c_str()) != 0) erro = errno;
    }
    ~Montagem() { desmonta(); }
    // Lazily: the store may still hold a file of the tree open.
    void desmonta() {
        if (!erro && !desmontada) ::umount2(ponto.c_str(), MNT_DETACH);
        desmontada = true;
    }
    Montagem(const Montagem&) = delete;
    Montagem& operator=(const Montagem&) = delete;
    fs::path ponto;
    int erro = 0;
    bool desmontada = false;
};

std::uintmax_t tamanho(const fs::path& p) {
    std::uintmax_t t = 0;
    for (const auto& e : fs::recursive_directory_iterator(p))
        if (e.is_regular_file()) t += e.file_size();
    return t;
}

// Fills the file system of |p| up to |livre| bytes free; answers the bytes it could not take.
void enche(const fs::path& arquivo, std::uintmax_t livre) {
    std::ofstream f(arquivo, std::ios::binary);
    const std::string bloco(4096, '\0');
    for (;;) {
        const auto s = fs::space(arquivo.parent_path());
        if (s.available <= livre) break;
        const auto n = std::min<std::uintmax_t>(bloco.size(), s.available - livre);
        f.write(bloco.data(), static_cast<std::streamsize>(n));
        f.flush();
        if (!f) break;
    }
}

// The exit status of 'disco' where no tmpfs can be mounted, so that a test can be skipped.
constexpr int NaoMontou = 77;

int disco(std::vector<std::string> a) {
    const long passo = opcao(a, "--passo", 8);
    const long ate = opcao(a, "--ate", 256);
    Bancada b = prepara("disco");
    if (!b.pronta) return 2;
    // Room for the data, its write-ahead logs and the filler's blocks.
    Montagem m(b.raiz / "tmpfs",
               static_cast<std::size_t>(tamanho(b.demo) * 3 + (ate + 1024) * 1024));
    if (m.erro) {
        std::printf("disco: a tmpfs cannot be mounted here (%s); the full disk is tried only "
                    "through the injected SQLITE_FULL of 'falhas'\n",
                    std::strerror(m.erro));
        fs::remove_all(b.raiz);
        return NaoMontou;
    }
    Placar placar;
    placar.porCaso = true;
    long casos = 0, cheios = 0, semTexto = 0, seguintesFalharam = 0;
    const std::string texto = sqlite3_errstr(SQLITE_FULL);
    for (long k = 0; k <= ate; k += passo) {
        const fs::path d = m.ponto / ("dados" + std::to_string(k));
        fs::remove_all(m.ponto / ("dados" + std::to_string(k - passo)));
        const fs::path enchimento = m.ponto / "enchimento";
        fs::remove(enchimento);
        copia(b.demo, d);
        const std::string onde = "disk full within " + std::to_string(k) + " KiB";
        std::set<std::int64_t> reportados;
        {
            Sessao s(d.string());
            enche(enchimento, static_cast<std::uintmax_t>(k) * 1024);
            ++casos;
            // Journals kept in place take no new space: post until the disk bites.
            Postagem p;
            for (int i = 0; i < 100; ++i) {
                p = posta(s, 1000 + 2 * i);
                if (!p.ok || !p.textos.empty()) break;
                reportados.insert(p.al);
            }
            if (p.ok) reportados.insert(p.al);
            if (!p.ok || !p.textos.empty()) {
                ++cheios;
                if (p.textos.find(texto) == std::string::npos) {
                    ++semTexto;
                    std::printf("  %s: failure shown without the engine's text \"%s\": \"%s\"\n",
                                onde.c_str(), texto.c_str(), p.textos.c_str());
                }
            }
            // The books are read with the space back: opening a store writes its logs.
            fs::remove(enchimento);
            placar.soma(torture::avalia(b.modelo, torture::le(d.string()), reportados, true), onde);
            if (!postaDeNovo(s, onde, "the posting after the space was freed failed", reportados))
                ++seguintesFalharam;
        }
        placar.soma(torture::avalia(b.modelo, torture::le(d.string()), reportados, true),
                    onde + ", then posted again");
    }
    std::printf("disco: %ld fillings of a tmpfs, %ld postings met the full disk, %ld of them "
                "without the engine's text, %ld next postings failed; %ld checks with "
                "findings, %ld of them with a transfer half there\n",
                casos, cheios, semTexto, seguintesFalharam, placar.rodadasComAchados,
                placar.comMeios);
    const bool limpo =
        placar.rodadasComAchados == 0 && semTexto == 0 && seguintesFalharam == 0 && cheios > 0;
    if (cheios == 0) std::printf("no posting met the full disk: the trial proved nothing\n");
    m.desmonta();
    if (limpo)
        fs::remove_all(b.raiz);
    else
        std::printf("data kept in %s (unmounted)\n", b.raiz.c_str());
    return limpo ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> a(argv + 1, argv + argc);
    if (a.empty() || a[0] == "--help" || a[0] == "-h") {
        std::fputs(Uso, a.empty() ? stderr : stdout);
        return a.empty() ? 2 : 0;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // the demo data draws its logos
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const std::string modo = a[0];
    a.erase(a.begin());
    try {
        if (modo == "filho" && a.size() == 3)
            return filho(a[0], static_cast<std::int32_t>(std::stol(a[1])), std::stol(a[2]));
        if (modo == "matar") return matar(a);
        if (modo == "estacoes") return estacoes(a);
        if (modo == "falhas") return falhas(a);
        if (modo == "disco") return disco(a);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-torture: %s\n", e.what());
        return 2;
    }
    std::fputs(Uso, stderr);
    return 2;
}
