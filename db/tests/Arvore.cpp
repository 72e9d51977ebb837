#include "Arvore.h"

#include "db/Armazem.h"
#include "db/Esquema.h"
#include "db/Valor.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string leUri(const fs::path& arquivo) {
    std::ifstream in(arquivo);
    std::string uri;
    std::getline(in, uri);
    return uri;
}

// "postgresql:///postgres?..." with another database name.
std::string comBanco(const std::string& uri, const std::string& banco) {
    auto ini = uri.find(":///");
    auto fim = uri.find('?');
    if (ini == std::string::npos || fim == std::string::npos)
        throw std::runtime_error("URI inesperada do servidor de testes: " + uri);
    return uri.substr(0, ini + 4) + banco + uri.substr(fim);
}

struct Pg {
    explicit Pg(const std::string& uri) : c(PQconnectdb(uri.c_str())) {
        if (PQstatus(c) != CONNECTION_OK)
            throw std::runtime_error("servidor de testes: " + std::string(PQerrorMessage(c)));
    }
    ~Pg() { PQfinish(c); }
    PGresult* roda(const std::string& texto) {
        PGresult* r = PQexec(c, texto.c_str());
        auto st = PQresultStatus(r);
        if (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK) {
            std::string msg = PQresultErrorMessage(r);
            PQclear(r);
            throw std::runtime_error(msg + " [" + texto + "]");
        }
        return r;
    }
    PGconn* c;
};

std::string esquema(const std::string& diretorio) {
    return db::localDe(diretorio).esquema;
}

} // namespace

std::string nomeDoMotor(Motor m) {
    return m == Motor::Sqlite ? "Sqlite" : "Postgres";
}

bool servidorDeTestesIndicado() {
    const char* d = std::getenv("NOTERA_PG_TESTE");
    return d && *d;
}

std::string uriDoServidorDeTestes() {
    const char* d = std::getenv("NOTERA_PG_TESTE");
    if (!d || !*d)
        throw std::runtime_error(
            "servidor PostgreSQL de testes não indicado: rode pelo ctest (fixture pg_teste) "
            "ou defina NOTERA_PG_TESTE com o diretório de scripts/pg-teste.sh start");
    fs::path arquivo = fs::path(d) / "uri";
    if (!fs::exists(arquivo))
        throw std::runtime_error("servidor PostgreSQL de testes não está de pé: falta " +
                                 arquivo.string() + " (veja o teste pg_teste_inicia)");
    return leUri(arquivo);
}

namespace {

std::string criaBanco() {
    static std::atomic<int> contador{0};
    std::string nome = "notera_t" + std::to_string(getpid()) + "_" + std::to_string(++contador);
    PQclear(Pg(uriDoServidorDeTestes()).roda("CREATE DATABASE " + nome));
    return nome;
}

void apagaBanco(const std::string& nome) {
    try {
        PQclear(
            Pg(uriDoServidorDeTestes()).roda("DROP DATABASE IF EXISTS " + nome + " WITH (FORCE)"));
    } catch (...) {
        // The server goes away with the test run.
    }
}

} // namespace

BancoDeTestes::BancoDeTestes() : nome_(criaBanco()) {
    uri_ = comBanco(uriDoServidorDeTestes(), nome_);
}

BancoDeTestes::~BancoDeTestes() {
    apagaBanco(nome_);
}

Arvore::Arvore(Motor motor) : motor_(motor) {
    fs::create_directories(dir_.caminho() / "Tabelas" / "001");
    fs::create_directories(dir_.caminho() / "Tabelas" / "002");
    if (motor_ == Motor::Postgres) {
        banco_ = criaBanco();
        uri_ = comBanco(uriDoServidorDeTestes(), banco_);
        std::ofstream conf(dir_.caminho() / "banco.conf");
        conf << "# servidor de testes\n\n   " << uri_ << "  \n# fim\n";
    }
    db::criaTabelas(registro(), db::Nivel::Registro);
    db::criaTabelas(empresa(1), db::Nivel::Empresa);
    db::criaTabelas(empresa(2), db::Nivel::Empresa);
}

Arvore::~Arvore() {
    if (motor_ == Motor::Postgres) {
        try {
            PQclear(Pg(uriDoServidorDeTestes())
                        .roda("DROP DATABASE IF EXISTS " + banco_ + " WITH (FORCE)"));
        } catch (...) {
            // The server goes away with the test run.
        }
    }
}

std::string Arvore::empresa(int n) const {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%03d", n);
    return (fs::path(registro()) / buf).string();
}

void Arvore::executa(const std::string& diretorio, const std::string& texto) {
    if (motor_ == Motor::Postgres) {
        Pg pg(uri_);
        PQclear(pg.roda("SET search_path TO " + esquema(diretorio)));
        PQclear(pg.roda(texto));
        return;
    }
    sqlite3* c = nullptr;
    sqlite3_open_v2(db::caminhoArquivo(diretorio).c_str(), &c, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(c, 10000);
#ifdef _WIN32
    // As every workstation's store: Windows cannot delete the journal that the tree's own
    // connection holds open, as the default mode's commit does.
    sqlite3_exec(c, "PRAGMA journal_mode=PERSIST", nullptr, nullptr, nullptr);
#endif
    char* erro = nullptr;
    int rc = sqlite3_exec(c, texto.c_str(), nullptr, nullptr, &erro);
    std::string msg = erro ? erro : "";
    sqlite3_free(erro);
    sqlite3_close(c);
    if (rc != SQLITE_OK) throw std::runtime_error(msg + " [" + texto + "]");
}

std::string Arvore::valor(const std::string& diretorio, const std::string& texto) {
    if (motor_ == Motor::Postgres) {
        Pg pg(uri_);
        PQclear(pg.roda("SET search_path TO " + esquema(diretorio)));
        PGresult* r = pg.roda(texto);
        std::string v = PQntuples(r) == 0      ? "<none>"
                        : PQgetisnull(r, 0, 0) ? "<null>"
                                               : PQgetvalue(r, 0, 0);
        PQclear(r);
        return v;
    }
    sqlite3* c = nullptr;
    sqlite3_open_v2(db::caminhoArquivo(diretorio).c_str(), &c, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(c, 10000);
    sqlite3_stmt* s = nullptr;
    std::string r = "<none>";
    if (sqlite3_prepare_v2(c, texto.c_str(), -1, &s, nullptr) != SQLITE_OK)
        r = std::string("<erro: ") + sqlite3_errmsg(c) + ">";
    else if (sqlite3_step(s) == SQLITE_ROW)
        r = sqlite3_column_text(s, 0) ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
                                      : "<null>";
    sqlite3_finalize(s);
    sqlite3_close(c);
    return r;
}
