#include "Spool.h"

#include "platform/System.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace cheque {

namespace {

bool comecaSemCaixa(std::string_view s, std::string_view prefixo) {
    if (s.size() < prefixo.size()) return false;
    for (std::size_t i = 0; i < prefixo.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(s[i])) != prefixo[i]) return false;
    return true;
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

bool ajustaSerial(const std::string& porta) {
    Destino d = resolvePorta(porta);
    if (d.tipo != Destino::Tipo::Dispositivo) return true;
    for (const auto& dev : d.candidatos) {
        int fd = ::open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        termios t{};
        bool ok = ::tcgetattr(fd, &t) == 0;
        if (ok) {
            ::cfsetispeed(&t, B9600);
            ::cfsetospeed(&t, B9600);
            t.c_cflag &= ~static_cast<tcflag_t>(PARENB | CSTOPB | CSIZE);
            t.c_cflag |= CS8 | CLOCAL | CREAD;
            ok = ::tcsetattr(fd, TCSANOW, &t) == 0;
        }
        ::close(fd);
        return ok;
    }
    return true; // no such device here: nothing to set
}

bool enviaAFila(const std::string& fila, const std::string& bytes) {
    // A private copy: the library may rewrite the print file as soon as we have read it.
    std::string modelo = platform::diretorioTemporario() + "/cheque-spool-XXXXXX";
    std::vector<char> nome(modelo.begin(), modelo.end());
    nome.push_back('\0');
    int fd = ::mkstemp(nome.data());
    if (fd < 0) return false;
    bool ok = escreveTudo(fd, bytes);
    ::close(fd);
    const std::string copia(nome.data());
    if (ok) ok = platform::executaEEspera("/usr/bin/lp", {"-d", fila, "-o", "raw", copia}) == 0;
    ::unlink(copia.c_str());
    return ok;
}

bool imprime(const std::string& porta, const std::string& bytes) {
    Destino d = resolvePorta(porta);
    switch (d.tipo) {
    case Destino::Tipo::Dispositivo:
        for (const auto& dev : d.candidatos) {
            if (!std::filesystem::exists(dev)) continue;
            int fd = ::open(dev.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
            if (fd < 0) return false;
            bool ok = escreveTudo(fd, bytes);
            return ::close(fd) == 0 && ok;
        }
        return false;
    case Destino::Tipo::Arquivo: {
        int fd = ::open(d.nome.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_CLOEXEC, 0600);
        if (fd < 0) return false;
        bool ok = escreveTudo(fd, bytes);
        return ::close(fd) == 0 && ok;
    }
    case Destino::Tipo::Fila:
        return enviaAFila(d.nome, bytes);
    }
    return false;
}

} // namespace

std::vector<ComandoLote> interpretaLote(std::string_view conteudo,
                                        std::string_view arquivoEsperado) {
    std::vector<ComandoLote> cmds;
    std::size_t pos = 0;
    while (pos < conteudo.size()) {
        std::size_t fim = conteudo.find('\n', pos);
        std::string_view l = conteudo.substr(
            pos, fim == std::string_view::npos ? std::string_view::npos : fim - pos);
        pos = fim == std::string_view::npos ? conteudo.size() : fim + 1;
        if (!l.empty() && l.back() == '\r') l.remove_suffix(1);

        // The mode line may carry a command directory before "MODE ".
        auto m = l.find("MODE ");
        if (m != std::string_view::npos) {
            std::string_view arg = l.substr(m + 5);
            cmds.push_back(
                {ComandoLote::Tipo::Modo, std::string(arg.substr(0, arg.find(':'))), {}});
        } else if (comecaSemCaixa(l, "PRINT /D:")) {
            std::string_view resto = l.substr(9);
            ComandoLote c{ComandoLote::Tipo::Imprime, {}, {}};
            std::string sufixo = " " + std::string(arquivoEsperado);
            if (!arquivoEsperado.empty() && resto.size() > sufixo.size() &&
                resto.substr(resto.size() - sufixo.size()) == sufixo) {
                c.porta = resto.substr(0, resto.size() - sufixo.size());
                c.arquivo = arquivoEsperado;
            } else {
                auto b = resto.rfind(' ');
                if (b == std::string_view::npos) continue;
                c.porta = resto.substr(0, b);
                c.arquivo = resto.substr(b + 1);
            }
            cmds.push_back(std::move(c));
        } else if (comecaSemCaixa(l, "TYPE ")) {
            std::string_view resto = l.substr(5);
            auto gt = resto.rfind(" >");
            if (gt == std::string_view::npos) continue;
            cmds.push_back({ComandoLote::Tipo::Imprime, std::string(resto.substr(gt + 2)),
                            std::string(resto.substr(0, gt))});
        } else if (comecaSemCaixa(l, "EXIT")) {
            cmds.push_back({ComandoLote::Tipo::Sair, {}, {}});
        }
    }
    return cmds;
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

std::map<std::string, std::string> lePendentes(const std::vector<ComandoLote>& comandos) {
    std::map<std::string, std::string> conteudos;
    for (const auto& c : comandos) {
        if (c.tipo != ComandoLote::Tipo::Imprime || conteudos.count(c.arquivo)) continue;
        std::ifstream in(c.arquivo, std::ios::binary);
        if (!in) continue;
        std::ostringstream ss;
        ss << in.rdbuf();
        conteudos[c.arquivo] = ss.str();
    }
    return conteudos;
}

bool executaLote(const std::vector<ComandoLote>& comandos,
                 const std::map<std::string, std::string>& conteudos) {
    bool ok = true;
    for (const auto& c : comandos) {
        switch (c.tipo) {
        case ComandoLote::Tipo::Modo:
            ajustaSerial(c.porta);
            break;
        case ComandoLote::Tipo::Imprime: {
            auto it = conteudos.find(c.arquivo);
            if (it == conteudos.end() || !imprime(c.porta, it->second)) ok = false;
            break;
        }
        case ComandoLote::Tipo::Sair:
            return ok;
        }
    }
    return ok;
}

} // namespace cheque
