#pragma once
// Query text handling inside the store: the rewrite of what SQLite lacks and the
// recognition of single-table queries, which the data sets read through indexes.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db::sql {

// EXTRACT(YEAR|MONTH|DAY|HOUR|MINUTE|SECOND FROM x) becomes an integer strftime of x.
std::string reescreve(std::string_view texto);
// For PostgreSQL, which has EXTRACT: its result made an integer, as SQLite's is.
std::string reescrevePostgres(std::string_view texto);

// ":NAME" and "@name" parameters numbered "$1", "$2"... in order of first use; |nomes|
// receives each name with its marker. "::" casts, quotes and comments are left alone.
std::string numeraParametros(std::string_view texto, std::vector<std::string>& nomes);

// "SELECT list FROM table [WHERE condition]" with no join, grouping, aggregate, order or
// limit: the data set then reads it as a window over the table.
struct FormaSimples {
    std::string lista;
    std::string tabela;   // unquoted
    std::string condicao; // empty when none
};
std::optional<FormaSimples> formaSimples(std::string_view texto);

// "name" with inner quotes doubled.
std::string aspas(std::string_view nome);
// Lower-case ASCII copy, for matching names without regard to case.
std::string minusculas(std::string_view s);
bool mesmoNome(std::string_view a, std::string_view b);
// Table name with a ".db" ending (any case) removed.
std::string semSufixoDb(std::string_view nome);

} // namespace db::sql
