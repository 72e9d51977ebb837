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
    bool soData = false; // a date-time that is always a whole day (DATE on a server)
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
void criaArquivo(const std::string& diretorio, const std::vector<TabelaEsquema>& tabelas);

// Creates the tables of a directory where its tree keeps them: its SQLite file, or, when
// the tree has banco.conf, its schema on the server (made when missing). Nothing existing
// is touched: an existing file or table is an error, and nothing is created then.
void criaTabelas(const std::string& diretorio, Nivel nivel);
void criaTabelas(const std::string& diretorio, const std::vector<TabelaEsquema>& tabelas);

// Server column type of a field kind: money NUMERIC(19,4), date-times TIMESTAMP (DATE for
// whole days), images BYTEA, texts TEXT in byte order, integers INTEGER.
std::string tipoServidor(Tipo tipo, bool soData);
// CREATE TABLE and CREATE INDEX statements of one table in a server schema; names in lower
// case, with the store's row identity column.
std::vector<std::string> comandosCriacaoServidor(const TabelaEsquema& tabela,
                                                 const std::string& esquema);

// Adds tables to a directory that already keeps some (its file or its schema).
void acrescentaTabelas(const std::string& diretorio, const std::vector<TabelaEsquema>& tabelas);

// Whether a directory keeps tables (its file exists; its schema holds a table).
bool existemTabelas(const std::string& diretorio);
// The tables a directory keeps, by their stored names.
std::vector<std::string> tabelasDe(const std::string& diretorio);
// Directories of the data tree |dados| that keep tables, relative to it ("Tabelas/001").
std::vector<std::string> diretoriosDe(const std::string& dados);

// The known layout of a table by name (either level), or null.
const TabelaEsquema* tabelaConhecida(const std::string& nome);

// DIRETORIO/tabelas.sqlite
std::string caminhoArquivo(const std::string& diretorio);

} // namespace db
