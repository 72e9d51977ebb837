#pragma once
// The tables of the data directory: the company register in the register directory and
// the company-level tables in each company directory, with their fields, keys and indexes.
//
// Field kinds are kept in the declared column types, chosen so that SQLite's affinity
// stores the intended class: INTEGER, TEXT, REAL, "MONEY REAL", "DATETIME TEXT",
// "IMAGE BLOB". The data sets read the kind back from them (db::Campo::tipo).

#include "Valor.h"

#include <string>
#include <vector>

namespace db {

struct CampoEsquema {
    std::string nome;
    Tipo tipo;
};

struct TabelaEsquema {
    std::string nome;
    std::vector<CampoEsquema> campos;
    std::vector<std::string> unicos;  // fields with a unique index (the table's key)
    std::vector<std::string> indices; // fields with a plain index (searched names)
};

enum class Nivel {
    Registro, // DirDados/Tabelas: TbEmp
    Empresa   // DirDados/Tabelas/NNN: everything a company keeps
};

const std::vector<TabelaEsquema>& esquema(Nivel nivel);

// Declared SQL type of a field kind.
std::string tipoSql(Tipo tipo);

// CREATE TABLE and CREATE INDEX statements of one table.
std::vector<std::string> comandosCriacao(const TabelaEsquema& tabela);

// Creates DIRETORIO/tabelas.sqlite with the tables of |nivel|, all empty. The directory
// must exist; an existing file is never touched (Erro).
void criaArquivo(const std::string& diretorio, Nivel nivel);

// DIRETORIO/tabelas.sqlite
std::string caminhoArquivo(const std::string& diretorio);

} // namespace db
