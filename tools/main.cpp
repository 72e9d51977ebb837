// notera-dados: creates data directories for the transfer library.
//   notera-dados criar DIR CODE... [--banco URI]  empty tables for the register and each company
//   notera-dados demo DIR [--banco URI]           a demo data directory with three companies
//   notera-dados copiar ORIGEM DESTINO [--substituir]  every table of a data tree into another

#include "Dados.h"

#include "db/Valor.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const char* uso = "uso: notera-dados criar DIR [CODIGO...] [--banco URI]\n"
                      "     notera-dados demo DIR [--banco URI]\n"
                      "     notera-dados copiar ORIGEM DESTINO [--substituir]\n";
    // --banco URI: the tables go to that PostgreSQL server (DIR/banco.conf names it).
    std::string banco;
    bool substituir = false, opcaoRuim = false;
    for (std::size_t i = 0; i < args.size();) {
        if (args[i] == "--banco" && i + 1 < args.size() && banco.empty()) {
            banco = args[i + 1];
            args.erase(args.begin() + static_cast<long>(i),
                       args.begin() + static_cast<long>(i) + 2);
        } else if (args[i] == "--substituir") {
            substituir = true;
            args.erase(args.begin() + static_cast<long>(i));
        } else {
            opcaoRuim = opcaoRuim || args[i].rfind("--", 0) == 0;
            ++i;
        }
    }
    try {
        if (opcaoRuim) {
        } else if (args.size() >= 2 && args[0] == "criar" && !substituir) {
            dados::criar(args[1], {args.begin() + 2, args.end()}, banco);
            return 0;
        } else if (args.size() == 2 && args[0] == "demo" && !substituir) {
            dados::demo(args[1], banco);
            return 0;
        } else if (args.size() == 3 && args[0] == "copiar" && banco.empty()) {
            auto c = dados::copiar(args[1], args[2], substituir);
            std::printf("%d diretórios, %d tabelas, %lld registros copiados\n", c.diretorios,
                        c.tabelas, c.linhas);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-dados: %s\n", e.what());
        return 1;
    }
    std::fputs(uso, stderr);
    return 2;
}
