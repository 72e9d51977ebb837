#include "Comum.h"

#include "Script.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

#include "base/BrFormat.h"

namespace host {

namespace {

const char* const TextoUso =
    "uso: notera-host transferencia --dados DIR --empresa N [--contabil] [--valor 1500.00]\n"
    "         [--lanpag NAME] [--chqpag NAME] [--lanrec NAME] [--ref TEXT] [--controle TEXT]\n"
    "         [--data YYYY-MM-DD] [--sem-selecao] [--script FILE] [--log FILE]\n"
    "     notera-host cheque --porta PORT --valor 1234.50 --banco N --nome-banco TEXT\n"
    "         --numero N --data YYYY-MM-DD --portador TEXT --cidade TEXT [--copia]\n"
    "         [--verso TEXT | --verso-arquivo FILE] [--empresa TEXT]\n"
    "         [--script FILE] [--log FILE]\n";

} // namespace

int uso(const std::string& msg) {
    std::fprintf(stderr, "notera-host: %s\n", msg.c_str());
    std::fputs(TextoUso, stderr);
    return SaidaUso;
}

int ajuda() {
    std::fputs(TextoUso, stdout);
    return 0;
}

bool pedeAjuda(const char* arg) {
    return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0;
}

std::optional<Opcoes> leOpcoes(int argc, char** argv, int inicio,
                               const std::set<std::string>& comValor,
                               const std::set<std::string>& chaves, std::string& erro) {
    Opcoes o;
    for (int i = inicio; i < argc; ++i) {
        std::string a = argv[i];
        if (pedeAjuda(argv[i])) {
            o.chaves.insert("--help");
        } else if (chaves.count(a)) {
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
    if (!base::Data::valida(a, m, d)) return std::nullopt;
    return base::Data{a, m, d}.emDiasDelphi();
}

std::string leArquivo(const std::string& caminho, bool& ok) {
    QFile f(QString::fromStdString(caminho));
    ok = f.open(QIODevice::ReadOnly);
    return ok ? f.readAll().toStdString() : std::string();
}

Biblioteca::Biblioteca(const std::string& nome) {
    const std::string dir = (QCoreApplication::applicationDirPath() + "/../lib/").toStdString();
    h_ = ::dlopen((dir + nome).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h_) h_ = ::dlopen(nome.c_str(), RTLD_NOW | RTLD_LOCAL);
}

Biblioteca::~Biblioteca() {
    if (h_) ::dlclose(h_);
}

void* Biblioteca::simbolo(const char* nome) const {
    return h_ ? ::dlsym(h_, nome) : nullptr;
}

std::vector<char> buffer1024(const std::string& s) {
    std::vector<char> b(1024, '\0');
    std::memcpy(b.data(), s.data(), std::min<std::size_t>(s.size(), 1024));
    return b;
}

std::vector<unsigned char> textoCurto(const std::string& s) {
    std::size_t n = std::min<std::size_t>(s.size(), 255);
    std::vector<unsigned char> b(n + 1);
    b[0] = static_cast<unsigned char>(n);
    std::memcpy(b.data() + 1, s.data(), n);
    return b;
}

// 32-bit reference count, 32-bit length, the characters, a NUL.
TextoContado::TextoContado(const std::string& s) : mem_(8 + s.size() + 1, '\0') {
    std::int32_t ref = -1, n = static_cast<std::int32_t>(s.size());
    std::memcpy(mem_.data(), &ref, 4);
    std::memcpy(mem_.data() + 4, &n, 4);
    std::memcpy(mem_.data() + 8, s.data(), s.size());
}

int preparaSessao(const Opcoes& o, Sessao& s) {
    if (o.valores.count("--log") && !s.log.abre(QString::fromStdString(o.valor("--log")))) {
        std::fprintf(stderr, "notera-host: não foi possível criar %s\n", o.valor("--log").c_str());
        return SaidaUso;
    }
    std::vector<Acao> acoes;
    if (o.valores.count("--script")) {
        bool ok = false;
        std::string texto = leArquivo(o.valor("--script"), ok);
        if (!ok) {
            std::fprintf(stderr, "notera-host: não foi possível ler %s\n",
                         o.valor("--script").c_str());
            return SaidaUso;
        }
        RoteiroLido r =
            leRoteiro(QString::fromUtf8(texto.c_str(), static_cast<qsizetype>(texto.size())));
        if (!r.erro.isEmpty()) {
            s.log.escreve({{"event", "error"}, {"text", r.erro}});
            std::fprintf(stderr, "notera-host: %s\n", r.erro.toUtf8().constData());
            return SaidaRoteiro;
        }
        acoes = std::move(r.acoes);
        s.comRoteiro = true;
    }
    s.robo = std::make_unique<Robo>(std::move(acoes), s.log);
    // Without a script the user answers the dialogs; the robot only logs.
    if (s.comRoteiro) s.robo->instala();
    return 0;
}

} // namespace host
