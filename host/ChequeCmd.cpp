// notera-host cheque: calls fCheque_Morvane with the command line's values.

#include "Comum.h"

#include "base/Cp1252.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace host {

namespace {

using FnCheque = void (*)(char*, const char*, double, std::int32_t, const char*, std::int32_t,
                          double, const char*, const char*, std::uint8_t, const char*,
                          const unsigned char*);
using FnErro = const char* (*)();

} // namespace

int comandoCheque(const std::vector<std::string>& args) {
    int saida = 0;
    auto a = leCheque(args, saida);
    if (!a) return saida;

    Sessao s;
    if (int r = preparaSessao(a->sessao, s); r != 0) return r;

    Biblioteca lib("libCheque.so");
    auto fn = reinterpret_cast<FnCheque>(lib.simbolo("fCheque_Morvane"));
    auto fnErro = reinterpret_cast<FnErro>(lib.simbolo("fCheque_Erro"));
    if (!fn || !fnErro) {
        std::fprintf(stderr, "notera-host: libCheque.so: %s\n", ::dlerror());
        return 1;
    }

    std::vector<char> arquivo(1024, '\x7F');
    fn(arquivo.data(), a->porta.data(), a->valor, a->banco, a->nomeBanco.ptr(), a->numero, a->data,
       a->portador.data(), a->cidade.data(), a->copia ? 1 : 0, a->verso.data(), a->empresa.data());

    s.robo->conclui();
    const std::string msg = fnErro();
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
