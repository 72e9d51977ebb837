// notera-dados: creates data directories for the transfer library.
//   notera-dados criar DIR CODE...   empty tables for the register and each company
//   notera-dados demo DIR            a demo data directory with three companies
//   notera-dados verificar DIR       lists the inconsistencies of the books, read only
//   notera-dados importar|exportar SOURCE DEST [--substituir]   Paradox tables in and out

#include "Dados.h"
#include "Verificar.h"
#include "paradox/Transporte.h"

#include "db/Valor.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// 0: the books agree; 1: inconsistencies listed; 2: something could not be read.
int verificar(const std::string& dir) {
    dados::Verificacao v;
    try {
        v = dados::verifica(dir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-dados: %s\n", e.what());
        return 2;
    }
    for (const auto& a : v.achados)
        std::printf("%s: %s\n", a.tipo.c_str(), a.texto.c_str());
    for (const auto& i : v.ilegiveis)
        std::fprintf(stderr, "notera-dados: não foi possível ler %s\n", i.c_str());
    std::fflush(stdout);
    if (!v.ilegiveis.empty()) return 2;
    std::fprintf(stderr, "notera-dados: %zu inconsistência(s)\n", v.achados.size());
    return v.achados.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const char* uso = "uso: notera-dados criar DIR [CODIGO...]\n"
                      "     notera-dados demo DIR\n"
                      "     notera-dados verificar DIR\n"
                      "     notera-dados importar|exportar ORIGEM DESTINO [--substituir]\n";
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(uso, stdout);
        return 0;
    }
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
        if (args.size() == 2 && args[0] == "verificar") return verificar(args[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-dados: %s\n", e.what());
        return 1;
    }
    std::fputs(uso, stderr);
    return 2;
}
