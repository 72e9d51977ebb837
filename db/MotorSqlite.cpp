// SQLite under the data sets: one connection per data tree. The top directory's file is the
// main database and every other directory's file is attached to it, so one transaction
// spans all of them. Files keep a rollback journal (PERSIST): SQLite commits a transaction
// that changed several attached files atomically through a super-journal beside the main
// file, which it cannot do in WAL mode.

#include "Motor.h"

#include "Sql.h"

#include <sqlite3.h>

#include <map>

namespace db::motor {

namespace {

constexpr int EsperaOcupadoMs = 15000;

Tipo tipoDeclarado(const char* decl) {
    if (!decl) return Tipo::Outro;
    std::string d = sql::minusculas(decl);
    auto tem = [&](const char* s) { return d.find(s) != std::string::npos; };
    if (tem("money")) return Tipo::Dinheiro;
    if (tem("date") || tem("time")) return Tipo::DataHora;
    if (tem("image") || tem("blob")) return Tipo::Imagem;
    if (tem("int")) return Tipo::Inteiro;
    if (tem("char") || tem("text") || tem("clob")) return Tipo::Texto;
    if (tem("real") || tem("floa") || tem("doub")) return Tipo::Flutuante;
    return Tipo::Outro;
}

// A unit of work's transaction as the connection sees it. SQLite rolls the whole
// transaction back by itself on some errors (an I/O error, a full disk); the statements
// after that would each commit on their own, so they are refused with the first error.
struct Transacao {
    bool aberta = false;
    std::string perdida; // the engine's text of the error that ended it

    void confere(sqlite3* con) const {
        if (aberta && sqlite3_get_autocommit(con))
            throw Erro(perdida.empty() ? std::string("a transação foi desfeita pelo motor")
                                       : perdida);
    }
    void falhou(sqlite3* con, const std::string& msg) {
        if (aberta && sqlite3_get_autocommit(con) && perdida.empty()) perdida = msg;
    }
};

class ComandoSqlite : public Comando {
public:
    ComandoSqlite(sqlite3* con, sqlite3_stmt* s, std::shared_ptr<Transacao> t)
        : con_(con), s_(s), transacao_(std::move(t)) {
        for (int i = 1; i <= sqlite3_bind_parameter_count(s); ++i) {
            const char* n = sqlite3_bind_parameter_name(s, i);
            nomes_.push_back(n ? n : "?");
            indices_.push_back(i);
        }
    }
    ~ComandoSqlite() override { sqlite3_finalize(s_); }

    const std::vector<std::string>& parametros() const override { return nomes_; }

    void liga(std::size_t k, const Valor& v) override {
        int i = indices_.at(k);
        int rc = std::visit(
            [&](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    return sqlite3_bind_null(s_, i);
                else if constexpr (std::is_same_v<T, std::int64_t>)
                    return sqlite3_bind_int64(s_, i, x);
                else if constexpr (std::is_same_v<T, double>)
                    return sqlite3_bind_double(s_, i, x);
                else if constexpr (std::is_same_v<T, std::string>)
                    return sqlite3_bind_text64(s_, i, x.data(), x.size(), SQLITE_TRANSIENT,
                                               SQLITE_UTF8);
                else if constexpr (std::is_same_v<T, base::Dinheiro>)
                    return sqlite3_bind_double(s_, i, x.emReais()); // stored as REAL reais
                else if (x.empty())
                    return sqlite3_bind_zeroblob(s_, i, 0);
                else
                    return sqlite3_bind_blob64(s_, i, x.data(), x.size(), SQLITE_TRANSIENT);
            },
            v.dado());
        if (rc != SQLITE_OK) throw Erro(sqlite3_errmsg(con_));
    }

    void limpa() override {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }

    bool passo() override {
        transacao_->confere(con_);
        int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) {
            std::string msg = sqlite3_errmsg(con_);
            sqlite3_reset(s_);
            transacao_->falhou(con_, msg);
            throw Erro(msg);
        }
        alteradas_ = sqlite3_changes64(con_);
        return false;
    }

    int colunas() const override { return sqlite3_column_count(s_); }

    Valor valor(int i) const override {
        switch (sqlite3_column_type(s_, i)) {
        case SQLITE_INTEGER:
            return Valor(static_cast<std::int64_t>(sqlite3_column_int64(s_, i)));
        case SQLITE_FLOAT:
            return Valor(sqlite3_column_double(s_, i));
        case SQLITE_TEXT: {
            auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s_, i));
            return Valor(std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s_, i))));
        }
        case SQLITE_BLOB: {
            auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(s_, i));
            return Valor(Bytes(p, p + sqlite3_column_bytes(s_, i)));
        }
        default:
            return {};
        }
    }

    std::int64_t alteradas() const override { return alteradas_; }

    std::vector<Coluna> descreve() override {
        std::vector<Coluna> r;
        for (int i = 0; i < sqlite3_column_count(s_); ++i) {
            const char* tab = sqlite3_column_table_name(s_, i);
            const char* col = sqlite3_column_origin_name(s_, i);
            r.push_back({sqlite3_column_name(s_, i), tipoDeclarado(sqlite3_column_decltype(s_, i)),
                         tab ? tab : "", col ? col : ""});
        }
        return r;
    }

private:
    sqlite3* con_;
    sqlite3_stmt* s_;
    std::shared_ptr<Transacao> transacao_;
    std::vector<std::string> nomes_;
    std::vector<int> indices_;
    std::int64_t alteradas_ = 0;
};

struct FechaConexao {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};

std::string arquivoDe(const std::string& diretorio) {
    return diretorio + "/tabelas.sqlite";
}

// Opening a file on its own gives the engine's plain text for a missing or unreadable one.
void confereArquivo(const std::string& caminho) {
    sqlite3* c = nullptr;
    int rc = sqlite3_open_v2(caminho.c_str(), &c, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, FechaConexao> dono(c);
    if (rc != SQLITE_OK) throw Erro(c ? sqlite3_errmsg(c) : sqlite3_errstr(rc));
}

class ConexaoSqlite : public Conexao {
public:
    explicit ConexaoSqlite(std::string raiz) : raiz_(std::move(raiz)) {
        std::string caminho = arquivoDe(raiz_);
        sqlite3* c = nullptr;
        int rc = sqlite3_open_v2(caminho.c_str(), &c, SQLITE_OPEN_READWRITE, nullptr);
        con_.reset(c);
        if (rc != SQLITE_OK) throw Erro(c ? sqlite3_errmsg(c) : sqlite3_errstr(rc));
        sqlite3_extended_result_codes(c, 1);
        sqlite3_busy_timeout(c, EsperaOcupadoMs);
        preparaArquivo("main");
    }

    std::unique_ptr<Comando> prepara(const std::string& texto) override {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(con_.get(), texto.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            sqlite3_finalize(s);
            throw Erro(sqlite3_errmsg(con_.get()));
        }
        if (!s) throw Erro("comando vazio");
        return std::make_unique<ComandoSqlite>(con_.get(), s, transacao_);
    }

    void executa(const std::string& texto) override {
        transacao_->confere(con_.get());
        char* erro = nullptr;
        if (sqlite3_exec(con_.get(), texto.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
            std::string msg = erro ? erro : sqlite3_errmsg(con_.get());
            sqlite3_free(erro);
            transacao_->falhou(con_.get(), msg);
            throw Erro(msg);
        }
    }

    std::string usaDiretorio(const std::string& diretorio) override {
        if (diretorio == raiz_) return "\"main\".";
        auto it = anexos_.find(diretorio);
        if (it == anexos_.end()) {
            std::string caminho = arquivoDe(diretorio);
            confereArquivo(caminho);
            std::string nome = "d" + std::to_string(++contador_);
            auto anexa = prepara("ATTACH DATABASE ?1 AS " + sql::aspas(nome));
            anexa->liga(0, Valor(caminho));
            anexa->passo();
            try {
                preparaArquivo(nome);
            } catch (...) {
                executa("DETACH DATABASE " + sql::aspas(nome));
                throw;
            }
            it = anexos_.emplace(diretorio, Anexo{nome, 0}).first;
        }
        ++it->second.usos;
        return sql::aspas(it->second.nome) + ".";
    }

    void largaDiretorio(const std::string& diretorio) override {
        auto it = anexos_.find(diretorio);
        if (it == anexos_.end() || --it->second.usos > 0) return;
        if (sqlite3_get_autocommit(con_.get())) desanexa(it);
    }

    std::string descricao(const std::string& diretorio) const override {
        return arquivoDe(diretorio);
    }

    std::string nomeGuardado(const std::string& diretorio, const std::string& nome) override {
        std::string q = diretorio == raiz_ ? "\"main\"." : qualificador(diretorio);
        auto c = prepara("SELECT name FROM " + q +
                         "sqlite_schema WHERE type IN ('table','view') AND name = ?1 "
                         "COLLATE NOCASE");
        c->liga(0, Valor(nome));
        return c->passo() ? c->valor(0).comoTexto() : std::string();
    }

    std::vector<std::string> tabelas(const std::string& diretorio) override {
        std::string q = usaDiretorio(diretorio);
        std::vector<std::string> r;
        try {
            auto c = prepara("SELECT name FROM " + q +
                             "sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%' "
                             "ORDER BY rowid");
            while (c->passo())
                r.push_back(c->valor(0).comoTexto());
        } catch (...) {
            largaDiretorio(diretorio);
            throw;
        }
        largaDiretorio(diretorio);
        return r;
    }

    std::string semTabela(const std::string& nome) const override {
        return "no such table: " + nome;
    }

    std::string colunaLinha() const override { return "rowid"; }
    bool lideraIndice(const std::string& qualificador, const std::string& tabela,
                      const std::string& coluna) override {
        if (sql::mesmoNome(coluna, "rowid")) return true;
        // "\"d2\"." -> d2; a temporary table lives in temp.
        std::string esquema = qualificador.size() > 3
                                  ? qualificador.substr(1, qualificador.size() - 3)
                                  : std::string("temp");
        auto c = prepara("SELECT 1 FROM pragma_index_list(?1, ?2) AS l, "
                         "pragma_index_info(l.name, ?2) AS i "
                         "WHERE l.partial = 0 AND i.seqno = 0 AND i.name = ?3 COLLATE NOCASE");
        c->liga(0, Valor(tabela));
        c->liga(1, Valor(esquema));
        c->liga(2, Valor(coluna));
        return c->passo();
    }
    std::string igualOuNulo() const override { return "IS"; }
    std::string reescreve(std::string_view texto) const override { return sql::reescreve(texto); }
    std::string ascendente(const std::string& col) const override { return col; }
    std::string descendente(const std::string& col) const override { return col + " DESC"; }

    std::string materializa(const std::string& /*diretorio*/, const std::string& texto) override {
        executa("DROP TABLE IF EXISTS temp.notera_consulta");
        return "CREATE TEMP TABLE notera_consulta AS " + texto;
    }

    std::shared_ptr<Conexao> conexaoPropria(const std::string& diretorio) override {
        return std::make_shared<ConexaoSqlite>(diretorio);
    }

    void inicia() override {
        executa("BEGIN IMMEDIATE");
        *transacao_ = Transacao{true, {}};
    }
    void confirma() override {
        // A transaction the engine already rolled back reports its own error, not COMMIT's.
        transacao_->confere(con_.get());
        executa("COMMIT");
        transacao_->aberta = false;
        depoisDaTransacao();
    }
    void desfaz() override {
        transacao_->aberta = false;
        if (!sqlite3_get_autocommit(con_.get())) executa("ROLLBACK");
        depoisDaTransacao();
    }

private:
    struct Anexo {
        std::string nome;
        int usos;
    };

    std::string qualificador(const std::string& diretorio) const {
        auto it = anexos_.find(diretorio);
        if (it == anexos_.end()) throw Erro("diretório não aberto: " + diretorio);
        return sql::aspas(it->second.nome) + ".";
    }

    // Rollback journal kept in place (no file created and removed per commit), full sync.
    // Each commit truncates it to nothing, as a commit across files already does: a reader
    // takes an empty journal for none, but opens and reads a zeroed one at the start of every
    // statement to see whether it is hot, which doubled the cost of a lookup.
    void preparaArquivo(const std::string& nome) {
        std::string q = sql::aspas(nome);
        executa("PRAGMA " + q + ".journal_size_limit=0");
        if (!sqlite3_get_autocommit(con_.get())) {
            // Attached inside a transaction, where the modes cannot change: a rollback journal
            // (the default of a file not in WAL) keeps the commit atomic, WAL would not.
            auto modo = prepara("PRAGMA " + q + ".journal_mode");
            if (!modo->passo() || modo->valor(0).comoTexto() == "wal")
                throw Erro("arquivo em modo WAL aberto dentro de uma unidade de trabalho");
            return;
        }
        auto modo = prepara("PRAGMA " + q + ".journal_mode=PERSIST");
        if (!modo->passo() || modo->valor(0).comoTexto() != "persist")
            throw Erro("o arquivo continua em modo " + modo->valor(0).comoTexto() +
                       " (em uso por outro programa?)");
        executa("PRAGMA " + q + ".synchronous=FULL");
    }

    void desanexa(std::map<std::string, Anexo>::iterator it) {
        try {
            executa("DETACH DATABASE " + sql::aspas(it->second.nome));
            anexos_.erase(it);
        } catch (const Erro&) {
            // Still in use by a statement; tried again when the next transaction ends.
        }
    }

    void depoisDaTransacao() {
        for (auto it = anexos_.begin(); it != anexos_.end();) {
            auto proximo = std::next(it);
            if (it->second.usos <= 0) desanexa(it);
            it = proximo;
        }
    }

    std::string raiz_;
    std::unique_ptr<sqlite3, FechaConexao> con_;
    std::shared_ptr<Transacao> transacao_ = std::make_shared<Transacao>();
    std::map<std::string, Anexo> anexos_;
    int contador_ = 0;
};

} // namespace

std::shared_ptr<Conexao> abreSqlite(const std::string& raiz) {
    return std::make_shared<ConexaoSqlite>(raiz);
}

} // namespace db::motor
