// notera-dados: creates data directories for the transfer library.
//   notera-dados criar DIR CODE...   empty tables for the register and each company
//   notera-dados demo DIR            a demo data directory with three companies
//   notera-dados importar|exportar SOURCE DEST [--substituir]   Paradox tables in and out

#include "Dados.h"
#include "paradox/Transporte.h"

#include "db/Valor.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const char* uso = "uso: notera-dados criar DIR [CODIGO...]\n"
                      "     notera-dados demo DIR\n"
                      "     notera-dados importar|exportar ORIGEM DESTINO [--substituir]\n";
    if (!args.empty() && (args[0] == "importar" || args[0] == "exportar"))
        return paradox::comando(args);
    try {
        if (args.size() >= 2 && args[0] == "criar") {
            dados::criar(args[1], {args.begin() + 2, args.end()});
            return 0;
        }
        if (args.size() == 2 && args[0] == "demo") {
            dados::demo(args[1]);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-dados: %s\n", e.what());
        return 1;
    }
    std::fputs(uso, stderr);
    return 2;
}
