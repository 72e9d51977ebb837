#include "Armazem.h"

#include "Motor.h"
#include "Sql.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace db {

namespace {

constexpr const char* ArquivoBanco = "banco.conf";
constexpr const char* ArquivoSqlite = "tabelas.sqlite";

bool existe(const fs::path& p) {
    std::error_code ec;
    return fs::exists(p, ec);
}

std::string leArquivo(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    if (!in) throw Erro(p.string() + ": não foi possível ler");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The connections of this process, one per data tree, kept while some data set or unit
// uses them.
struct Conexoes {
    std::mutex trava;
    std::map<std::string, std::weak_ptr<motor::Conexao>> abertas;
};
Conexoes& conexoes() {
    static Conexoes c;
    return c;
}

} // namespace

std::string uriDeConfiguracao(const std::string& texto) {
    std::istringstream in(texto);
    std::string linha;
    while (std::getline(in, linha)) {
        auto ini = linha.find_first_not_of(" \t\r\n\f\v");
        if (ini == std::string::npos) continue;
        auto fim = linha.find_last_not_of(" \t\r\n\f\v");
        std::string t = linha.substr(ini, fim - ini + 1);
        if (t[0] == '#') continue;
        return t;
    }
    return {};
}

namespace motor {

std::string normaliza(const std::string& diretorio) {
    std::error_code ec;
    fs::path p = fs::absolute(fs::path(diretorio.empty() ? "." : diretorio), ec).lexically_normal();
#ifdef _WIN32
    // lexically_normal writes Windows' separator, and keeps one at the end ("C:\\dados\\");
    // a drive's root keeps its own.
    if (!p.has_filename() && p.has_relative_path()) p = p.parent_path();
    return p.string();
#else
    std::string s = p.string();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
#endif
}

std::string esquemaDe(const std::string& raiz, const std::string& diretorio) {
    std::string rel = fs::path(diretorio).lexically_relative(raiz).string();
    if (rel.empty() || rel == ".") return "public";
    std::string r = sql::minusculas(rel);
    for (auto& c : r)
        if (c == '/' || c == fs::path::preferred_separator) c = '_';
    return r;
}

} // namespace motor

Local localDe(const std::string& diretorio) {
    Local l;
    std::string dir = motor::normaliza(diretorio);
    for (fs::path p = dir;; p = p.parent_path()) {
        if (existe(p / ArquivoBanco)) {
            l.raiz = p.string();
            l.uri = uriDeConfiguracao(leArquivo(p / ArquivoBanco));
            if (l.uri.empty())
                throw Erro((p / ArquivoBanco).string() + ": nenhum endereço de banco de dados");
            // libpq would read the address only up to the NUL and connect somewhere else.
            if (l.uri.find('\0') != std::string::npos)
                throw Erro((p / ArquivoBanco).string() +
                           ": caractere nulo no endereço de banco de dados");
            l.esquema = motor::esquemaDe(l.raiz, dir);
            return l;
        }
        if (p == p.parent_path()) break;
    }
    // SQLite: the top of the chain of directories holding a file.
    l.raiz = dir;
    for (fs::path p = fs::path(dir).parent_path();
         p != p.parent_path() && existe(p / ArquivoSqlite); p = p.parent_path())
        l.raiz = p.string();
    return l;
}

bool emServidor(const std::string& diretorio) {
    return localDe(diretorio).servidor();
}

namespace motor {

std::shared_ptr<Conexao> conexaoPara(const std::string& diretorio) {
    Local l = localDe(diretorio);
    std::string chave = (l.servidor() ? "pg:" : "sqlite:") + l.raiz;
    auto& c = conexoes();
    std::lock_guard<std::mutex> g(c.trava);
    // A unit still open on a lost connection keeps it: what is opened inside that unit fails
    // with it, rather than writing on a new connection outside the unit.
    if (auto viva = c.abertas[chave].lock(); viva && (viva->viva() || viva->profundidade > 0))
        return viva;
    auto nova = l.servidor() ? abrePostgres(l.uri, l.raiz) : abreSqlite(l.raiz);
    c.abertas[chave] = nova;
    return nova;
}

} // namespace motor

// ---------------------------------------------------------------------------------------

UnidadeDeTrabalho::UnidadeDeTrabalho(const std::string& diretorio)
    : con_(motor::conexaoPara(diretorio)) {
    if (con_->profundidade == 0) {
        con_->inicia();
        con_->condenada = false;
    }
    ++con_->profundidade;
}

UnidadeDeTrabalho::~UnidadeDeTrabalho() {
    if (!fechada_) {
        try {
            termina(false);
        } catch (...) {
            // A destructor cannot report; the rollback's failure leaves nothing committed.
        }
    }
}

void UnidadeDeTrabalho::confirma() {
    if (fechada_) throw Erro("unidade de trabalho já encerrada");
    termina(true);
}

void UnidadeDeTrabalho::aoConfirmar(std::function<void()> acao) {
    con_->aoConfirmar.push_back(std::move(acao));
}

void UnidadeDeTrabalho::aoTerminar(std::function<void()> acao) {
    con_->aoTerminar.push_back(std::move(acao));
}

void UnidadeDeTrabalho::termina(bool confirmou) {
    fechada_ = true;
    auto& c = *con_;
    if (!confirmou) c.condenada = true;
    if (--c.profundidade > 0) return;

    bool commit = !c.condenada;
    std::string erro;
    if (commit) {
        try {
            c.confirma();
        } catch (const Erro& e) {
            erro = e.what();
            commit = false;
        }
    }
    if (!commit) {
        try {
            c.desfaz();
        } catch (const Erro& e) {
            if (erro.empty()) erro = e.what();
        }
    }
    confirmada_ = commit && confirmou;
    auto depois = std::move(c.aoConfirmar);
    auto sempre = std::move(c.aoTerminar);
    c.aoConfirmar.clear();
    c.aoTerminar.clear();
    c.condenada = false;
    if (confirmada_)
        for (auto& f : depois)
            f();
    for (auto& f : sempre)
        f();
    if (confirmou && !confirmada_)
        throw Erro(erro.empty() ? "a unidade de trabalho foi desfeita" : erro);
}

// ---------------------------------------------------------------------------------------

std::optional<Reserva> Reserva::reserva(const std::string& diretorio, const std::string& tabela,
                                        int esperaMs) {
    auto con = motor::conexaoPara(diretorio);
    if (!con->temReservas()) throw Erro("reservas do armazém só existem num servidor");
    const std::string dir = motor::normaliza(diretorio);
    const std::string nome = sql::minusculas(sql::semSufixoDb(tabela));
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(esperaMs);
    while (!con->tentaReservar(dir, nome)) {
        if (std::chrono::steady_clock::now() >= limite) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    Reserva r;
    r.con_ = std::move(con);
    r.diretorio_ = dir;
    r.tabela_ = nome;
    return r;
}

Reserva::Reserva(Reserva&&) noexcept = default;
Reserva& Reserva::operator=(Reserva&&) noexcept = default;

Reserva::~Reserva() {
    if (!con_) return;
    try {
        con_->libera(diretorio_, tabela_);
    } catch (...) {
        // The server drops a lost session's locks by itself.
    }
}

} // namespace db
