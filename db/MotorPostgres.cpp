// PostgreSQL under the data sets, through libpq: one connection per data tree, one schema per
// directory. Tables carry a row identity column of their own (notera_linha), hidden from
// the fields. A unit of work is one transaction that first takes an advisory lock of the
// tree, so that units on the tree follow one another as they do on SQLite; reservations are
// session advisory locks, one per table.

#include "Motor.h"

#include "Sql.h"

#include <libpq-fe.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <utility>

namespace db::motor {

namespace {

// Type identifiers of the built-in types read here (pg_type.h).
constexpr Oid OidBool = 16, OidBytea = 17, OidInt8 = 20, OidInt2 = 21, OidInt4 = 23, OidOid = 26,
              OidFloat4 = 700, OidFloat8 = 701, OidNumeric = 1700, OidDate = 1082,
              OidTimestamp = 1114, OidTimestampTz = 1184, OidText = 25, OidVarchar = 1043,
              OidBpchar = 1042;

// The tree's write lock (two-key form, apart from the one-key reservation locks).
constexpr const char* TravaDaArvore = "SELECT pg_advisory_xact_lock(1315925331, 1)";
// The tree's lock not had within lock_timeout: another workstation is posting.
constexpr const char* EsperaPelaArvore =
    "Outra estação está gravando um lançamento; tente novamente.";

struct LimpaResultado {
    void operator()(PGresult* r) const { PQclear(r); }
};
using Resultado = std::unique_ptr<PGresult, LimpaResultado>;

std::string semQuebra(std::string s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

// The server's own words: its message, and the detail when it gives one.
std::string textoDoErro(const PGresult* r, PGconn* c) {
    const char* principal = r ? PQresultErrorField(r, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    if (!principal) return semQuebra(PQerrorMessage(c));
    std::string t = principal;
    if (const char* d = PQresultErrorField(r, PG_DIAG_MESSAGE_DETAIL))
        t += " (" + std::string(d) + ")";
    return t;
}

Tipo tipoDoOid(Oid t) {
    switch (t) {
    case OidBool:
    case OidInt2:
    case OidInt4:
    case OidInt8:
    case OidOid:
        return Tipo::Inteiro;
    case OidText:
    case OidVarchar:
    case OidBpchar:
        return Tipo::Texto;
    case OidFloat4:
    case OidFloat8:
        return Tipo::Flutuante;
    case OidNumeric:
        return Tipo::Dinheiro;
    case OidDate:
    case OidTimestamp:
    case OidTimestampTz:
        return Tipo::DataHora;
    case OidBytea:
        return Tipo::Imagem;
    default:
        return Tipo::Outro;
    }
}

// A NUMERIC as the server writes it: up to four decimals is money, exactly.
Valor numerico(std::string_view s) {
    auto ponto = s.find('.');
    if (ponto == std::string_view::npos) {
        std::int64_t n = 0;
        auto r = std::from_chars(s.data(), s.data() + s.size(), n);
        if (r.ec == std::errc() && r.ptr == s.data() + s.size()) return Valor(n);
        return Valor(std::strtod(std::string(s).c_str(), nullptr));
    }
    std::string_view frac = s.substr(ponto + 1);
    if (frac.size() <= 4) {
        bool negativo = !s.empty() && s[0] == '-';
        std::string_view inteiro = s.substr(negativo ? 1 : 0, ponto - (negativo ? 1 : 0));
        std::int64_t i = 0, f = 0;
        auto r1 = std::from_chars(inteiro.data(), inteiro.data() + inteiro.size(), i);
        auto r2 = std::from_chars(frac.data(), frac.data() + frac.size(), f);
        if (r1.ec == std::errc() && r2.ec == std::errc() && i < 922337203685477LL) {
            for (std::size_t k = frac.size(); k < 4; ++k)
                f *= 10;
            std::int64_t n = i * base::Dinheiro::Escala + f;
            return Valor(base::Dinheiro::deDezMilesimos(negativo ? -n : n));
        }
    }
    return Valor(std::strtod(std::string(s).c_str(), nullptr));
}

Valor valorDoTexto(Oid tipo, const char* p, int tamanho) {
    std::string_view s(p, static_cast<std::size_t>(tamanho));
    switch (tipo) {
    case OidBool:
        return Valor(std::int64_t(s == "t" ? 1 : 0));
    case OidInt2:
    case OidInt4:
    case OidInt8:
    case OidOid: {
        std::int64_t n = 0;
        std::from_chars(s.data(), s.data() + s.size(), n);
        return Valor(n);
    }
    case OidFloat4:
    case OidFloat8:
        return Valor(std::strtod(p, nullptr));
    case OidNumeric:
        return numerico(s);
    case OidTimestamp:
    case OidTimestampTz: {
        // As the SQLite store writes date-times: a whole day has no time part.
        std::string t(s);
        if (t.size() > 19 && t[19] == '.') t.erase(19);
        if (t.size() == 19 && t.compare(10, 9, " 00:00:00") == 0) t.erase(10);
        return Valor(std::move(t));
    }
    case OidBytea: {
        std::size_t n = 0;
        unsigned char* b = PQunescapeBytea(reinterpret_cast<const unsigned char*>(p), &n);
        if (!b) throw Erro("bytea ilegível");
        Bytes r(b, b + n);
        PQfreemem(b);
        return Valor(std::move(r));
    }
    default:
        return Valor(std::string(s));
    }
}

class ConexaoPg;

// A statement prepared on the server, shared by the commands of one text: data sets are
// opened and closed many times per posting, and each Parse and Describe is a round trip.
struct Preparado {
    std::string nome;
    std::string texto; // as sent, with $n parameters
    std::vector<std::string> parametros;
    std::uint64_t usado = 0; // when it was last handed out
    bool velho = false;      // kept from before its tables were found changed
};

// The server's code for an error.
std::string_view estadoDoErro(const PGresult* r) {
    const char* c = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
    return c ? c : "";
}

// A table changed under a statement kept from before: its result no longer matches.
bool planoMudou(const PGresult* r) {
    return estadoDoErro(r) == "0A000";
}

class ComandoPg : public Comando {
public:
    ComandoPg(ConexaoPg& dono, std::shared_ptr<Preparado> p)
        : dono_(dono), p_(std::move(p)), nome_(p_->nome), nomes_(p_->parametros),
          valores_(nomes_.size()), nulos_(nomes_.size(), true), formatos_(nomes_.size(), 0) {}

    const std::vector<std::string>& parametros() const override { return nomes_; }

    void liga(std::size_t k, const Valor& v) override {
        nulos_.at(k) = false;
        formatos_[k] = 0;
        std::visit(
            [&](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::monostate>) {
                    nulos_[k] = true;
                } else if constexpr (std::is_same_v<T, std::int64_t>) {
                    valores_[k] = std::to_string(x);
                } else if constexpr (std::is_same_v<T, double>) {
                    char buf[64];
                    auto r = std::to_chars(buf, buf + sizeof buf, x);
                    valores_[k].assign(buf, r.ptr);
                } else if constexpr (std::is_same_v<T, std::string>) {
                    // libpq passes C strings: a NUL inside would cut the text unseen.
                    if (x.find('\0') != std::string::npos)
                        throw Erro("texto com caractere nulo não pode ser gravado");
                    valores_[k] = x;
                } else if constexpr (std::is_same_v<T, base::Dinheiro>) {
                    // Exactly the count of ten-thousandths, as NUMERIC(19,4) keeps it.
                    const std::int64_t n = x.dezMilesimos();
                    const std::uint64_t m =
                        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
                    char buf[40];
                    std::snprintf(buf, sizeof buf, "%s%llu.%04llu", n < 0 ? "-" : "",
                                  static_cast<unsigned long long>(m / 10000),
                                  static_cast<unsigned long long>(m % 10000));
                    valores_[k] = buf;
                } else {
                    valores_[k].assign(x.begin(), x.end());
                    formatos_[k] = 1;
                }
            },
            v.dado());
    }

    void limpa() override {
        resultado_.reset();
        linha_ = -1;
        std::fill(nulos_.begin(), nulos_.end(), true);
    }

    bool passo() override;
    int colunas() const override { return resultado_ ? PQnfields(resultado_.get()) : 0; }

    Valor valor(int i) const override {
        PGresult* r = resultado_.get();
        if (!r || linha_ < 0 || linha_ >= PQntuples(r)) return {};
        if (PQgetisnull(r, linha_, i)) return {};
        return valorDoTexto(PQftype(r, i), PQgetvalue(r, linha_, i), PQgetlength(r, linha_, i));
    }

    std::int64_t alteradas() const override { return alteradas_; }
    std::vector<Coluna> descreve() override;

private:
    ConexaoPg& dono_;
    std::shared_ptr<Preparado> p_;
    const std::string& nome_;
    const std::vector<std::string>& nomes_;
    std::vector<std::string> valores_;
    std::vector<bool> nulos_;
    std::vector<int> formatos_;
    Resultado resultado_;
    int linha_ = -1;
    std::int64_t alteradas_ = 0;
};

class ConexaoPg : public Conexao {
public:
    ConexaoPg(std::string uri, std::string raiz) : uri_(std::move(uri)), raiz_(std::move(raiz)) {
        con_ = PQconnectdb(uri_.c_str());
        if (!con_ || PQstatus(con_) != CONNECTION_OK) {
            std::string msg = con_ ? semQuebra(PQerrorMessage(con_)) : "sem memória";
            PQfinish(con_);
            con_ = nullptr;
            throw Erro(msg);
        }
        // Notices are not shown; the server's farewell when it ends the session (a restart,
        // an administrator) marks the connection as gone before the next statement is sent.
        PQsetNoticeReceiver(
            con_,
            [](void* eu, const PGresult* r) {
                const char* g = PQresultErrorField(r, PG_DIAG_SEVERITY_NONLOCALIZED);
                if (g && (std::strcmp(g, "FATAL") == 0 || std::strcmp(g, "PANIC") == 0))
                    static_cast<ConexaoPg*>(eu)->encerrada_ = true;
            },
            this);
        // A workstation that froze inside a unit holds the tree's lock: the server ends its
        // session after a minute idle in it, so the others can post again.
        executa("SET client_encoding TO 'UTF8'; SET datestyle TO ISO, YMD; "
                "SET lock_timeout TO '15s'; SET idle_in_transaction_session_timeout TO '60s'");
    }
    ~ConexaoPg() override { PQfinish(con_); }

    PGconn* pg() const { return con_; }

    Resultado roda(const std::string& texto) {
        Resultado r(PQexec(con_, texto.c_str()));
        confere(r.get());
        return r;
    }

    void confere(const PGresult* r) {
        auto st = PQresultStatus(r);
        if (!r || (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)) {
            aposErro(r);
            throw Erro(textoDoErro(r, con_));
        }
    }

    // A table or column not where it was learnt to be, or a kept statement whose table
    // changed: what was learnt of the tables is forgotten, so that the next try asks again.
    void aposErro(const PGresult* r) {
        const auto estado = estadoDoErro(r);
        if (estado.substr(0, 2) == "42" || estado == "0A000") esqueceCatalogo();
    }

    // The statement parsed again under a new name; the old one goes when no transaction
    // would be hurt by it.
    void reprepara(Preparado& p) { pendentes_.push_back(std::exchange(p.nome, noServidor(p))); }

    // Parses the statement on the server under a name of its own, which it gives.
    std::string noServidor(const Preparado& p) {
        std::string nome = "notera_" + std::to_string(++contador_);
        Resultado r(PQprepare(con_, nome.c_str(), p.texto.c_str(),
                              static_cast<int>(p.parametros.size()), nullptr));
        confere(r.get());
        return nome;
    }

    // The transaction open now, 0 outside one.
    std::uint64_t transacaoAtual() const {
        return PQtransactionStatus(con_) == PQTRANS_INTRANS ? transacao_ : 0;
    }

    // A query of the catalogue with text parameters.
    Resultado pergunta(const std::string& texto, const std::vector<std::string>& params) {
        std::vector<const char*> v;
        for (auto& p : params)
            v.push_back(p.c_str());
        Resultado r(PQexecParams(con_, texto.c_str(), static_cast<int>(v.size()), nullptr, v.data(),
                                 nullptr, nullptr, 0));
        confere(r.get());
        return r;
    }

    std::unique_ptr<Comando> prepara(const std::string& texto) override {
        descartaPendentes();
        auto it = preparados_.find(texto);
        if (it == preparados_.end()) {
            auto novo = std::make_shared<Preparado>();
            novo->texto = sql::numeraParametros(texto, novo->parametros);
            novo->nome = noServidor(*novo);
            it = preparados_.emplace(texto, std::move(novo)).first;
            aposoPreparar();
        }
        it->second->usado = ++relogio_;
        return std::make_unique<ComandoPg>(*this, it->second);
    }

    // Anything run outside the data sets may change tables (an import, a schema made): what
    // was learnt of them is forgotten.
    void executa(const std::string& texto) override {
        esqueceCatalogo();
        roda(texto);
    }

    std::string usaDiretorio(const std::string& diretorio) override {
        std::string esquema = esquemaDe(raiz_, diretorio);
        if (!esquemasVistos_.count(esquema)) {
            auto r = pergunta("SELECT 1 FROM pg_namespace WHERE nspname = $1", {esquema});
            if (PQntuples(r.get()) == 0) throw Erro("schema \"" + esquema + "\" does not exist");
            esquemasVistos_.insert(esquema);
        }
        return sql::aspas(esquema) + ".";
    }
    void largaDiretorio(const std::string&) override {}

    std::string descricao(const std::string& diretorio) const override {
        return diretorio + " [" + esquemaDe(raiz_, diretorio) + "]";
    }

    std::string nomeGuardado(const std::string& diretorio, const std::string& nome) override {
        const std::string chave = esquemaDe(raiz_, diretorio) + "." + sql::minusculas(nome);
        if (auto it = nomes_.find(chave); it != nomes_.end() && it->second.first == nome)
            return it->second.second;
        auto r = pergunta("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON "
                          "n.oid = c.relnamespace WHERE n.nspname = $1 AND "
                          "lower(c.relname) = lower($2) AND c.relkind IN ('r', 'v', 'p') "
                          "ORDER BY c.relname = $2 DESC LIMIT 1",
                          {esquemaDe(raiz_, diretorio), nome});
        if (!PQntuples(r.get())) return {};
        // Only a table that is there is remembered: one made later is then found.
        std::string guardado = PQgetvalue(r.get(), 0, 0);
        nomes_[chave] = {nome, guardado};
        return guardado;
    }

    std::vector<std::string> tabelas(const std::string& diretorio) override {
        auto r = pergunta("SELECT c.relname FROM pg_class c JOIN pg_namespace n ON "
                          "n.oid = c.relnamespace WHERE n.nspname = $1 AND c.relkind = 'r' "
                          "ORDER BY c.oid",
                          {esquemaDe(raiz_, diretorio)});
        std::vector<std::string> v;
        for (int i = 0; i < PQntuples(r.get()); ++i)
            v.push_back(PQgetvalue(r.get(), i, 0));
        return v;
    }

    std::vector<std::string> diretorios() override {
        // The path kept with each schema when it was made; else the schema's name.
        auto r = pergunta("SELECT n.nspname, coalesce(obj_description(n.oid, 'pg_namespace'), "
                          "'') FROM pg_namespace n WHERE EXISTS (SELECT 1 FROM pg_class c WHERE "
                          "c.relnamespace = n.oid AND c.relkind = 'r') AND n.nspname NOT LIKE "
                          "'pg\\_%' AND n.nspname <> 'information_schema' ORDER BY 1",
                          {});
        std::vector<std::string> v;
        for (int i = 0; i < PQntuples(r.get()); ++i) {
            std::string caminho = PQgetvalue(r.get(), i, 1);
            std::string nome = PQgetvalue(r.get(), i, 0);
            if (caminho.empty() || esquemaDe("/r", "/r/" + caminho) != nome) {
                caminho = nome;
                for (auto& c : caminho)
                    if (c == '_') c = '/';
            }
            v.push_back(caminho);
        }
        return v;
    }

    std::string semTabela(const std::string& nome) const override {
        return "relation \"" + sql::minusculas(nome) + "\" does not exist";
    }

    std::string colunaLinha() const override { return "notera_linha"; }
    bool lideraIndice(const std::string& qualificador, const std::string& tabela,
                      const std::string& coluna) override {
        descartaPendentes();
        // A temporary table is made anew with each query: its indexes are asked each time.
        const std::string chave = qualificador + sql::aspas(tabela) + "." + coluna;
        if (!qualificador.empty())
            if (auto it = indices_.find(chave); it != indices_.end()) return it->second;
        // Whole indexes only, in the column's own collation (text columns are "C"), so
        // that the data sets' ranges and orders read them.
        auto r = pergunta("SELECT 1 FROM pg_index i JOIN pg_attribute a ON "
                          "a.attrelid = i.indrelid AND a.attnum = i.indkey[0] "
                          "WHERE i.indrelid = to_regclass($1) AND a.attname = $2 "
                          "AND i.indpred IS NULL AND i.indcollation[0] IN (0, a.attcollation)",
                          {qualificador + sql::aspas(tabela), coluna});
        const bool lidera = PQntuples(r.get()) > 0;
        if (!qualificador.empty()) indices_[chave] = lidera;
        return lidera;
    }
    bool textoEstrito() const override { return true; }
    std::string igualOuNulo() const override { return "IS NOT DISTINCT FROM"; }
    std::string reescreve(std::string_view texto) const override {
        return sql::reescrevePostgres(texto);
    }
    // Indexes are made NULLS FIRST, so both orders read them forwards or backwards.
    std::string ascendente(const std::string& col) const override { return col + " NULLS FIRST"; }
    std::string descendente(const std::string& col) const override {
        return col + " DESC NULLS LAST";
    }
    std::string travaLinha() const override {
        return PQtransactionStatus(con_) == PQTRANS_INTRANS ? " FOR UPDATE" : "";
    }

    std::string materializa(const std::string&, const std::string& texto) override {
        executa("DROP TABLE IF EXISTS pg_temp.notera_consulta");
        return "CREATE TEMP TABLE notera_consulta AS SELECT q.*, row_number() OVER () AS "
               "notera_linha FROM (" +
               texto + ") q";
    }

    std::shared_ptr<Conexao> conexaoPropria(const std::string& diretorio) override {
        auto c = std::make_shared<ConexaoPg>(uri_, raiz_);
        c->executa("SET search_path TO " + sql::aspas(esquemaDe(raiz_, diretorio)));
        return c;
    }

    void inicia() override {
        ++transacao_;
        roda("BEGIN");
        try {
            Resultado r(PQexec(con_, TravaDaArvore));
            if (PQresultStatus(r.get()) != PGRES_TUPLES_OK && estadoDoErro(r.get()) == "55P03")
                throw Erro(std::string(EsperaPelaArvore) + " " + textoDoErro(r.get(), con_));
            confere(r.get());
        } catch (...) {
            desfaz();
            throw;
        }
    }
    void confirma() override {
        if (PQtransactionStatus(con_) == PQTRANS_INERROR)
            throw Erro("a transação falhou antes da confirmação");
        auto r = roda("COMMIT");
        if (std::strcmp(PQcmdStatus(r.get()), "COMMIT") != 0)
            throw Erro("a transação não foi confirmada: " + std::string(PQcmdStatus(r.get())));
        descartaPendentes();
    }
    void desfaz() override {
        if (PQtransactionStatus(con_) != PQTRANS_IDLE) roda("ROLLBACK");
        descartaPendentes();
    }

    // A server that restarted has closed the socket: reading what waits on it tells at no
    // round trip, so that the next statement goes to a new connection instead of failing.
    bool viva() const override {
        if (PQstatus(con_) == CONNECTION_OK && PQtransactionStatus(con_) == PQTRANS_IDLE)
            PQconsumeInput(con_);
        return PQstatus(con_) == CONNECTION_OK && !encerrada_;
    }

    bool temReservas() const override { return true; }
    bool tentaReservar(const std::string& diretorio, const std::string& tabela) override {
        auto r = pergunta("SELECT pg_try_advisory_lock(hashtextextended($1, 0))",
                          {chaveDe(diretorio, tabela)});
        return std::strcmp(PQgetvalue(r.get(), 0, 0), "t") == 0;
    }
    void libera(const std::string& diretorio, const std::string& tabela) override {
        pergunta("SELECT pg_advisory_unlock(hashtextextended($1, 0))",
                 {chaveDe(diretorio, tabela)});
    }

    // Names of a table's columns by number, read again when asked for one not known (a
    // column added since).
    const std::map<int, std::string>& colunasDe(Oid tabela, int coluna, std::string& nome) {
        auto it = tabelas_.find(tabela);
        if (it != tabelas_.end() && !it->second.colunas.count(coluna)) {
            tabelas_.erase(it);
            it = tabelas_.end();
        }
        if (it == tabelas_.end()) {
            Tab t;
            auto r =
                pergunta("SELECT relname FROM pg_class WHERE oid = $1", {std::to_string(tabela)});
            if (PQntuples(r.get())) t.nome = PQgetvalue(r.get(), 0, 0);
            auto a = pergunta("SELECT attnum, attname FROM pg_attribute WHERE attrelid = $1 AND "
                              "attnum > 0 AND NOT attisdropped",
                              {std::to_string(tabela)});
            for (int i = 0; i < PQntuples(a.get()); ++i)
                t.colunas[std::atoi(PQgetvalue(a.get(), i, 0))] = PQgetvalue(a.get(), i, 1);
            it = tabelas_.emplace(tabela, std::move(t)).first;
        }
        nome = it->second.nome;
        return it->second.colunas;
    }

    // A text's columns, parsed afresh as the unnamed statement: a table remade by another
    // workstation is seen as it now is. Kept for the rest of the transaction, during which
    // the server keeps a table so read from being altered. A table found changed since it
    // was last described here makes every kept statement go.
    std::vector<Coluna> descreveTexto(const std::string& texto) override {
        const std::uint64_t agora = transacaoAtual();
        auto it = descricoes_.find(texto);
        if (it != descricoes_.end() && agora && it->second.first == agora) return it->second.second;
        std::vector<std::string> nomes;
        const std::string numerado = sql::numeraParametros(texto, nomes);
        Resultado p(PQprepare(con_, "", numerado.c_str(), static_cast<int>(nomes.size()), nullptr));
        confere(p.get());
        auto c = colunasDoPreparado("");
        if (it != descricoes_.end() && it->second.second != c) esqueceCatalogo();
        descricoes_[texto] = {agora, c};
        return c;
    }

    std::vector<Coluna> colunasDoPreparado(const std::string& nome) {
        Resultado r(PQdescribePrepared(con_, nome.c_str()));
        confere(r.get());
        std::vector<Coluna> c;
        for (int i = 0; i < PQnfields(r.get()); ++i) {
            Coluna col{PQfname(r.get(), i), tipoDoOid(PQftype(r.get(), i)), "", ""};
            Oid t = PQftable(r.get(), i);
            int n = PQftablecol(r.get(), i);
            if (t != InvalidOid && n > 0) {
                const auto& cols = colunasDe(t, n, col.tabela);
                auto k = cols.find(n);
                if (k != cols.end()) col.origem = k->second;
            }
            c.push_back(std::move(col));
        }
        return c;
    }

private:
    // Statements kept beyond their commands; past this many the least used of those no
    // command holds are dropped.
    static constexpr std::size_t MaxPreparados = 256;

    void aposoPreparar() {
        if (preparados_.size() <= MaxPreparados) return;
        std::vector<std::pair<std::uint64_t, std::string>> livres;
        for (auto& [texto, p] : preparados_)
            if (p.use_count() == 1) livres.emplace_back(p->usado, texto);
        std::sort(livres.begin(), livres.end());
        for (std::size_t k = 0; k < livres.size() && preparados_.size() > MaxPreparados / 2; ++k) {
            auto it = preparados_.find(livres[k].second);
            pendentes_.push_back(it->second->nome);
            preparados_.erase(it);
        }
    }

    void esqueceCatalogo() {
        nomes_.clear();
        indices_.clear();
        tabelas_.clear();
        descricoes_.clear();
        for (auto& [texto, p] : preparados_)
            orfaos_.push_back(std::move(p));
        preparados_.clear();
        for (auto& p : orfaos_)
            p->velho = true;
    }

    // Statements forgotten while a command still used them go once it is gone.
    void recolheOrfaos() {
        std::erase_if(orfaos_, [&](const std::shared_ptr<Preparado>& p) {
            if (p.use_count() > 1) return false;
            pendentes_.push_back(p->nome);
            return true;
        });
    }

    std::string chaveDe(const std::string& diretorio, const std::string& tabela) const {
        return "notera:" + esquemaDe(raiz_, diretorio) + "." + tabela;
    }

    // Statements are dropped when no transaction would be hurt by it.
    void descartaPendentes() {
        recolheOrfaos();
        if (pendentes_.empty() || PQtransactionStatus(con_) != PQTRANS_IDLE) return;
        std::string t;
        for (auto& n : pendentes_)
            t += "DEALLOCATE " + n + ";";
        pendentes_.clear();
        Resultado r(PQexec(con_, t.c_str()));
    }

    struct Tab {
        std::string nome;
        std::map<int, std::string> colunas;
    };

    std::string uri_, raiz_;
    PGconn* con_ = nullptr;
    bool encerrada_ = false; // the server said it ends this session
    int contador_ = 0;
    std::set<std::string> esquemasVistos_;
    std::map<Oid, Tab> tabelas_;
    std::map<std::string, std::pair<std::string, std::string>> nomes_; // key -> asked, stored
    std::map<std::string, bool> indices_;
    // Text -> the transaction it was described in (0: none) and its columns.
    std::map<std::string, std::pair<std::uint64_t, std::vector<Coluna>>> descricoes_;
    std::map<std::string, std::shared_ptr<Preparado>> preparados_; // by text
    std::vector<std::shared_ptr<Preparado>> orfaos_;
    std::uint64_t relogio_ = 0;
    std::uint64_t transacao_ = 0;
    std::vector<std::string> pendentes_;
};

bool ComandoPg::passo() {
    if (!resultado_) {
        std::vector<const char*> v(nomes_.size());
        std::vector<int> tamanhos(nomes_.size());
        for (std::size_t k = 0; k < nomes_.size(); ++k) {
            v[k] = nulos_[k] ? nullptr : valores_[k].c_str();
            tamanhos[k] = static_cast<int>(valores_[k].size());
        }
        const bool foraDeTransacao = PQtransactionStatus(dono_.pg()) == PQTRANS_IDLE;
        if (p_->velho) {
            // A data set's command kept from before: parsed again against the tables as
            // they are now.
            dono_.reprepara(*p_);
            p_->velho = false;
        }
        auto executa = [&] {
            resultado_.reset(PQexecPrepared(dono_.pg(), nome_.c_str(), static_cast<int>(v.size()),
                                            v.data(), tamanhos.data(), formatos_.data(), 0));
        };
        executa();
        if (foraDeTransacao && planoMudou(resultado_.get())) {
            // Its table was remade since it was kept; alone, it can simply run again.
            resultado_.reset();
            dono_.reprepara(*p_);
            executa();
        }
        auto st = PQresultStatus(resultado_.get());
        if (!resultado_ || (st != PGRES_COMMAND_OK && st != PGRES_TUPLES_OK)) {
            std::string msg = textoDoErro(resultado_.get(), dono_.pg());
            dono_.aposErro(resultado_.get());
            resultado_.reset();
            throw Erro(msg);
        }
        const char* n = PQcmdTuples(resultado_.get());
        alteradas_ = n && *n ? std::atoll(n) : 0;
        linha_ = -1;
    }
    ++linha_;
    return linha_ < PQntuples(resultado_.get());
}

std::vector<Coluna> ComandoPg::descreve() {
    return dono_.colunasDoPreparado(nome_);
}

} // namespace

std::shared_ptr<Conexao> abrePostgres(const std::string& uri, const std::string& raiz) {
    return std::make_shared<ConexaoPg>(uri, raiz);
}

} // namespace db::motor
