// notera-dados: creates data directories for the transfer library.
//   notera-dados criar DIR CODE... [--banco URI]  empty tables for the register and each company
//   notera-dados demo DIR [--banco URI]           a demo data directory with three companies
//   notera-dados copiar ORIGEM DESTINO [--substituir]  every table of a data tree into another
//   notera-dados verificar DIR       lists the inconsistencies of the books, read only
//   notera-dados importar|exportar SOURCE DEST [--substituir] [--pagina-de-codigo N]
//                                                              Paradox tables in and out

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
    // Notes come under their own heading and leave the exit status alone.
    if (!v.notas.empty()) std::printf("notas (não são inconsistências):\n");
    for (const auto& n : v.notas)
        std::printf("  %s: %s\n", n.tipo.c_str(), n.texto.c_str());
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
    const char* uso = "uso: notera-dados criar DIR [CODIGO...] [--banco URI]\n"
                      "     notera-dados demo DIR [--banco URI]\n"
                      "     notera-dados copiar ORIGEM DESTINO [--substituir]\n"
                      "     notera-dados verificar DIR\n"
                      "     notera-dados importar ORIGEM DESTINO [--substituir] [--pagina-de-codigo N]\n"
                      "     notera-dados exportar ORIGEM DESTINO [--substituir]\n";
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(uso, stdout);
        return 0;
    }
    if (!args.empty() && (args[0] == "importar" || args[0] == "exportar"))
        return paradox::comando(args);
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
        } else if (args.size() == 2 && args[0] == "verificar" && banco.empty() && !substituir) {
            return verificar(args[1]);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "notera-dados: %s\n", e.what());
        return 1;
    }
    std::fputs(uso, stderr);
    return 2;
}
