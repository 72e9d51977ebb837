#pragma once
// The seam under the data sets: one connection to the store that holds a data tree, and
// its prepared commands. Two engines sit behind it: SQLite (one file per directory, the
// other directories' files attached to one connection) and PostgreSQL (one schema per
// directory). Internal to db/: callers use Conjunto, UnidadeDeTrabalho and Reserva.

#include "Valor.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace db::motor {

// A column a command returns: its name, kind and, when it is a plain column of a table,
// that table and column as stored.
struct Coluna {
    std::string nome;
    Tipo tipo = Tipo::Outro;
    std::string tabela;
    std::string origem;
    bool operator==(const Coluna&) const = default;
};

class Comando {
public:
    virtual ~Comando() = default;
    // Named parameters in order, each with its marker (":X", "@x"); a name used twice is
    // one parameter.
    virtual const std::vector<std::string>& parametros() const = 0;
    virtual void liga(std::size_t indice, const Valor& valor) = 0;
    // Forgets bindings and any pending result.
    virtual void limpa() = 0;
    // Runs on the first call after limpa(); true while a row is there.
    virtual bool passo() = 0;
    virtual int colunas() const = 0;
    virtual Valor valor(int coluna) const = 0;
    virtual std::int64_t alteradas() const = 0;
    // The columns without running the command.
    virtual std::vector<Coluna> descreve() = 0;
};

class Conexao {
public:
    virtual ~Conexao() = default;

    virtual std::unique_ptr<Comando> prepara(const std::string& texto) = 0;
    // The columns |texto| would return, without running it.
    virtual std::vector<Coluna> descreveTexto(const std::string& texto) {
        return prepara(texto)->descreve();
    }
    virtual void executa(const std::string& texto) = 0;

    // Where a directory's tables are: the qualifier to put before a table name
    // ("\"d2\"." or "\"tabelas_001\"."). The first call for a directory makes it reachable
    // (attaches its file, checks its schema) and fails with the engine's text when it is not
    // there; each call is matched by one largaDiretorio().
    virtual std::string usaDiretorio(const std::string& diretorio) = 0;
    virtual void largaDiretorio(const std::string& diretorio) = 0;
    // What the error messages name for a directory: its file or its schema.
    virtual std::string descricao(const std::string& diretorio) const = 0;
    // A table's name as stored, matched without regard to case; empty when absent.
    virtual std::string nomeGuardado(const std::string& diretorio, const std::string& nome) = 0;

    // The tables a directory holds, as stored.
    virtual std::vector<std::string> tabelas(const std::string& diretorio) = 0;
    // Directories of the tree that hold tables, relative to the tree's top (server only).
    virtual std::vector<std::string> diretorios() { return {}; }

    // The engine's text for a table that is not there.
    virtual std::string semTabela(const std::string& nome) const = 0;

    // Dialect.
    virtual std::string colunaLinha() const = 0; // the row identity column
    // True when |coluna| (as stored) leads an index of |tabela| (as stored; |qualificador|
    // as usaDiretorio() gave it, empty for a temporary table): a range or an order on it is
    // then read from the index, not sorted.
    virtual bool lideraIndice(const std::string& qualificador, const std::string& tabela,
                              const std::string& coluna) = 0;
    // True when the engine takes only valid UTF-8 texts, bounds of a range included.
    virtual bool textoEstrito() const { return false; }
    virtual std::string igualOuNulo() const = 0; // null-safe equality operator
    virtual std::string reescreve(std::string_view texto) const = 0;
    virtual std::string ascendente(const std::string& col) const = 0;  // NULLs first
    virtual std::string descendente(const std::string& col) const = 0; // NULLs last
    virtual std::string travaLinha() const { return {}; } // suffix of a read for update
    // Materialises a query into a temporary table with a row identity; gives its name.
    virtual std::string materializa(const std::string& diretorio, const std::string& texto) = 0;
    // A connection of its own whose unqualified names are |diretorio|'s tables, for a query
    // that is not read straight from one table.
    virtual std::shared_ptr<Conexao> conexaoPropria(const std::string& diretorio) = 0;

    // Transactions: inicia() takes the store's write lock for the whole tree.
    virtual void inicia() = 0;
    virtual void confirma() = 0;
    virtual void desfaz() = 0;
    // Numbers of |tabela| are about to be taken from its highest plus one.
    virtual void travaNumeracao(const std::string& /*tabelaQualificada*/) {}

    // Reservations between workstations; false when the engine has none (SQLite).
    virtual bool temReservas() const { return false; }
    virtual bool tentaReservar(const std::string& /*diretorio*/, const std::string& /*tabela*/) {
        return false;
    }
    virtual void libera(const std::string& /*diretorio*/, const std::string& /*tabela*/) {}

    // False once the connection is lost for good (a server gone away): the next data set
    // opened gets a new one.
    virtual bool viva() const { return true; }

    // Unit-of-work bookkeeping kept with the connection.
    int profundidade = 0;
    bool condenada = false;
    std::vector<std::function<void()>> aoConfirmar, aoTerminar;
};

// The connection for the tree that holds |diretorio|: PostgreSQL when a banco.conf is found
// in it or above it, else SQLite. Shared while anyone holds it.
std::shared_ptr<Conexao> conexaoPara(const std::string& diretorio);

// Engines.
std::shared_ptr<Conexao> abreSqlite(const std::string& raiz);
std::shared_ptr<Conexao> abrePostgres(const std::string& uri, const std::string& raiz);

// Directory with its trailing separators removed, made absolute and normal.
std::string normaliza(const std::string& diretorio);
// Schema of a directory below the data directory |raiz|: "Tabelas/001" -> "tabelas_001".
std::string esquemaDe(const std::string& raiz, const std::string& diretorio);

} // namespace db::motor
