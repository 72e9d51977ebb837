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
    int recusadas = 0;       // exported tables refused: a text their code page cannot hold
    long descartados = 0;    // values the store cannot hold, stored empty and listed
    bool recusado = false;   // nothing was written (rows in the destination, a foreign table
                             // under a system table's name)
};

// Each directory keeps, beside its tables, the code page each imported table came in when it
// was not 1252, so that the export gives it back in it.
constexpr const char* ArquivoDePaginas = "paginas-de-codigo.txt";

// Paradox tree ORIGEM (read only) into the store at DESTINO. Refuses, writing nothing,
// when a destination table already holds rows, unless |substituir|, which empties it
// first, or when a table named like a system table lacks that table's key field. Each table
// is written whole or not at all. |pagina| (non-zero) is the code page of every table.
Resumo importar(const std::string& origem, const std::string& destino, bool substituir,
                std::ostream& saida, std::ostream& erros, int pagina = 0);

// The store at ORIGEM as Paradox tables under DESTINO. Refuses, writing nothing, when a
// destination table file exists, unless |substituir|. A table with a text its code page
// cannot hold is refused, naming the field and the record; the others go on.
Resumo exportar(const std::string& origem, const std::string& destino, bool substituir,
                std::ostream& saida, std::ostream& erros);

// "importar ORIGEM DESTINO [--substituir] [--pagina-de-codigo N]" and "exportar ...": exit
// status 0 when every table went through, 1 when refused or failed (an exported table
// refused among them), 2 for a bad command line, 3 when some tables were skipped.
int comando(const std::vector<std::string>& args);

} // namespace paradox
