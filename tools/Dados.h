#pragma once
// What notera-dados makes: empty data directories and the demo data directory.

#include <string>
#include <vector>

namespace dados {

// DIR/Tabelas/tabelas.sqlite with TbEmp and DIR/Tabelas/NNN/tabelas.sqlite with every
// company table, for each code. Refuses (db::Erro) before creating anything when one of
// the files exists or a code is not a positive 32-bit integer.
void criar(const std::string& dir, const std::vector<std::string>& codigos);

// A data directory with three companies, their catalogues, charts, periods and lots.
void demo(const std::string& dir);

// "DIR/Tabelas/NNN": the code with at least three digits.
std::string diretorioEmpresa(const std::string& dir, long codigo);

} // namespace dados
