#pragma once
// A small data tree for the store's tests, kept in SQLite files or on the test server:
// DADOS/Tabelas (the register) and DADOS/Tabelas/001, DADOS/Tabelas/002 (companies), and a
// reader of its own that sees only what was committed.

#include "TempDir.h"

#include <memory>
#include <string>

enum class Motor { Sqlite, Postgres };
std::string nomeDoMotor(Motor m);

class Arvore {
public:
    explicit Arvore(Motor motor);
    ~Arvore();
    Arvore(const Arvore&) = delete;
    Arvore& operator=(const Arvore&) = delete;

    Motor motor() const { return motor_; }
    std::string dados() const { return dir_.str(); }
    std::string registro() const { return (dir_.caminho() / "Tabelas").string(); }
    std::string empresa(int n) const;
    // The server's URI of this tree's own database; empty on SQLite.
    const std::string& uri() const { return uri_; }

    // A statement run through a connection of its own, outside any unit of work: what another
    // workstation sees. |diretorio| picks the file or schema; names in the text are unqualified.
    void executa(const std::string& diretorio, const std::string& texto);
    // First column of the first row as text; "<none>" without a row, "<null>" for NULL.
    std::string valor(const std::string& diretorio, const std::string& texto);

private:
    Motor motor_;
    TempDir dir_;
    std::string uri_, banco_;
};

// An empty database of its own on the test server, dropped at the end.
class BancoDeTestes {
public:
    BancoDeTestes();
    ~BancoDeTestes();
    BancoDeTestes(const BancoDeTestes&) = delete;
    BancoDeTestes& operator=(const BancoDeTestes&) = delete;
    const std::string& uri() const { return uri_; }

private:
    std::string uri_, nome_;
};

// The URI of the throw-away server that the test run started (CTest fixture), or a failure
// naming what is missing.
std::string uriDoServidorDeTestes();

// Whether the run names a test server at all (NOTERA_PG_TESTE). CTest on Linux always does;
// the Windows build under Wine has none, so its server cases skip instead of failing.
bool servidorDeTestesIndicado();
#define NOTERA_PULA_SEM_SERVIDOR(motor)                                                            \
    do {                                                                                           \
        if ((motor) == Motor::Postgres && !servidorDeTestesIndicado())                             \
            GTEST_SKIP() << "no PostgreSQL test server: NOTERA_PG_TESTE not set";                  \
    } while (0)
