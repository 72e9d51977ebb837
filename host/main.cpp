// notera-host: plays the host application of the two libraries, for demos and tests.

#include "Log.h"
#include "Robot.h"
#include "Script.h"
#include "platform/BrFormat.h"
#include "platform/Cp1252.h"

#include <QApplication>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int SaidaUso = 2;
constexpr int SaidaRoteiro = 3;

int uso(const std::string& msg) {
    std::fprintf(stderr, "notera-host: %s\n", msg.c_str());
    std::fprintf(stderr,
                 "uso: notera-host cheque --porta PORT --valor 1234.50 --banco N --nome-banco TEXT\n"
                 "         --numero N --data YYYY-MM-DD --portador TEXT --cidade TEXT [--copia]\n"
                 "         [--verso TEXT | --verso-arquivo FILE] [--empresa TEXT]\n"
                 "         [--script FILE] [--log FILE]\n");
    return SaidaUso;
}

struct Opcoes {
    std::map<std::string, std::string> valores;
    std::set<std::string> chaves;
};

// Parses "--name value" and "--flag" options; `flags` take no value.
std::optional<Opcoes> leOpcoes(int argc, char** argv, int inicio, const std::set<std::string>& comValor,
                               const std::set<std::string>& flags, std::string& erro) {
    Opcoes o;
    for (int i = inicio; i < argc; ++i) {
        std::string a = argv[i];
        if (flags.count(a)) {
            o.chaves.insert(a);
        } else if (comValor.count(a)) {
            if (i + 1 >= argc) {
                erro = "falta o valor de " + a;
                return std::nullopt;
            }
            o.valores[a] = argv[++i];
        } else {
            erro = "opção desconhecida: " + a;
            return std::nullopt;
        }
    }
    return o;
}

std::optional<long long> inteiro(const std::string& s) {
    if (s.empty()) return std::nullopt;
    char* fim = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &fim, 10);
    if (*fim || errno) return std::nullopt;
    return v;
}

std::optional<double> decimal(const std::string& s) {
    if (s.empty()) return std::nullopt;
    char* fim = nullptr;
    double v = std::strtod(s.c_str(), &fim);
    if (*fim) return std::nullopt;
    return v;
}

std::optional<double> dataIso(const std::string& s) {
    int a = 0, m = 0, d = 0;
    char resto = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2d%c", &a, &m, &d, &resto) != 3) return std::nullopt;
    if (!platform::Data::valida(a, m, d)) return std::nullopt;
    return platform::Data{a, m, d}.emDiasDelphi();
}

std::string leArquivo(const std::string& caminho, bool& ok) {
    QFile f(QString::fromStdString(caminho));
    ok = f.open(QIODevice::ReadOnly);
    return ok ? f.readAll().toStdString() : std::string();
}

std::string diretorioDasBibliotecas() {
    return (QCoreApplication::applicationDirPath() + "/../lib/").toStdString();
}

// A loaded library, closed when it goes out of scope.
struct Biblioteca {
    void* h = nullptr;
    explicit Biblioteca(const std::string& nome) {
        h = ::dlopen((diretorioDasBibliotecas() + nome).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!h) h = ::dlopen(nome.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    ~Biblioteca() {
        if (h) ::dlclose(h);
    }
    Biblioteca(const Biblioteca&) = delete;
    Biblioteca& operator=(const Biblioteca&) = delete;
    template <class F> F simbolo(const char* s) const {
        return h ? reinterpret_cast<F>(::dlsym(h, s)) : nullptr;
    }
};

// A 1024-character buffer of the library interface, cut to fit.
std::vector<char> buffer1024(const std::string& s) {
    std::vector<char> b(1024, '\0');
    std::memcpy(b.data(), s.data(), std::min<std::size_t>(s.size(), 1024));
    return b;
}

// The host's counted string: 32-bit reference count, 32-bit length, characters, NUL.
struct TextoContado {
    std::vector<char> mem;
    explicit TextoContado(const std::string& s) : mem(8 + s.size() + 1, '\0') {
        std::int32_t ref = -1, n = static_cast<std::int32_t>(s.size());
        std::memcpy(mem.data(), &ref, 4);
        std::memcpy(mem.data() + 4, &n, 4);
        std::memcpy(mem.data() + 8, s.data(), s.size());
    }
    const char* ptr() const { return mem.data() + 8; }
};

std::vector<unsigned char> textoCurto(const std::string& s) {
    std::size_t n = std::min<std::size_t>(s.size(), 255);
    std::vector<unsigned char> b(n + 1);
    b[0] = static_cast<unsigned char>(n);
    std::memcpy(b.data() + 1, s.data(), n);
    return b;
}

// Loads the script and opens the log; nullopt (after a message) when either fails.
struct Sessao {
    Registro log;
    std::unique_ptr<Robo> robo;
};

int preparaSessao(const Opcoes& o, Sessao& s) {
    if (auto it = o.valores.find("--log"); it != o.valores.end()) {
        if (!s.log.abre(QString::fromStdString(it->second))) {
            std::fprintf(stderr, "notera-host: não foi possível criar %s\n", it->second.c_str());
            return SaidaUso;
        }
    }
    std::vector<Acao> acoes;
    if (auto it = o.valores.find("--script"); it != o.valores.end()) {
        bool ok = false;
        std::string texto = leArquivo(it->second, ok);
        if (!ok) {
            std::fprintf(stderr, "notera-host: não foi possível ler %s\n", it->second.c_str());
            return SaidaUso;
        }
        RoteiroLido r = leRoteiro(QString::fromUtf8(texto.c_str(), static_cast<qsizetype>(texto.size())));
        if (!r.erro.isEmpty()) {
            s.log.escreve({{"event", "error"}, {"text", r.erro}});
            std::fprintf(stderr, "notera-host: %s\n", r.erro.toUtf8().constData());
            return SaidaRoteiro;
        }
        acoes = std::move(r.acoes);
    }
    s.robo = std::make_unique<Robo>(std::move(acoes), s.log);
    s.robo->instala();
    return 0;
}

using FnCheque = void (*)(char*, const char*, double, std::int32_t, const char*, std::int32_t,
                          double, const char*, const char*, std::uint8_t, const char*,
                          const unsigned char*);
using FnErro = const char* (*)();

int comandoCheque(int argc, char** argv) {
    std::string erro;
    auto o = leOpcoes(argc, argv, 2,
                      {"--porta", "--valor", "--banco", "--nome-banco", "--numero", "--data",
                       "--portador", "--cidade", "--verso", "--verso-arquivo", "--empresa",
                       "--script", "--log"},
                      {"--copia"}, erro);
    if (!o) return uso(erro);
    for (const char* req : {"--porta", "--valor", "--banco", "--nome-banco", "--numero", "--data",
                            "--portador", "--cidade"})
        if (!o->valores.count(req)) return uso(std::string("falta ") + req);
    if (o->valores.count("--verso") && o->valores.count("--verso-arquivo"))
        return uso("--verso e --verso-arquivo não podem vir juntos");

    auto valor = decimal(o->valores["--valor"]);
    auto banco = inteiro(o->valores["--banco"]);
    auto numero = inteiro(o->valores["--numero"]);
    auto data = dataIso(o->valores["--data"]);
    if (!valor) return uso("--valor inválido");
    if (!banco || *banco < INT32_MIN || *banco > INT32_MAX) return uso("--banco inválido");
    if (!numero || *numero < INT32_MIN || *numero > INT32_MAX) return uso("--numero inválido");
    if (!data) return uso("--data inválida (AAAA-MM-DD)");

    std::string verso = platform::utf8ParaCp1252(o->valores["--verso"]);
    if (auto it = o->valores.find("--verso-arquivo"); it != o->valores.end()) {
        bool ok = false;
        verso = leArquivo(it->second, ok); // bytes unchanged: CR and LF reach the library
        if (!ok) return uso("não foi possível ler " + it->second);
    }

    Sessao s;
    if (int r = preparaSessao(*o, s); r != 0) return r;

    Biblioteca lib("libCheque.so");
    auto fn = lib.simbolo<FnCheque>("fCheque_Morvane");
    auto fnErro = lib.simbolo<FnErro>("fCheque_Erro");
    if (!fn || !fnErro) {
        std::fprintf(stderr, "notera-host: libCheque.so: %s\n", ::dlerror());
        return 1;
    }

    std::vector<char> arquivo(1024, '\x7F');
    auto porta = buffer1024(platform::utf8ParaCp1252(o->valores["--porta"]));
    TextoContado nomeBanco(platform::utf8ParaCp1252(o->valores["--nome-banco"]));
    auto portador = buffer1024(platform::utf8ParaCp1252(o->valores["--portador"]));
    auto cidade = buffer1024(platform::utf8ParaCp1252(o->valores["--cidade"]));
    auto versoBuf = buffer1024(verso);
    auto empresa = textoCurto(platform::utf8ParaCp1252(o->valores["--empresa"]));

    fn(arquivo.data(), porta.data(), *valor, static_cast<std::int32_t>(*banco), nomeBanco.ptr(),
       static_cast<std::int32_t>(*numero), *data, portador.data(), cidade.data(),
       o->chaves.count("--copia") ? 1 : 0, versoBuf.data(), empresa.data());

    s.robo->conclui();
    const std::string msg = fnErro();
    int saida = 0;
    if (msg.empty()) {
        std::string caminho(arquivo.data(), ::strnlen(arquivo.data(), arquivo.size()));
        std::printf("%s\n", platform::cp1252ParaUtf8(caminho).c_str());
    } else {
        bool tudoNul = std::all_of(arquivo.begin(), arquivo.end(), [](char c) { return c == 0; });
        std::fprintf(stderr, "%s\n", platform::cp1252ParaUtf8(msg).c_str());
        if (!tudoNul) std::fprintf(stderr, "notera-host: Arquivo não ficou vazio após a falha\n");
        saida = 1;
    }
    std::fflush(stdout);
    if (s.robo->falhou()) return SaidaRoteiro;
    return saida;
}

// Unattended runs need no screen: fall back to the offscreen platform when there is none.
void escolhePlataforma() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* s = std::getenv(v); s && *s) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return uso("falta o comando");
    const std::string comando = argv[1];
    if (comando != "cheque") return uso("comando desconhecido: " + comando);
    escolhePlataforma();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("notera-host"));
    return comandoCheque(argc, argv);
}
