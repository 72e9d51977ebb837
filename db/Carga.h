#pragma once
// Bulk reading and writing of whole tables, for the tools that bring books in and take
// them out: the tables a directory holds, tables and fields made on demand, and a load
// that writes many rows of one directory as one transaction (all or nothing). Works on
// either store of a tree (SQLite or the server of banco.conf), through the store's seam.

#include "Conjunto.h"
#include "Esquema.h"
#include "Valor.h"

#include <memory>
#include <string>
#include <vector>

namespace db {

// True when DIRETORIO keeps tables (its file, or its schema on the server).
bool temArmazem(const std::string& diretorio);

// True when DIRETORIO or a parent holds banco.conf: its tables live on a server.
bool noServidor(const std::string& diretorio);

// Names of the tables of DIRETORIO, as stored, in alphabetical order (case ignored).
std::vector<std::string> tabelas(const std::string& diretorio);

// Fields of a table in stored order with their kinds; Erro when the table is missing.
std::vector<Campo> camposDaTabela(const std::string& diretorio, const std::string& tabela);

// Writes into one directory's store inside one unit of work of its tree. Nothing is visible
// to other connections before confirma(); destroying an unconfirmed load rolls everything
// back. On a server, names are kept in lower case as the store makes them.
class Carga {
public:
    explicit Carga(const std::string& diretorio);
    ~Carga();
    Carga(const Carga&) = delete;
    Carga& operator=(const Carga&) = delete;

    // Table made with its fields, keys and indexes (an error when it exists).
    void criaTabela(const TabelaEsquema& tabela);
    // A field added at the end of an existing table.
    void acrescentaCampo(const std::string& tabela, const CampoEsquema& campo);
    std::int64_t conta(const std::string& tabela);
    void esvazia(const std::string& tabela);

    // Rows for |tabela|, values in the order of |campos|.
    void preparaInsercao(const std::string& tabela, const std::vector<std::string>& campos);
    void insere(const std::vector<Valor>& valores);

    void confirma();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace db
