#include "Carga.h"

#include "Sql.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <type_traits>
#include <variant>

namespace db {

namespace {

constexpr int EsperaOcupadoMs = 15000;

struct FechaConexao {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};
struct Finaliza {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Conexao = std::unique_ptr<sqlite3, FechaConexao>;
using Comando = std::unique_ptr<sqlite3_stmt, Finaliza>;

} // namespace

bool temArmazem(const std::string& diretorio) {
    std::error_code ec;
    return std::filesystem::is_regular_file(caminhoArquivo(diretorio), ec);
}

bool noServidor(const std::string& diretorio) {
    std::error_code ec;
    auto p = std::filesystem::absolute(diretorio, ec);
    if (ec) return false;
    for (;;) {
        if (std::filesystem::exists(p / "banco.conf", ec)) return true;
        if (!p.has_parent_path() || p.parent_path() == p) return false;
        p = p.parent_path();
    }
}

std::vector<std::string> tabelas(const std::string& diretorio) {
    std::string caminho = caminhoArquivo(diretorio);
    sqlite3* bruto = nullptr;
    int rc = sqlite3_open_v2(caminho.c_str(), &bruto, SQLITE_OPEN_READONLY, nullptr);
    Conexao con(bruto);
    if (rc != SQLITE_OK)
        throw Erro(caminho + ": " + (bruto ? sqlite3_errmsg(bruto) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(con.get(), EsperaOcupadoMs);
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(
            con.get(),
            "SELECT name FROM sqlite_schema WHERE type = 'table' "
            "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE",
            -1, &s, nullptr) != SQLITE_OK)
        throw Erro(caminho + ": " + sqlite3_errmsg(con.get()));
    Comando cmd(s);
    std::vector<std::string> r;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW)
        r.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    if (rc != SQLITE_DONE) throw Erro(caminho + ": " + sqlite3_errmsg(con.get()));
    return r;
}

std::vector<Campo> camposDaTabela(const std::string& diretorio, const std::string& tabela) {
    Tabela t(diretorio, tabela);
    t.abre();
    std::vector<Campo> r = t.campos();
    t.fecha();
    return r;
}

struct Carga::Impl {
    std::string caminho;
    Conexao con;
    Comando insercao;
    std::size_t colunas = 0;
    bool aberta = false;

    [[noreturn]] void falha() const { throw Erro(caminho + ": " + sqlite3_errmsg(con.get())); }

    void executa(const std::string& texto) {
        char* erro = nullptr;
        if (sqlite3_exec(con.get(), texto.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
            std::string msg = erro ? erro : sqlite3_errmsg(con.get());
            sqlite3_free(erro);
            throw Erro(caminho + ": " + msg);
        }
    }

    // Name of the table as stored (names match without regard to case).
    std::string nomeGuardado(const std::string& nome) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(con.get(),
                               "SELECT name FROM sqlite_schema WHERE type = 'table' "
                               "AND name = ?1 COLLATE NOCASE",
                               -1, &s, nullptr) != SQLITE_OK)
            falha();
        Comando cmd(s);
        std::string semDb = sql::semSufixoDb(nome);
        sqlite3_bind_text(s, 1, semDb.c_str(), -1, SQLITE_TRANSIENT);
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) return reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        if (rc != SQLITE_DONE) falha();
        throw Erro(caminho + ": no such table: " + semDb);
    }
};

Carga::Carga(const std::string& diretorio) : impl_(std::make_unique<Impl>()) {
    auto& i = *impl_;
    i.caminho = caminhoArquivo(diretorio);
    sqlite3* bruto = nullptr;
    // Never creates the file: a missing store is an error, as for every data set.
    int rc = sqlite3_open_v2(i.caminho.c_str(), &bruto, SQLITE_OPEN_READWRITE, nullptr);
    i.con.reset(bruto);
    if (rc != SQLITE_OK)
        throw Erro(i.caminho + ": " + (bruto ? sqlite3_errmsg(bruto) : sqlite3_errstr(rc)));
    sqlite3_extended_result_codes(i.con.get(), 1);
    sqlite3_busy_timeout(i.con.get(), EsperaOcupadoMs);
    // The file keeps the journal mode it was made with; only durability is asked here.
    i.executa("PRAGMA synchronous=FULL; BEGIN IMMEDIATE");
    i.aberta = true;
}

Carga::~Carga() {
    if (!impl_ || !impl_->aberta) return;
    impl_->insercao.reset();
    sqlite3_exec(impl_->con.get(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Carga::criaTabela(const TabelaEsquema& tabela) {
    for (auto& c : comandosCriacao(tabela))
        impl_->executa(c);
}

void Carga::acrescentaCampo(const std::string& tabela, const CampoEsquema& campo) {
    auto& i = *impl_;
    i.executa("ALTER TABLE " + sql::aspas(i.nomeGuardado(tabela)) + " ADD COLUMN " +
              sql::aspas(campo.nome) + " " + tipoSql(campo.tipo));
}

std::int64_t Carga::conta(const std::string& tabela) {
    auto& i = *impl_;
    std::string texto = "SELECT count(*) FROM " + sql::aspas(i.nomeGuardado(tabela));
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(i.con.get(), texto.c_str(), -1, &s, nullptr) != SQLITE_OK) i.falha();
    Comando cmd(s);
    if (sqlite3_step(s) != SQLITE_ROW) i.falha();
    return sqlite3_column_int64(s, 0);
}

void Carga::esvazia(const std::string& tabela) {
    auto& i = *impl_;
    i.executa("DELETE FROM " + sql::aspas(i.nomeGuardado(tabela)));
}

void Carga::preparaInsercao(const std::string& tabela, const std::vector<std::string>& campos) {
    auto& i = *impl_;
    std::string cols, vals;
    for (std::size_t k = 0; k < campos.size(); ++k) {
        cols += (k ? ", " : "") + sql::aspas(campos[k]);
        vals += (k ? ", ?" : "?") + std::to_string(k + 1);
    }
    std::string texto =
        "INSERT INTO " + sql::aspas(i.nomeGuardado(tabela)) +
        (campos.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + vals + ")");
    sqlite3_stmt* s = nullptr;
    i.insercao.reset();
    if (sqlite3_prepare_v2(i.con.get(), texto.c_str(), -1, &s, nullptr) != SQLITE_OK) {
        sqlite3_finalize(s);
        i.falha();
    }
    i.insercao.reset(s);
    i.colunas = campos.size();
}

void Carga::insere(const std::vector<Valor>& valores) {
    auto& i = *impl_;
    sqlite3_stmt* s = i.insercao.get();
    if (!s) throw Erro(i.caminho + ": inserção não preparada");
    if (valores.size() != i.colunas)
        throw Erro(i.caminho + ": número de valores diferente do de campos");
    sqlite3_reset(s);
    for (std::size_t k = 0; k < valores.size(); ++k) {
        int n = static_cast<int>(k + 1);
        int rc = std::visit(
            [&](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    return sqlite3_bind_null(s, n);
                else if constexpr (std::is_same_v<T, std::int64_t>)
                    return sqlite3_bind_int64(s, n, x);
                else if constexpr (std::is_same_v<T, double>)
                    return sqlite3_bind_double(s, n, x);
                else if constexpr (std::is_same_v<T, std::string>)
                    return sqlite3_bind_text64(s, n, x.data(), x.size(), SQLITE_TRANSIENT,
                                               SQLITE_UTF8);
                else if constexpr (std::is_same_v<T, base::Dinheiro>)
                    return sqlite3_bind_double(s, n, x.emReais()); // stored as REAL reais
                else if (x.empty())
                    return sqlite3_bind_zeroblob(s, n, 0);
                else
                    return sqlite3_bind_blob64(s, n, x.data(), x.size(), SQLITE_TRANSIENT);
            },
            valores[k].dado());
        if (rc != SQLITE_OK) i.falha();
    }
    if (sqlite3_step(s) != SQLITE_DONE) i.falha();
}

void Carga::confirma() {
    auto& i = *impl_;
    i.insercao.reset();
    i.executa("COMMIT");
    i.aberta = false;
}

} // namespace db
