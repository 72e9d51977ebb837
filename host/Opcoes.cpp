#include "Opcoes.h"

#include "base/BrFormat.h"
#include "base/Cp1252.h"
#include "base/Texto.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

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

bool cabeEm32(const std::optional<long long>& v) {
    return v && *v >= INT32_MIN && *v <= INT32_MAX;
}

PedidoSessao sessaoDe(const Opcoes& o) {
    return {o.valor("--script"), o.valor("--log")};
}

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

bool pedeAjuda(const std::string& arg) {
    return arg == "--help" || arg == "-h";
}

std::optional<Opcoes> leOpcoes(const std::vector<std::string>& args, std::size_t inicio,
                               const std::set<std::string>& comValor,
                               const std::set<std::string>& chaves, std::string& erro) {
    Opcoes o;
    for (std::size_t i = inicio; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (pedeAjuda(a)) {
            o.chaves.insert("--help");
        } else if (chaves.count(a)) {
            o.chaves.insert(a);
        } else if (comValor.count(a)) {
            if (i + 1 >= args.size()) {
                erro = "falta o valor de " + a;
                return std::nullopt;
            }
            o.valores[a] = args[++i];
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

std::string hojeIso() {
    const std::time_t agora = std::time(nullptr);
    const std::tm* t = std::localtime(&agora); // the main thread's only use
    char buf[16] = {};
    if (t) std::strftime(buf, sizeof buf, "%Y-%m-%d", t);
    return buf;
}

std::string leArquivo(const std::string& caminho, bool& ok) {
    std::ifstream f(base::caminhoUtf8(caminho), std::ios::binary);
    ok = f.is_open();
    if (!ok) return {};
    std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    ok = !f.bad();
    return s;
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

std::optional<ArgsCheque> leCheque(const std::vector<std::string>& args, int& saida) {
    std::string erro;
    auto o = leOpcoes(args, 2,
                      {"--porta", "--valor", "--banco", "--nome-banco", "--numero", "--data",
                       "--portador", "--cidade", "--verso", "--verso-arquivo", "--empresa",
                       "--script", "--log"},
                      {"--copia"}, erro);
    saida = SaidaUso;
    if (!o) return (uso(erro), std::nullopt);
    if (o->chaves.count("--help")) return (saida = ajuda(), std::nullopt);
    for (const char* req : {"--porta", "--valor", "--banco", "--nome-banco", "--numero", "--data",
                            "--portador", "--cidade"})
        if (!o->valores.count(req)) return (uso(std::string("falta ") + req), std::nullopt);
    if (o->valores.count("--verso") && o->valores.count("--verso-arquivo"))
        return (uso("--verso e --verso-arquivo não podem vir juntos"), std::nullopt);

    auto valor = decimal(o->valor("--valor"));
    auto banco = inteiro(o->valor("--banco"));
    auto numero = inteiro(o->valor("--numero"));
    auto data = dataIso(o->valor("--data"));
    if (!valor) return (uso("--valor inválido"), std::nullopt);
    if (!cabeEm32(banco)) return (uso("--banco inválido"), std::nullopt);
    if (!cabeEm32(numero)) return (uso("--numero inválido"), std::nullopt);
    if (!data) return (uso("--data inválida (AAAA-MM-DD)"), std::nullopt);

    std::string verso = base::utf8ParaCp1252(o->valor("--verso"));
    if (o->valores.count("--verso-arquivo")) {
        bool ok = false;
        // Bytes unchanged: CR and LF reach the library.
        verso = leArquivo(o->valor("--verso-arquivo"), ok);
        if (!ok) return (uso("não foi possível ler " + o->valor("--verso-arquivo")), std::nullopt);
    }

    ArgsCheque a;
    a.sessao = sessaoDe(*o);
    a.porta = buffer1024(base::utf8ParaCp1252(o->valor("--porta")));
    a.nomeBanco = TextoContado(base::utf8ParaCp1252(o->valor("--nome-banco")));
    a.portador = buffer1024(base::utf8ParaCp1252(o->valor("--portador")));
    a.cidade = buffer1024(base::utf8ParaCp1252(o->valor("--cidade")));
    a.verso = buffer1024(verso);
    a.empresa = textoCurto(base::utf8ParaCp1252(o->valor("--empresa")));
    a.valor = *valor;
    a.data = *data;
    a.banco = static_cast<std::int32_t>(*banco);
    a.numero = static_cast<std::int32_t>(*numero);
    a.copia = o->chaves.count("--copia") != 0;
    saida = 0;
    return a;
}

std::optional<ArgsTransferencia> leTransferencia(const std::vector<std::string>& args,
                                                 char separador, int& saida) {
    std::string erro;
    auto o = leOpcoes(args, 2,
                      {"--dados", "--empresa", "--valor", "--lanpag", "--chqpag", "--lanrec",
                       "--ref", "--controle", "--data", "--script", "--log"},
                      {"--contabil", "--sem-selecao"}, erro);
    saida = SaidaUso;
    if (!o) return (uso(erro), std::nullopt);
    if (o->chaves.count("--help")) return (saida = ajuda(), std::nullopt);
    if (!o->valores.count("--dados")) return (uso("falta --dados"), std::nullopt);
    if (!o->valores.count("--empresa")) return (uso("falta --empresa"), std::nullopt);
    auto empresa = inteiro(o->valor("--empresa"));
    if (!cabeEm32(empresa)) return (uso("--empresa inválida"), std::nullopt);
    auto valor = decimal(o->valor("--valor", "0"));
    if (!valor) return (uso("--valor inválido"), std::nullopt);
    auto data = dataIso(o->valores.count("--data") ? o->valor("--data") : hojeIso());
    if (!data) return (uso("--data inválida (AAAA-MM-DD)"), std::nullopt);
    // The library expects the data directory with its closing separator, as the host
    // application passes it; a directory typed without one is completed here.
    std::string dirDados = o->valor("--dados");
    if (!dirDados.empty() && dirDados.back() != '/' && dirDados.back() != separador)
        dirDados += separador;
    // Short texts hold 255 characters; a cut directory or table name would open another one.
    if (base::utf8ParaCp1252(dirDados).size() > 255)
        return (uso("--dados com mais de 255 caracteres"), std::nullopt);
    for (const char* curto : {"--lanpag", "--chqpag", "--lanrec"})
        if (base::utf8ParaCp1252(o->valor(curto)).size() > 255)
            return (uso(std::string(curto) + " com mais de 255 caracteres"), std::nullopt);

    ArgsTransferencia a;
    a.sessao = sessaoDe(*o);
    a.dirDados = dirDados;
    a.dados = textoCurto(base::utf8ParaCp1252(dirDados));
    a.lanPag = textoCurto(base::utf8ParaCp1252(o->valor("--lanpag", "TbLanPag.db")));
    a.chqPag = textoCurto(base::utf8ParaCp1252(o->valor("--chqpag", "TbChqPag.db")));
    a.lanRec = textoCurto(base::utf8ParaCp1252(o->valor("--lanrec", "TbLanRec.db")));
    a.ref = base::utf8ParaCp1252(o->valor("--ref"));
    a.controle = base::utf8ParaCp1252(o->valor("--controle"));
    a.empresa = static_cast<std::int32_t>(*empresa);
    a.contabil = o->chaves.count("--contabil") != 0;
    a.semSelecao = o->chaves.count("--sem-selecao") != 0;
    a.valor = *valor;
    a.data = *data;
    saida = 0;
    return a;
}

int abreSessao(const PedidoSessao& p, Registro& log, std::vector<Acao>& acoes) {
    if (!p.log.empty() && !log.abre(p.log)) {
        std::fprintf(stderr, "notera-host: não foi possível criar %s\n", p.log.c_str());
        return SaidaUso;
    }
    if (p.script.empty()) return 0;
    bool ok = false;
    std::string texto = leArquivo(p.script, ok);
    if (!ok) {
        std::fprintf(stderr, "notera-host: não foi possível ler %s\n", p.script.c_str());
        return SaidaUso;
    }
    RoteiroLido r = leRoteiro(texto);
    if (!r.erro.empty()) {
        log.escreve({{"event", "error"}, {"text", r.erro}});
        std::fprintf(stderr, "notera-host: %s\n", r.erro.c_str());
        return SaidaRoteiro;
    }
    acoes = std::move(r.acoes);
    return 0;
}

} // namespace host
