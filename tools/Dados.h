#pragma once
// What notera-dados makes: empty data directories and the demo data directory.

#include <string>
#include <vector>

namespace dados {

// DIR/Tabelas with TbEmp and DIR/Tabelas/NNN with every company table, for each code: in
// SQLite files, or, given a server's URI, in schemas on that server named by DIR/banco.conf
// (written here). Refuses (db::Erro) before creating anything when one of the directories
// already has tables or a code is not a positive 32-bit integer.
void criar(const std::string& dir, const std::vector<std::string>& codigos,
           const std::string& uri = {});

// A data directory with three companies, their catalogues, charts, periods and lots.
void demo(const std::string& dir, const std::string& uri = {});

// Copies every table of every directory of the data tree |origem| into |destino|, each kept
// where its own banco.conf says (SQLite without one), making the directories, schemas and
// tables the destination lacks. Row for row, every value as stored. Refuses, naming the
// table and writing nothing, when a destination table holds rows, unless |substituir|
// (its rows are replaced). On a server the whole copy is one transaction.
struct Copia {
    int diretorios = 0, tabelas = 0;
    long long linhas = 0;
};
Copia copiar(const std::string& origem, const std::string& destino, bool substituir);

// "DIR/Tabelas/NNN": the code with at least three digits.
std::string diretorioEmpresa(const std::string& dir, long codigo);

} // namespace dados
