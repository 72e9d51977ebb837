#pragma once
// Bringing a group's Paradox books into the store and taking them back out.
//
// A data tree is the register directory "Tabelas" (any case) under the data directory and
// one directory per company below it, named by its code. Both commands print a line per
// table with its row count and a summary; a table that cannot be read or written is named
// with the reason and skipped, the others go on.

#include <iosfwd>
#include <string>
#include <vector>

namespace paradox {

struct Resumo {
    int tabelas = 0;         // tables written
    long long registros = 0; // rows written
    int ignoradas = 0;       // tables skipped, each named with its reason
    bool recusado = false;   // destination tables hold rows: nothing was written
};

// Paradox tree ORIGEM (read only) into the store at DESTINO. Refuses, writing nothing,
// when a destination table already holds rows, unless |substituir|, which empties it
// first. Each table is written whole or not at all.
Resumo importar(const std::string& origem, const std::string& destino, bool substituir,
                std::ostream& saida, std::ostream& erros);

// The store at ORIGEM as Paradox tables under DESTINO. Refuses, writing nothing, when a
// destination table file exists, unless |substituir|.
Resumo exportar(const std::string& origem, const std::string& destino, bool substituir,
                std::ostream& saida, std::ostream& erros);

// "importar ORIGEM DESTINO [--substituir]" and "exportar ...": exit status 0 when every
// table went through, 1 when refused or failed, 2 for a bad command line, 3 when some
// tables were skipped.
int comando(const std::vector<std::string>& args);

} // namespace paradox
