#include "Spool.h"

#include "platform/System.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace cheque {

namespace {

bool comecaSemCaixa(std::string_view s, std::string_view prefixo) {
    if (s.size() < prefixo.size()) return false;
    for (std::size_t i = 0; i < prefixo.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(s[i])) != prefixo[i]) return false;
    return true;
}

bool terminaCom(std::string_view s, std::string_view sufixo) {
    return s.size() >= sufixo.size() && s.substr(s.size() - sufixo.size()) == sufixo;
}

bool temControle(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
    return false;
}

// "COM1", "com1:" -> 1 for prefix "COM"; 0 when the text is not such a name.
int numeroDaPorta(std::string_view porta, std::string_view prefixo) {
    if (!comecaSemCaixa(porta, prefixo)) return 0;
    std::string_view resto = porta.substr(prefixo.size());
    if (!resto.empty() && resto.back() == ':') resto.remove_suffix(1);
    if (resto.empty() || resto.size() > 3) return 0;
    int n = 0;
    for (char c : resto) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

bool escreveTudo(int fd, const std::string& bytes) {
    const char* p = bytes.data();
    std::size_t resto = bytes.size();
    while (resto > 0) {
        ssize_t n = ::write(fd, p, resto);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        resto -= static_cast<std::size_t>(n);
    }
    return true;
}

int msAte(std::chrono::steady_clock::time_point limite) {
    auto falta = std::chrono::duration_cast<std::chrono::milliseconds>(
        limite - std::chrono::steady_clock::now());
    return falta.count() <= 0 ? 0 : static_cast<int>(std::min<long long>(falta.count(), 1000));
}

enum class Escrita { Feita, Falhou, Esgotada };

// The descriptor is non-blocking: a port that stops taking bytes is waited for only until
// the deadline.
Escrita escreveAte(int fd, const std::string& bytes, std::chrono::steady_clock::time_point limite) {
    const char* p = bytes.data();
    std::size_t resto = bytes.size();
    while (resto > 0) {
        ssize_t n = ::write(fd, p, resto);
        if (n > 0) {
            p += n;
            resto -= static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return Escrita::Falhou;
        const int ms = msAte(limite);
        if (ms == 0) return Escrita::Esgotada;
        pollfd pf{fd, POLLOUT, 0};
        if (::poll(&pf, 1, ms) < 0 && errno != EINTR) return Escrita::Falhou;
        if (pf.revents & (POLLERR | POLLNVAL)) return Escrita::Falhou;
    }
    return Escrita::Feita;
}

// Opens without blocking. A FIFO without a reader yet is tried again until the deadline;
// -1 with errno ETIMEDOUT when none came.
int abrePorta(const std::string& caminho, int flags, std::chrono::steady_clock::time_point limite) {
    for (;;) {
        int fd = ::open(caminho.c_str(), flags | O_NONBLOCK, 0600);
        if (fd >= 0 || errno != ENXIO) return fd;
        struct stat st {};
        if (::stat(caminho.c_str(), &st) != 0 || !S_ISFIFO(st.st_mode)) {
            errno = ENXIO;
            return -1;
        }
        if (msAte(limite) == 0) {
            errno = ETIMEDOUT;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void ajustaSerial(const std::string& porta) {
    Destino d = resolvePorta(porta);
    if (d.tipo != Destino::Tipo::Dispositivo) return;
    for (const auto& dev : d.candidatos) {
        int fd = ::open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        termios t{};
        if (::tcgetattr(fd, &t) == 0) {
            ::cfsetispeed(&t, B9600);
            ::cfsetospeed(&t, B9600);
            t.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE);
            t.c_cflag |= CS8 | CLOCAL | CREAD;
            ::tcsetattr(fd, TCSANOW, &t);
        }
        ::close(fd);
        return;
    }
}

std::string naPorta(const std::string& porta, const std::string& motivo) {
    return "porta " + porta + ": " + motivo;
}

std::string enviaAFila(const std::string& fila, const std::string& bytes) {
    const char* lp = "/usr/bin/lp";
    if (::access(lp, X_OK) != 0) return "fila " + fila + ": " + lp + " n\xE3o encontrado";
    // A private copy: the library may rewrite the print file as soon as we have accepted.
    std::string modelo = platform::diretorioTemporario() + "/cheque-spool-XXXXXX";
    std::vector<char> nome(modelo.begin(), modelo.end());
    nome.push_back('\0');
    int fd = ::mkstemp(nome.data());
    if (fd < 0) return "fila " + fila + ": " + std::strerror(errno);
    bool ok = escreveTudo(fd, bytes);
    ::close(fd);
    const std::string copia(nome.data());
    int r = ok ? platform::executaEEspera(lp, {"-d", fila, "-o", "raw", copia}) : -2;
    ::unlink(copia.c_str());
    if (r == -2) return "fila " + fila + ": c\xF3pia tempor\xE1ria n\xE3o gravada";
    if (r != 0) return "fila " + fila + ": lp recusou o trabalho (" + std::to_string(r) + ")";
    return {};
}

} // namespace

Lote interpretaLote(std::string_view conteudo, std::string_view arquivoEsperado) {
    std::vector<std::string_view> linhas;
    std::size_t pos = 0;
    while (pos < conteudo.size()) {
        std::size_t fim = conteudo.find("\r\n", pos);
        if (fim == std::string_view::npos) return {{}, "lote sem CR LF no fim da linha"};
        linhas.push_back(conteudo.substr(pos, fim - pos));
        pos = fim + 2;
    }
    auto recusa = [](std::size_t n, const char* porque) {
        return Lote{{}, "lote recusado, linha " + std::to_string(n) + ": " + porque};
    };
    if (linhas.size() != 3) return {{}, "lote recusado: esperadas 3 linhas"};
    if (arquivoEsperado.empty()) return {{}, "lote recusado: sem arquivo de impress\xE3o"};

    // 1: the mode line, alone or after the command directory.
    constexpr std::string_view Modo = "MODE COM1:9600,N,8,1";
    std::string_view l1 = linhas[0];
    if (!terminaCom(l1, Modo) || temControle(l1)) return recusa(1, "esperado MODE");
    std::string_view dir = l1.substr(0, l1.size() - Modo.size());
    if (!dir.empty() && dir.back() != '\\') return recusa(1, "esperado MODE");

    // 2: the print line for this job's own print file.
    ComandoLote imprime{ComandoLote::Tipo::Imprime, {}, std::string(arquivoEsperado)};
    std::string_view l2 = linhas[1];
    const std::string sufixo = " " + std::string(arquivoEsperado);
    const std::string prefixoTipo = "TYPE " + std::string(arquivoEsperado) + " >";
    if (comecaSemCaixa(l2, "PRINT /D:") && terminaCom(l2, sufixo))
        imprime.porta = l2.substr(9, l2.size() - 9 - sufixo.size());
    else if (l2.substr(0, std::min(l2.size(), prefixoTipo.size())) == prefixoTipo)
        imprime.porta = l2.substr(prefixoTipo.size());
    else
        return recusa(2, "esperado PRINT ou TYPE do arquivo do trabalho");
    if (imprime.porta.empty() || temControle(imprime.porta)) return recusa(2, "porta inv\xE1lida");

    // 3: EXIT.
    if (!comecaSemCaixa(linhas[2], "EXIT") || linhas[2].size() != 4)
        return recusa(3, "esperado EXIT");

    return {{{ComandoLote::Tipo::Modo, "COM1", {}}, std::move(imprime), {}}, {}};
}

Destino resolvePorta(std::string_view porta) {
    Destino d;
    if (int n = numeroDaPorta(porta, "COM"); n > 0) {
        d.tipo = Destino::Tipo::Dispositivo;
        d.candidatos = {"/dev/ttyS" + std::to_string(n - 1)};
    } else if (int n = numeroDaPorta(porta, "LPT"); n > 0) {
        d.tipo = Destino::Tipo::Dispositivo;
        d.candidatos = {"/dev/usb/lp" + std::to_string(n - 1), "/dev/lp" + std::to_string(n - 1)};
    } else if (!porta.empty() && porta.front() == '/') {
        d.tipo = Destino::Tipo::Arquivo;
        d.nome = porta;
    } else {
        d.tipo = Destino::Tipo::Fila;
        d.nome = porta;
    }
    return d;
}

std::string lePendentes(const std::vector<ComandoLote>& comandos,
                        std::map<std::string, std::string>& conteudos) {
    for (const auto& c : comandos) {
        if (c.tipo != ComandoLote::Tipo::Imprime || conteudos.count(c.arquivo)) continue;
        int fd = ::open(c.arquivo.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return c.arquivo + ": " + std::strerror(errno);
        std::string s;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
            if (n > 0) s.append(buf, static_cast<std::size_t>(n));
        int erro = n < 0 ? errno : 0;
        ::close(fd);
        if (erro) return c.arquivo + ": " + std::strerror(erro);
        conteudos[c.arquivo] = std::move(s);
    }
    return {};
}

int prazoEmSegundos(const char* texto) {
    constexpr int Padrao = 30;
    if (!texto || !*texto) return Padrao;
    int n = 0;
    for (const char* p = texto; *p; ++p) {
        if (*p < '0' || *p > '9') return Padrao;
        n = n * 10 + (*p - '0');
        if (n > 3600) return Padrao;
    }
    return n >= 1 ? n : Padrao;
}

std::string semResposta(const std::string& porta, int segundos) {
    return "a impressora n\xE3o respondeu em " + std::to_string(segundos) + " s (" + porta + ")";
}

Entrega::Entrega(int segundos)
    : segundos_(segundos),
      limite_(std::chrono::steady_clock::now() + std::chrono::seconds(segundos)) {}

std::string Entrega::semResposta() const {
    return cheque::semResposta(porta_, segundos_);
}

Entrega::~Entrega() {
    if (fd_ >= 0) ::close(fd_);
}

Entrega::Entrega(Entrega&& o) noexcept
    : fd_(std::exchange(o.fd_, -1)), bytes_(std::move(o.bytes_)), porta_(std::move(o.porta_)),
      segundos_(o.segundos_), limite_(o.limite_) {}

std::string Entrega::prepara(const std::vector<ComandoLote>& comandos,
                             const std::map<std::string, std::string>& conteudos) {
    for (const auto& c : comandos) {
        if (c.tipo == ComandoLote::Tipo::Modo) ajustaSerial(c.porta);
        if (c.tipo != ComandoLote::Tipo::Imprime) continue;
        auto it = conteudos.find(c.arquivo);
        if (it == conteudos.end()) return c.arquivo + ": n\xE3o lido";
        Destino d = resolvePorta(c.porta);
        switch (d.tipo) {
        case Destino::Tipo::Dispositivo: {
            std::string achado;
            for (const auto& dev : d.candidatos)
                if (std::filesystem::exists(dev)) {
                    achado = dev;
                    break;
                }
            if (achado.empty()) return naPorta(c.porta, d.candidatos.front() + " n\xE3o existe");
            fd_ = abrePorta(achado, O_WRONLY | O_NOCTTY | O_CLOEXEC, limite_);
            if (fd_ < 0 && errno == ETIMEDOUT) return cheque::semResposta(c.porta, segundos_);
            if (fd_ < 0) return naPorta(c.porta, achado + ": " + std::strerror(errno));
            break;
        }
        case Destino::Tipo::Arquivo:
            fd_ = abrePorta(d.nome, O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_CLOEXEC, limite_);
            if (fd_ < 0 && errno == ETIMEDOUT) return cheque::semResposta(c.porta, segundos_);
            if (fd_ < 0) return naPorta(c.porta, std::strerror(errno));
            break;
        case Destino::Tipo::Fila:
            if (std::string e = enviaAFila(d.nome, it->second); !e.empty()) return e;
            continue;
        }
        bytes_ = it->second;
        porta_ = c.porta;
        return {}; // the library writes one print line per batch
    }
    return {};
}

std::string Entrega::conclui() {
    if (fd_ < 0) return {};
    const Escrita e = escreveAte(fd_, bytes_, limite_);
    const bool fechou = ::close(fd_) == 0;
    fd_ = -1;
    if (e == Escrita::Esgotada) return semResposta();
    return e == Escrita::Feita && fechou ? std::string()
                                         : naPorta(porta_, "falha ao enviar os bytes");
}

} // namespace cheque
