#pragma once
// The store that holds a data tree, seen from outside the data sets: which engine holds a
// directory, units of work, and table reservations between workstations.
//
// A data tree is the data directory and the directories below it. Without banco.conf it is
// SQLite: each directory holding tables has DIR/tabelas.sqlite, and one connection per
// process serves the whole tree (the highest directory of the chain that holds a file is
// its main database, the others are attached to it), so one transaction spans every
// directory. With banco.conf in the data directory (or any directory above a table's) the
// tree lives on a PostgreSQL server: one schema per directory, named by its path below the
// data directory in lower case with "/" as "_" ("Tabelas/001" is "tabelas_001").

#include "Valor.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace db {

namespace motor {
class Conexao;
}

// Where a directory's tables are kept.
struct Local {
    std::string raiz;    // the data directory (holding banco.conf), or the SQLite tree's top
    std::string uri;     // the server's connection URI; empty for SQLite
    std::string esquema; // server schema of the directory
    bool servidor() const { return !uri.empty(); }
};
Local localDe(const std::string& diretorio);

// The URI in a banco.conf text: its first line that is not blank and not a "#" comment,
// trimmed. Empty when there is none.
std::string uriDeConfiguracao(const std::string& texto);

// One unit of work on the store of |diretorio|'s tree: everything written through any data
// set of that tree until confirma() is committed together, or, when the unit ends without
// confirma() (an exception, a return), rolled back. The store's write lock is taken at the
// start, so numbers read inside (Conjunto::proximoNumero) cannot be taken by another
// workstation before the commit. A unit begun while another is open on the same tree joins
// it: only the outermost commits, and an inner one ending without confirma() makes the whole
// unit roll back.
//
// Nothing that waits for the user belongs inside a unit: aoConfirmar() and aoTerminar()
// hold such actions (message boxes) until the unit has ended.
class UnidadeDeTrabalho {
public:
    explicit UnidadeDeTrabalho(const std::string& diretorio);
    ~UnidadeDeTrabalho();
    UnidadeDeTrabalho(const UnidadeDeTrabalho&) = delete;
    UnidadeDeTrabalho& operator=(const UnidadeDeTrabalho&) = delete;

    // Commits (the outermost unit) and then runs the held actions. On a failed commit the
    // unit is rolled back and the engine's error raised.
    void confirma();
    // Runs after the outermost unit committed; dropped when it rolls back.
    void aoConfirmar(std::function<void()> acao);
    // Runs after the outermost unit ended, committed or rolled back (messages about a step
    // that failed).
    void aoTerminar(std::function<void()> acao);
    bool confirmada() const { return confirmada_; }

private:
    void termina(bool confirmou);
    std::shared_ptr<motor::Conexao> con_;
    bool confirmada_ = false;
    bool fechada_ = false;
};

// A table reservation between workstations that the store itself keeps: on a server, an
// advisory lock per table held until the object is destroyed. Only for trees on a server
// (emServidor(); on SQLite the host keeps its own reservations): reserva() gives nothing
// when the lock cannot be had within |esperaMs|, and throws Erro (the server's text) when
// the server cannot be asked.
class Reserva {
public:
    static std::optional<Reserva> reserva(const std::string& diretorio, const std::string& tabela,
                                          int esperaMs);
    Reserva(Reserva&&) noexcept;
    Reserva& operator=(Reserva&&) noexcept;
    ~Reserva();

private:
    Reserva() = default;
    std::shared_ptr<motor::Conexao> con_;
    std::string diretorio_, tabela_;
};

// True when the tree of |diretorio| is kept on a server.
bool emServidor(const std::string& diretorio);

} // namespace db
