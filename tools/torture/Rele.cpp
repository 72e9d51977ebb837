#include "Rele.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <list>
#include <map>
#include <stdexcept>
#include <vector>

namespace torture {

namespace fs = std::filesystem;

namespace {

constexpr const char* Soquete = ".s.PGSQL.5432";
// Startup-phase requests answered with one byte, after which a real startup packet follows.
constexpr std::uint32_t PedidoSsl = 80877103, PedidoGss = 80877104;

std::uint32_t inteiro(const std::string& b, std::size_t i) {
    const auto u = [&](std::size_t k) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(b[i + k]));
    };
    return (u(0) << 24) | (u(1) << 16) | (u(2) << 8) | u(3);
}

sockaddr_un endereco(const fs::path& dir) {
    sockaddr_un a{};
    a.sun_family = AF_UNIX;
    const std::string p = (dir / Soquete).string();
    if (p.size() >= sizeof a.sun_path) throw std::runtime_error("socket path too long: " + p);
    std::memcpy(a.sun_path, p.c_str(), p.size() + 1);
    return a;
}

void semBloqueio(int fd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// Writes what the socket takes now; false when the peer is gone.
bool escoa(int fd, std::string& pendente) {
    while (!pendente.empty()) {
        const ssize_t n = ::send(fd, pendente.data(), pendente.size(), MSG_NOSIGNAL);
        if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
        pendente.erase(0, static_cast<std::size_t>(n));
    }
    return true;
}

// Reads what is there into |b|; false at end of file or on error.
bool recebe(int fd, std::string& b) {
    char t[16384];
    for (;;) {
        const ssize_t n = ::recv(fd, t, sizeof t, 0);
        if (n > 0) {
            b.append(t, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
        if (n < 0 && errno == EINTR) continue;
        return false;
    }
}

} // namespace

struct Rele::Par {
    int cliente = -1, servidor = -1;
    bool iniciando = true; // before the startup packet
    std::string lido;      // from the client, not yet a whole message
    std::string paraServidor, paraCliente;
    std::map<std::string, std::string> comandos; // prepared statement -> text
    std::map<std::string, std::string> portais;  // portal -> prepared statement
    bool fechado = false;

    void fecha() {
        if (cliente >= 0) ::close(cliente);
        if (servidor >= 0) ::close(servidor);
        cliente = servidor = -1;
        fechado = true;
    }
};

Rele::Rele(const fs::path& diretorio, const fs::path& servidor) : servidor_(servidor) {
    fs::create_directories(diretorio);
    fs::remove(diretorio / Soquete);
    const sockaddr_un a = endereco(diretorio);
    escuta_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (escuta_ < 0 || ::bind(escuta_, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(escuta_, 64) != 0 || ::pipe2(acorda_, O_CLOEXEC) != 0) {
        erro_ = std::string("the relay cannot listen: ") + std::strerror(errno);
        return;
    }
    semBloqueio(escuta_);
    linha_ = std::thread([this] { roda(); });
}

Rele::~Rele() {
    if (linha_.joinable()) {
        const char c = 0;
        if (::write(acorda_[1], &c, 1) != 1) {
            // The loop also wakes on its own timeout.
        }
        linha_.join();
    }
    for (int fd : {escuta_, acorda_[0], acorda_[1]})
        if (fd >= 0) ::close(fd);
}

void Rele::arma(long n) {
    std::lock_guard<std::mutex> g(trava_);
    alvo_ = n;
    contados_ = 0;
    cortes_ = 0;
    conexoes_ = 0;
    cortado_.clear();
    textos_.clear();
}

std::vector<std::string> Rele::textos() const {
    std::lock_guard<std::mutex> g(trava_);
    return textos_;
}

std::string Rele::cortado() const {
    std::lock_guard<std::mutex> g(trava_);
    return cortado_;
}

void Rele::roda() {
    std::list<Par> pares;
    for (;;) {
        std::vector<pollfd> fds{{escuta_, POLLIN, 0}, {acorda_[0], POLLIN, 0}};
        for (auto& p : pares) {
            fds.push_back(
                {p.cliente, static_cast<short>(POLLIN | (p.paraCliente.empty() ? 0 : POLLOUT)), 0});
            fds.push_back({p.servidor,
                           static_cast<short>(POLLIN | (p.paraServidor.empty() ? 0 : POLLOUT)), 0});
        }
        if (::poll(fds.data(), fds.size(), 500) < 0 && errno != EINTR) return;
        if (fds[1].revents) break;
        // Pairs accepted below have no entry in this round's fds: they wait for the next.
        const std::size_t sondados = pares.size();
        if (fds[0].revents & POLLIN) {
            for (int c; (c = ::accept4(escuta_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;) {
                Par p;
                p.cliente = c;
                p.servidor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
                const sockaddr_un a = endereco(servidor_);
                if (p.servidor < 0 ||
                    ::connect(p.servidor, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
                    p.fecha();
                    continue;
                }
                semBloqueio(p.cliente);
                semBloqueio(p.servidor);
                ++conexoes_;
                pares.push_back(std::move(p));
            }
        }
        std::size_t i = 2;
        for (auto it = pares.begin(); i < 2 + 2 * sondados; ++it) {
            Par& p = *it;
            const short rc = fds[i++].revents, rs = fds[i++].revents;
            if (p.fechado) continue;
            bool vivo = true;
            if (rs & (POLLIN | POLLHUP | POLLERR)) vivo = recebe(p.servidor, p.paraCliente);
            if (rc & (POLLIN | POLLHUP | POLLERR)) {
                vivo = recebe(p.cliente, p.lido) && vivo;
                // Whole messages only: the cut falls before the server sees any of it.
                for (;;) {
                    if (p.iniciando) {
                        if (p.lido.size() < 8) break;
                        const std::uint32_t n = inteiro(p.lido, 0);
                        if (n < 8 || p.lido.size() < n) break;
                        const std::uint32_t codigo = inteiro(p.lido, 4);
                        if (codigo != PedidoSsl && codigo != PedidoGss) p.iniciando = false;
                        p.paraServidor.append(p.lido, 0, n);
                        p.lido.erase(0, n);
                        continue;
                    }
                    if (p.lido.size() < 5) break;
                    const std::size_t n = 1 + inteiro(p.lido, 1);
                    if (p.lido.size() < n) break;
                    const char tipo = p.lido[0];
                    // Bodies: name, then text (Parse) / portal, statement (Bind) / portal.
                    const std::string corpo = p.lido.substr(5, n - 5);
                    const std::string primeiro = corpo.c_str();
                    const std::string segundo = corpo.size() > primeiro.size() + 1
                                                    ? corpo.c_str() + primeiro.size() + 1
                                                    : std::string();
                    if (tipo == 'P') p.comandos[primeiro] = segundo;
                    if (tipo == 'B') p.portais[primeiro] = segundo;
                    bool corta = false;
                    if (tipo == 'Q' || tipo == 'E') {
                        std::lock_guard<std::mutex> g(trava_);
                        textos_.push_back(tipo == 'Q' ? primeiro : p.comandos[p.portais[primeiro]]);
                        if (++contados_ == alvo_) {
                            corta = true;
                            ++cortes_;
                            cortado_ = textos_.back();
                        }
                    }
                    if (corta) {
                        p.fecha();
                        break;
                    }
                    p.paraServidor.append(p.lido, 0, n);
                    p.lido.erase(0, n);
                }
            }
            if (p.fechado) continue;
            if (!escoa(p.servidor, p.paraServidor) || !escoa(p.cliente, p.paraCliente))
                vivo = false;
            if (!vivo) {
                // What one side said last still reaches the other, as far as it takes it now.
                escoa(p.cliente, p.paraCliente);
                escoa(p.servidor, p.paraServidor);
                p.fecha();
            }
        }
        pares.remove_if([](const Par& p) { return p.fechado; });
    }
    for (auto& p : pares)
        p.fecha();
}

} // namespace torture
