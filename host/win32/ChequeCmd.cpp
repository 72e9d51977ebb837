// notera-host cheque: calls fCheque_Morvane of Cheque.dll with the command line's values.

#include "Comum.h"

#include "base/Cp1252.h"

#include "cheque/cheque.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace host {

int comandoCheque(const std::vector<std::string>& args) {
    int saida = 0;
    auto a = leCheque(args, saida);
    if (!a) return saida;

    Sessao s;
    if (int r = preparaSessao(a->sessao, s); r != 0) return r;

    Biblioteca lib("Cheque.dll");
    auto fn = reinterpret_cast<decltype(&fCheque_Morvane)>(lib.simbolo("fCheque_Morvane"));
    auto fnErro = reinterpret_cast<decltype(&fCheque_Erro)>(lib.simbolo("fCheque_Erro"));
    if (!fn || !fnErro) {
        std::fprintf(stderr, "notera-host: Cheque.dll: %s\n",
                     lib.erro().empty() ? "sem fCheque_Morvane ou fCheque_Erro"
                                        : lib.erro().c_str());
        return 1;
    }

    std::vector<char> arquivo(1024, '\x7F');
    fn(arquivo.data(), a->porta.data(), a->valor, a->banco, a->nomeBanco.ptr(), a->numero, a->data,
       a->portador.data(), a->cidade.data(), a->copia ? 1 : 0, a->verso.data(), a->empresa.data());

    s.robo->conclui();
    const std::string msg = fnErro() ? fnErro() : "";
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
