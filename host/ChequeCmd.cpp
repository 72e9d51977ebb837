// notera-host cheque: calls fCheque_Morvane with the command line's values.

#include "Comum.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace host {

namespace {

using FnCheque = void (*)(char*, const char*, double, std::int32_t, const char*, std::int32_t,
                          double, const char*, const char*, std::uint8_t, const char*,
                          const unsigned char*);
using FnErro = const char* (*)();

bool cabeEm32(const std::optional<long long>& v) {
    return v && *v >= INT32_MIN && *v <= INT32_MAX;
}

} // namespace

int comandoCheque(int argc, char** argv) {
    std::string erro;
    auto o = leOpcoes(argc, argv, 2,
                      {"--porta", "--valor", "--banco", "--nome-banco", "--numero", "--data",
                       "--portador", "--cidade", "--verso", "--verso-arquivo", "--empresa",
                       "--script", "--log"},
                      {"--copia"}, erro);
    if (!o) return uso(erro);
    if (o->chaves.count("--help")) return ajuda();
    for (const char* req : {"--porta", "--valor", "--banco", "--nome-banco", "--numero", "--data",
                            "--portador", "--cidade"})
        if (!o->valores.count(req)) return uso(std::string("falta ") + req);
    if (o->valores.count("--verso") && o->valores.count("--verso-arquivo"))
        return uso("--verso e --verso-arquivo não podem vir juntos");

    auto valor = decimal(o->valor("--valor"));
    auto banco = inteiro(o->valor("--banco"));
    auto numero = inteiro(o->valor("--numero"));
    auto data = dataIso(o->valor("--data"));
    if (!valor) return uso("--valor inválido");
    if (!cabeEm32(banco)) return uso("--banco inválido");
    if (!cabeEm32(numero)) return uso("--numero inválido");
    if (!data) return uso("--data inválida (AAAA-MM-DD)");

    std::string verso = base::utf8ParaCp1252(o->valor("--verso"));
    if (o->valores.count("--verso-arquivo")) {
        bool ok = false;
        verso = leArquivo(o->valor("--verso-arquivo"),
                          ok); // bytes unchanged: CR and LF reach the library
        if (!ok) return uso("não foi possível ler " + o->valor("--verso-arquivo"));
    }

    Sessao s;
    if (int r = preparaSessao(*o, s); r != 0) return r;

    Biblioteca lib("libCheque.so");
    auto fn = reinterpret_cast<FnCheque>(lib.simbolo("fCheque_Morvane"));
    auto fnErro = reinterpret_cast<FnErro>(lib.simbolo("fCheque_Erro"));
    if (!fn || !fnErro) {
        std::fprintf(stderr, "notera-host: libCheque.so: %s\n", ::dlerror());
        return 1;
    }

    std::vector<char> arquivo(1024, '\x7F');
    auto porta = buffer1024(base::utf8ParaCp1252(o->valor("--porta")));
    TextoContado nomeBanco(base::utf8ParaCp1252(o->valor("--nome-banco")));
    auto portador = buffer1024(base::utf8ParaCp1252(o->valor("--portador")));
    auto cidade = buffer1024(base::utf8ParaCp1252(o->valor("--cidade")));
    auto versoBuf = buffer1024(verso);
    auto empresa = textoCurto(base::utf8ParaCp1252(o->valor("--empresa")));

    fn(arquivo.data(), porta.data(), *valor, static_cast<std::int32_t>(*banco), nomeBanco.ptr(),
       static_cast<std::int32_t>(*numero), *data, portador.data(), cidade.data(),
       o->chaves.count("--copia") ? 1 : 0, versoBuf.data(), empresa.data());

    s.robo->conclui();
    const std::string msg = fnErro();
    int saida = 0;
    if (msg.empty()) {
        std::string caminho(arquivo.data(), ::strnlen(arquivo.data(), arquivo.size()));
        std::printf("%s\n", base::cp1252ParaUtf8(caminho).c_str());
    } else {
        bool tudoNul = std::all_of(arquivo.begin(), arquivo.end(), [](char c) { return c == 0; });
        std::fprintf(stderr, "%s\n", base::cp1252ParaUtf8(msg).c_str());
        if (!tudoNul) std::fprintf(stderr, "notera-host: Arquivo não ficou vazio após a falha\n");
        saida = 1;
    }
    std::fflush(stdout);
    return s.robo->falhou() ? SaidaRoteiro : saida;
}

} // namespace host
