#include "Conjunto.h"

#include "Sql.h"

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <type_traits>
#include <variant>

namespace db {

namespace {

constexpr int EsperaOcupadoMs = 15000;
constexpr const char* TabelaTemporaria = "temp.notera_consulta";

struct FechaConexao {
    void operator()(sqlite3* c) const { sqlite3_close_v2(c); }
};
struct Finaliza {
    void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Conexao = std::unique_ptr<sqlite3, FechaConexao>;
using Comando = std::unique_ptr<sqlite3_stmt, Finaliza>;

// A cached statement in use; reset when done so that no read transaction stays open
// (an open one would pin an old snapshot and block this connection's writes).
class Uso {
public:
    explicit Uso(sqlite3_stmt* s) : s_(s) {}
    ~Uso() { sqlite3_reset(s_); }
    Uso(const Uso&) = delete;
    Uso& operator=(const Uso&) = delete;
    operator sqlite3_stmt*() const { return s_; }

private:
    sqlite3_stmt* s_;
};

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

Valor valorDaColuna(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
        return Valor(static_cast<std::int64_t>(sqlite3_column_int64(s, i)));
    case SQLITE_FLOAT:
        return Valor(sqlite3_column_double(s, i));
    case SQLITE_TEXT: {
        auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        return Valor(std::string(p, static_cast<std::size_t>(sqlite3_column_bytes(s, i))));
    }
    case SQLITE_BLOB: {
        auto* p = static_cast<const unsigned char*>(sqlite3_column_blob(s, i));
        return Valor(Bytes(p, p + sqlite3_column_bytes(s, i)));
    }
    default:
        return {};
    }
}

// Smallest text above every text that begins with |p|, byte-wise; empty when none.
std::optional<std::string> acimaDoPrefixo(std::string p) {
    while (!p.empty()) {
        auto& c = reinterpret_cast<unsigned char&>(p.back());
        if (c != 0xFF) {
            ++c;
            return p;
        }
        p.pop_back();
    }
    return std::nullopt;
}

// SQLite's order of values under the BINARY collation: NULL, numbers, texts, blobs.
int comparaValores(const Valor& a, const Valor& b) {
    auto classe = [](const Valor& v) {
        const auto& d = v.dado();
        if (std::holds_alternative<std::monostate>(d)) return 0;
        if (std::holds_alternative<std::string>(d)) return 2;
        if (std::holds_alternative<Bytes>(d)) return 3;
        return 1; // integers, floating values and money
    };
    int ca = classe(a), cb = classe(b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
    if (ca == 1) {
        auto* ia = std::get_if<std::int64_t>(&a.dado());
        auto* ib = std::get_if<std::int64_t>(&b.dado());
        if (ia && ib) return *ia < *ib ? -1 : (*ia > *ib ? 1 : 0);
        double da = a.comoDouble(), db = b.comoDouble();
        return da < db ? -1 : (da > db ? 1 : 0);
    }
    auto bytes = [](const Valor& v) -> std::string_view {
        if (auto* t = std::get_if<std::string>(&v.dado())) return *t;
        const auto& b = std::get<Bytes>(v.dado());
        return {reinterpret_cast<const char*>(b.data()), b.size()};
    };
    int c = bytes(a).compare(bytes(b));
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// (order value, row id) pairs in the data set's order.
bool antesNaOrdem(const Marcador& a, const Marcador& b) {
    int c = comparaValores(a.ordem, b.ordem);
    return c != 0 ? c < 0 : a.linha < b.linha;
}

} // namespace

struct Conjunto::Impl {
    struct Calc {
        std::string nome;
        Tipo tipo;
        Calculo calculo;
        std::size_t posicao;
    };

    // Configuration.
    bool ehConsulta = false;
    std::string diretorio, nomeTabela;
    std::vector<std::string> linhas;
    std::vector<std::pair<std::string, Valor>> parametros;
    std::vector<Calc> calculados;
    std::string ordemPedida;
    bool somenteLeitura = false;

    // Open state.
    Conexao con;
    std::string caminho, contexto;
    std::string tabela;   // quoted base table
    std::string lista;    // select list
    std::string condicao; // "" or a condition
    bool atualizavel = false;
    std::shared_ptr<std::vector<Campo>> campos;
    std::vector<std::string> origem;           // per field: quoted base column, "" if none
    std::vector<std::size_t> visDePersistente; // stored column k -> field index
    std::vector<std::size_t> indiceCalc;       // calculated field k -> field index
    std::string nomeBase;                      // unquoted base table; "" when materialised
    std::vector<std::string> colunaOrigem;     // per field: unquoted base column, "" if none
    std::string ordem;                         // quoted base column; "" = row id
    std::string colunaOrdem;                   // unquoted ordem
    std::string nomeOrdem;
    mutable std::map<std::string, bool> indexada; // base column -> first column of an index
    mutable std::map<std::string, Comando> cache;

    std::optional<Registro> atual;
    bool bof = true, eof = true;
    Estado estado = Estado::Fechado;
    std::vector<Valor> buffer, original;
    std::vector<bool> alterado;

    [[noreturn]] void falha(const std::string& oque) const {
        std::string msg = contexto.empty() ? oque : contexto + ": " + oque;
        throw Erro(msg);
    }
    [[noreturn]] void falhaSqlite() const { falha(sqlite3_errmsg(con.get())); }

    void exige(bool aberto) const {
        if (aberto && !con) falha("operação impossível com o conjunto de dados fechado");
    }

    Uso prepara(const std::string& texto) const {
        auto it = cache.find(texto);
        if (it == cache.end()) {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(con.get(), texto.c_str(), -1, &s, nullptr) != SQLITE_OK) {
                sqlite3_finalize(s);
                falhaSqlite();
            }
            it = cache.emplace(texto, Comando(s)).first;
        }
        sqlite3_reset(it->second.get());
        sqlite3_clear_bindings(it->second.get());
        ligaParametros(it->second.get());
        return Uso(it->second.get());
    }

    static void liga(sqlite3_stmt* s, int i, const Valor& v) {
        std::visit(
            [&](const auto& x) {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    sqlite3_bind_null(s, i);
                else if constexpr (std::is_same_v<T, std::int64_t>)
                    sqlite3_bind_int64(s, i, x);
                else if constexpr (std::is_same_v<T, double>)
                    sqlite3_bind_double(s, i, x);
                else if constexpr (std::is_same_v<T, std::string>)
                    sqlite3_bind_text64(s, i, x.data(), x.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
                else if constexpr (std::is_same_v<T, base::Dinheiro>)
                    sqlite3_bind_double(s, i, x.emReais()); // stored as REAL reais
                else if (x.empty())
                    sqlite3_bind_zeroblob(s, i, 0);
                else
                    sqlite3_bind_blob64(s, i, x.data(), x.size(), SQLITE_TRANSIENT);
            },
            v.dado());
    }

    static void liga(sqlite3_stmt* s, const std::string& nome, const Valor& v) {
        int i = sqlite3_bind_parameter_index(s, nome.c_str());
        if (i > 0) liga(s, i, v);
    }

    // The query's own :NAME parameters; "@" names belong to this layer.
    void ligaParametros(sqlite3_stmt* s) const {
        for (int i = 1; i <= sqlite3_bind_parameter_count(s); ++i) {
            const char* n = sqlite3_bind_parameter_name(s, i);
            if (n && n[0] == '@') continue;
            std::string_view nome = n ? n + 1 : "";
            auto it = std::find_if(parametros.begin(), parametros.end(),
                                   [&](auto& p) { return sql::mesmoNome(p.first, nome); });
            if (it == parametros.end()) falha("parâmetro sem valor: " + std::string(n ? n : "?"));
            liga(s, i, it->second);
        }
    }

    bool passo(sqlite3_stmt* s) const {
        int rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) falhaSqlite();
        return false;
    }

    void executa(const std::string& texto) const {
        char* erro = nullptr;
        if (sqlite3_exec(con.get(), texto.c_str(), nullptr, nullptr, &erro) != SQLITE_OK) {
            std::string msg = erro ? erro : sqlite3_errmsg(con.get());
            sqlite3_free(erro);
            falha(msg);
        }
    }

    std::string ordemOuLinha() const { return ordem.empty() ? tabela + ".rowid" : ordem; }

    // SELECT of the stored columns, row id and order value.
    std::string selecao(const std::string& filtro, const std::string& resto,
                        bool comCondicao = true) const {
        std::string s =
            "SELECT " + lista + ", " + tabela + ".rowid, " + ordemOuLinha() + " FROM " + tabela;
        std::string onde;
        if (comCondicao && !condicao.empty()) onde = "(" + condicao + ")";
        if (!filtro.empty()) onde += (onde.empty() ? "" : " AND ") + filtro;
        if (!onde.empty()) s += " WHERE " + onde;
        return s + " " + resto;
    }

    std::string ordemAsc() const {
        return ordem.empty() ? "ORDER BY " + tabela + ".rowid"
                             : "ORDER BY " + ordem + ", " + tabela + ".rowid";
    }
    std::string ordemDesc() const {
        return ordem.empty() ? "ORDER BY " + tabela + ".rowid DESC"
                             : "ORDER BY " + ordem + " DESC, " + tabela + ".rowid DESC";
    }

    Registro monta(sqlite3_stmt* s) const {
        Registro r;
        r.campos_ = campos;
        r.valores_.resize(campos->size());
        std::size_t n = visDePersistente.size();
        for (std::size_t k = 0; k < n; ++k)
            r.valores_[visDePersistente[k]] = valorDaColuna(s, static_cast<int>(k));
        r.marcador_.linha = sqlite3_column_int64(s, static_cast<int>(n));
        r.marcador_.ordem = valorDaColuna(s, static_cast<int>(n + 1));
        calcula(r);
        return r;
    }

    void calcula(Registro& r) const {
        for (std::size_t k = 0; k < calculados.size(); ++k)
            r.valores_[indiceCalc[k]] = calculados[k].calculo(r);
    }

    // Up to |n| rows after (or before) the marker, in the direction of reading. |lista|
    // replaces the select list (the row id and order value still follow it), and |porLinha|
    // receives each row's statement; the default reads whole records.
    // |m| is a copy: callers move their own marker as rows arrive.
    template <class F>
    void percorre(const std::optional<Marcador> m, bool apos, std::size_t n,
                  const std::string& listaSel, F&& porLinha) const {
        std::size_t lidos = 0;
        auto segmento = [&](const std::string& filtro, bool comOrdem, bool comLinha,
                            const std::string& ordenacao) {
            if (lidos >= n) return;
            std::string texto = selecao(filtro, ordenacao + " LIMIT @n");
            if (!listaSel.empty()) texto.replace(7, lista.size(), listaSel);
            Uso s = prepara(texto);
            if (comOrdem) liga(s, "@o", m->ordem);
            if (comLinha) liga(s, "@r", Valor(m->linha));
            liga(s, "@n", Valor(static_cast<std::int64_t>(n - lidos)));
            while (passo(s)) {
                ++lidos;
                porLinha(static_cast<sqlite3_stmt*>(s));
            }
        };
        std::string linha = tabela + ".rowid";
        if (ordem.empty()) {
            std::string f = m ? linha + (apos ? " > @r" : " < @r") : "";
            segmento(f, false, m.has_value(), apos ? ordemAsc() : ordemDesc());
            return;
        }
        // NULL order values come first, among themselves in row order.
        std::string nulos = ordem + " IS NULL";
        std::string valores = ordem + " IS NOT NULL";
        std::string porLinhaAsc = "ORDER BY " + linha, porLinhaDesc = "ORDER BY " + linha + " DESC";
        bool marcadorNulo = m && m->ordem.ehNulo();
        if (apos) {
            if (!m)
                segmento(nulos, false, false, porLinhaAsc);
            else if (marcadorNulo)
                segmento(nulos + " AND " + linha + " > @r", false, true, porLinhaAsc);
            if (!m || marcadorNulo)
                segmento(valores, false, false, ordemAsc());
            else
                segmento("(" + ordem + ", " + linha + ") > (@o, @r)", true, true, ordemAsc());
        } else {
            if (marcadorNulo) {
                segmento(nulos + " AND " + linha + " < @r", false, true, porLinhaDesc);
                return;
            }
            if (!m)
                segmento(valores, false, false, ordemDesc());
            else
                segmento("(" + ordem + ", " + linha + ") < (@o, @r)", true, true, ordemDesc());
            segmento(nulos, false, false, porLinhaDesc);
        }
    }

    std::vector<Registro> le(const std::optional<Marcador>& m, bool apos, std::size_t n) const {
        std::vector<Registro> r;
        percorre(m, apos, n, {}, [&](sqlite3_stmt* s) { r.push_back(monta(s)); });
        return r;
    }

    std::optional<Registro> lePorLinha(std::int64_t linha, bool comCondicao) const {
        Uso s = prepara(selecao(tabela + ".rowid = @r", "", comCondicao));
        liga(s, "@r", Valor(linha));
        if (!passo(s)) return std::nullopt;
        return monta(s);
    }

    std::size_t indice(std::string_view nome) const {
        for (std::size_t i = 0; i < campos->size(); ++i)
            if (sql::mesmoNome((*campos)[i].nome, nome)) return i;
        falha("campo não encontrado: " + std::string(nome));
    }

    const std::string& colunaBase(std::string_view nome) const {
        std::size_t i = indice(nome);
        if (origem[i].empty())
            falha("o campo " + std::string(nome) + " não é uma coluna da tabela");
        return origem[i];
    }

    bool lideraIndice(const std::string& coluna) const;
    std::optional<Registro> primeiroComPrefixo(const std::string& prefixo, std::size_t campo) const;

    void garanteNavegacao(Conjunto& dono);
    void abre(Conjunto& dono);
    void resolveOrdem();
};

// ---------------------------------------------------------------------------------------

const Valor& Registro::operator[](std::string_view nome) const {
    if (campos_)
        for (std::size_t i = 0; i < campos_->size(); ++i)
            if (sql::mesmoNome((*campos_)[i].nome, nome)) return valores_[i];
    throw Erro("campo não encontrado: " + std::string(nome));
}

const std::vector<Campo>& Registro::campos() const {
    static const std::vector<Campo> nenhum;
    return campos_ ? *campos_ : nenhum;
}

Conjunto::Conjunto() : impl_(std::make_unique<Impl>()) {}
Conjunto::Conjunto(Conjunto&&) noexcept = default;
Conjunto& Conjunto::operator=(Conjunto&&) noexcept = default;
Conjunto::~Conjunto() = default;

void Conjunto::defineDiretorio(std::string d) {
    impl_->diretorio = std::move(d);
}
const std::string& Conjunto::diretorio() const {
    return impl_->diretorio;
}

void Conjunto::defineSomenteLeitura(bool somenteLeitura) {
    impl_->somenteLeitura = somenteLeitura;
}

void Conjunto::adicionaCalculado(std::string nome, Tipo tipo, Calculo calculo,
                                 std::size_t posicao) {
    impl_->calculados.push_back({std::move(nome), tipo, std::move(calculo), posicao});
}

void Conjunto::Impl::abre(Conjunto& /*dono*/) {
    std::string dir = diretorio;
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    caminho = dir + "/tabelas.sqlite";
    std::string descricao = ehConsulta ? std::string("consulta") : "tabela " + nomeTabela;
    contexto = caminho + ", " + descricao;

    sqlite3* c = nullptr;
    int rc =
        sqlite3_open_v2(caminho.c_str(), &c,
                        somenteLeitura ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
    con.reset(c);
    if (rc != SQLITE_OK) {
        std::string msg = c ? sqlite3_errmsg(c) : sqlite3_errstr(rc);
        con.reset();
        falha(msg);
    }
    sqlite3_extended_result_codes(con.get(), 1);
    sqlite3_busy_timeout(con.get(), EsperaOcupadoMs);
    // The journal mode is the writers' choice; a reader leaves the file as it is.
    if (!somenteLeitura) executa("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL;");

    auto nomeCanonico = [&](const std::string& nome) -> std::string {
        Uso s = prepara("SELECT name FROM sqlite_schema WHERE type IN ('table','view') "
                        "AND name = @n COLLATE NOCASE");
        liga(s, "@n", Valor(sql::semSufixoDb(nome)));
        if (passo(s)) return reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
        return sql::semSufixoDb(nome);
    };

    std::string base;
    std::string texto;
    if (!ehConsulta) {
        if (nomeTabela.empty()) falha("nome da tabela não definido");
        base = nomeCanonico(nomeTabela);
        lista = "*";
        condicao.clear();
        texto = "SELECT * FROM " + sql::aspas(base);
    } else {
        std::string junto;
        for (auto& l : linhas)
            junto += l + "\n";
        texto = sql::reescreve(junto);
        if (auto f = sql::formaSimples(texto)) {
            base = nomeCanonico(f->tabela);
            lista = f->lista;
            condicao = f->condicao;
            texto = "SELECT " + lista + " FROM " + sql::aspas(base) +
                    (condicao.empty() ? "" : " WHERE " + condicao);
        }
    }

    // Prepared without running: validates the text (SQLite's own errors) and gives metadata.
    Uso meta = prepara(texto);
    int n = sqlite3_column_count(meta);
    std::vector<Campo> persistentes;
    std::vector<std::string> origens, nomesOrigem;
    for (int i = 0; i < n; ++i) {
        Campo cp{sqlite3_column_name(meta, i), tipoDeclarado(sqlite3_column_decltype(meta, i)),
                 false};
        const char* tab = sqlite3_column_table_name(meta, i);
        const char* col = sqlite3_column_origin_name(meta, i);
        bool direta = !base.empty() && tab && col && sql::mesmoNome(tab, base);
        origens.push_back(direta ? sql::aspas(base) + "." + sql::aspas(col) : "");
        nomesOrigem.push_back(direta ? col : "");
        persistentes.push_back(std::move(cp));
    }

    if (base.empty()) {
        // Not a single-table query: materialise it once, then read it like a table.
        executa(std::string("DROP TABLE IF EXISTS ") + TabelaTemporaria);
        Uso cria = prepara(std::string("CREATE TEMP TABLE notera_consulta AS ") + texto);
        passo(cria);
        tabela = TabelaTemporaria;
        lista = "*";
        condicao.clear();
        atualizavel = false;
        nomeBase.clear();
        origens.assign(persistentes.size(), "");
        nomesOrigem.assign(persistentes.size(), "");
        Uso m2 = prepara(std::string("SELECT * FROM ") + TabelaTemporaria);
        for (int i = 0; i < n; ++i) {
            origens[static_cast<std::size_t>(i)] =
                std::string(TabelaTemporaria) + "." + sql::aspas(sqlite3_column_name(m2, i));
            nomesOrigem[static_cast<std::size_t>(i)] = sqlite3_column_name(m2, i);
        }
    } else {
        tabela = sql::aspas(base);
        nomeBase = base;
        atualizavel = !somenteLeitura && std::all_of(origens.begin(), origens.end(),
                                                     [](auto& o) { return !o.empty(); });
    }

    // Field order: stored columns with the calculated fields inserted at their positions.
    campos = std::make_shared<std::vector<Campo>>(persistentes);
    origem = origens;
    colunaOrigem = nomesOrigem;
    indexada.clear();
    std::vector<bool> ehCalc(persistentes.size(), false);
    for (auto& c : calculados) {
        std::size_t p = std::min(c.posicao, campos->size());
        campos->insert(campos->begin() + static_cast<std::ptrdiff_t>(p),
                       Campo{c.nome, c.tipo, true});
        origem.insert(origem.begin() + static_cast<std::ptrdiff_t>(p), "");
        colunaOrigem.insert(colunaOrigem.begin() + static_cast<std::ptrdiff_t>(p), "");
        ehCalc.insert(ehCalc.begin() + static_cast<std::ptrdiff_t>(p), true);
    }
    visDePersistente.clear();
    indiceCalc.clear();
    for (std::size_t i = 0; i < ehCalc.size(); ++i)
        if (!ehCalc[i]) visDePersistente.push_back(i);
    for (auto& c : calculados)
        for (std::size_t i = 0; i < campos->size(); ++i)
            if ((*campos)[i].calculado && (*campos)[i].nome == c.nome) indiceCalc.push_back(i);

    resolveOrdem();
    estado = Estado::Navegando;
}

void Conjunto::Impl::resolveOrdem() {
    ordem.clear();
    colunaOrdem.clear();
    nomeOrdem = ordemPedida;
    if (!ordemPedida.empty()) {
        ordem = colunaBase(ordemPedida);
        colunaOrdem = colunaOrigem[indice(ordemPedida)];
        nomeOrdem = (*campos)[indice(ordemPedida)].nome;
    } else if (ehConsulta && !visDePersistente.empty() && !origem[visDePersistente[0]].empty()) {
        // A query's natural order: ascending by its first column.
        ordem = origem[visDePersistente[0]];
        colunaOrdem = colunaOrigem[visDePersistente[0]];
    }
}

bool Conjunto::Impl::lideraIndice(const std::string& coluna) const {
    if (nomeBase.empty() || coluna.empty()) return false;
    auto it = indexada.find(coluna);
    if (it != indexada.end()) return it->second;
    Uso s = prepara("SELECT 1 FROM pragma_index_list(@t) AS l, pragma_index_info(l.name) AS i "
                    "WHERE i.seqno = 0 AND i.name = @c COLLATE NOCASE");
    liga(s, "@t", Valor(nomeBase));
    liga(s, "@c", Valor(coluna));
    bool sim = passo(s);
    indexada.emplace(coluna, sim);
    return sim;
}

// The first record in the data set's order whose field begins with |prefixo|. Two walks
// run side by side in growing steps: one reads the data set in its order and tests each
// record's field, which finds the record at once when matches are common; the other reads
// only the matches through the field's index, keeping the lowest, which ends at once when
// they are few. Whichever ends first answers, so the cost follows the smaller of the two,
// never the table's size.
std::optional<Registro> Conjunto::Impl::primeiroComPrefixo(const std::string& prefixo,
                                                           std::size_t campo) const {
    const std::string& col = origem[campo];
    const auto acima = acimaDoPrefixo(prefixo);
    auto casa = [&](sqlite3_stmt* s, int i) {
        // Only texts fall in a range of texts; the range is exactly "begins with".
        if (sqlite3_column_type(s, i) != SQLITE_TEXT) return false;
        std::string_view t(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                           static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
        return t.substr(0, prefixo.size()) == prefixo;
    };
    const bool porOrdem = ordem.empty() || lideraIndice(colunaOrdem);
    const bool porIndice = lideraIndice(colunaOrigem[campo]);
    if (!porIndice) {
        // Without an index on the field, reading in order is the best there is.
        std::optional<Marcador> pos;
        for (std::size_t n = 64;; n = std::min<std::size_t>(n * 2, 4096)) {
            std::optional<Marcador> achado;
            std::size_t lidos = 0;
            percorre(pos, true, n, col, [&](sqlite3_stmt* s) {
                ++lidos;
                Marcador m{valorDaColuna(s, 2), sqlite3_column_int64(s, 1)};
                if (!achado && casa(s, 0)) achado = m;
                pos = std::move(m);
            });
            if (achado) return lePorLinha(achado->linha, true);
            if (lidos < n) return std::nullopt;
        }
    }

    std::string linha = tabela + ".rowid";
    std::string base = "SELECT " + ordemOuLinha() + ", " + linha + ", " + col + " FROM " + tabela +
                       " WHERE " + (condicao.empty() ? "" : "(" + condicao + ") AND ") + col +
                       " >= @pa" + (acima ? " AND " + col + " < @pb" : "");
    const std::string ordenado = " ORDER BY " + col + ", " + linha + " LIMIT @n";
    const std::string inicial = base + ordenado;
    const std::string seguinte = base + " AND (" + col + ", " + linha + ") > (@c, @r)" + ordenado;

    std::optional<Marcador> posOrdem;                        // the walk by order stands here
    std::optional<std::pair<Valor, std::int64_t>> posIndice; // (field, row id) read last
    std::optional<Marcador> menor;                           // lowest match read by index
    bool ordemAcabou = !porOrdem;
    for (std::size_t n = 8;; n = std::min<std::size_t>(n * 2, 4096)) {
        if (!ordemAcabou) {
            std::optional<Marcador> achado;
            std::size_t lidos = 0;
            percorre(posOrdem, true, n, col, [&](sqlite3_stmt* s) {
                ++lidos;
                Marcador m{valorDaColuna(s, 2), sqlite3_column_int64(s, 1)};
                if (!achado && casa(s, 0)) achado = m;
                posOrdem = std::move(m);
            });
            if (achado) return lePorLinha(achado->linha, true);
            if (lidos < n) return std::nullopt; // the end of the data set: no match at all
        }
        Uso s = prepara(posIndice ? seguinte : inicial);
        liga(s, "@pa", Valor(prefixo));
        if (acima) liga(s, "@pb", Valor(*acima));
        if (posIndice) {
            liga(s, "@c", posIndice->first);
            liga(s, "@r", Valor(posIndice->second));
        }
        liga(s, "@n", Valor(static_cast<std::int64_t>(n)));
        std::size_t lidos = 0;
        while (passo(s)) {
            ++lidos;
            Marcador m{valorDaColuna(s, 0), sqlite3_column_int64(s, 1)};
            posIndice.emplace(valorDaColuna(s, 2), m.linha);
            if (!menor || antesNaOrdem(m, *menor)) menor = std::move(m);
        }
        if (lidos < n) {
            if (!menor) return std::nullopt;
            return lePorLinha(menor->linha, true);
        }
    }
}

void Conjunto::abre() {
    if (impl_->con) return;
    try {
        impl_->abre(*this);
    } catch (...) {
        impl_->cache.clear();
        impl_->con.reset();
        impl_->estado = Estado::Fechado;
        throw;
    }
    primeiro();
}

void Conjunto::fecha() {
    auto& i = *impl_;
    i.cache.clear();
    i.con.reset();
    i.atual.reset();
    i.estado = Estado::Fechado;
    i.bof = i.eof = true;
    i.contexto.clear();
}

bool Conjunto::aberto() const {
    return impl_->con != nullptr;
}
Estado Conjunto::estado() const {
    return impl_->estado;
}

const std::vector<Campo>& Conjunto::campos() const {
    impl_->exige(true);
    return *impl_->campos;
}

bool Conjunto::temCampo(std::string_view nome) const {
    impl_->exige(true);
    return std::any_of(impl_->campos->begin(), impl_->campos->end(),
                       [&](auto& c) { return sql::mesmoNome(c.nome, nome); });
}

const Valor& Conjunto::campo(std::string_view nome) const {
    auto& i = *impl_;
    i.exige(true);
    std::size_t k = i.indice(nome);
    if (i.estado == Estado::Editando || i.estado == Estado::Inserindo) return i.buffer[k];
    static const Valor nulo;
    return i.atual ? i.atual->valores_[k] : nulo;
}

Registro Conjunto::registro() const {
    impl_->exige(true);
    return impl_->atual.value_or(Registro{});
}

void Conjunto::Impl::garanteNavegacao(Conjunto& dono) {
    exige(true);
    // Posting on a move is the original engine's behaviour.
    if (estado == Estado::Editando || estado == Estado::Inserindo) dono.grava();
}

void Conjunto::primeiro() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    auto r = i.le(std::nullopt, true, 1);
    i.atual = r.empty() ? std::nullopt : std::optional(r[0]);
    i.bof = true;
    i.eof = r.empty();
}

void Conjunto::ultimo() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    auto r = i.le(std::nullopt, false, 1);
    i.atual = r.empty() ? std::nullopt : std::optional(r[0]);
    i.eof = true;
    i.bof = r.empty();
}

void Conjunto::proximo() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (!i.atual) return primeiro();
    auto r = i.le(i.atual->marcador_, true, 1);
    if (r.empty()) {
        i.eof = true;
        return;
    }
    i.atual = r[0];
    i.bof = i.eof = false;
}

void Conjunto::anterior() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (!i.atual) return ultimo();
    auto r = i.le(i.atual->marcador_, false, 1);
    if (r.empty()) {
        i.bof = true;
        return;
    }
    i.atual = r[0];
    i.bof = i.eof = false;
}

bool Conjunto::inicio() const {
    return impl_->bof;
}
bool Conjunto::fim() const {
    return impl_->eof;
}
bool Conjunto::vazio() const {
    return !impl_->atual.has_value();
}

void Conjunto::releia() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (i.tabela == TabelaTemporaria) {
        // A materialised query runs again.
        auto guardado = i.atual;
        fecha();
        abre();
        if (guardado) vaiPara(guardado->marcador_);
        return;
    }
    if (!i.atual) return primeiro();
    if (auto r = i.lePorLinha(i.atual->marcador_.linha, true)) {
        i.atual = *r;
        return;
    }
    auto r = i.le(i.atual->marcador_, true, 1);
    if (r.empty()) r = i.le(i.atual->marcador_, false, 1);
    i.atual = r.empty() ? std::nullopt : std::optional(r[0]);
    i.bof = false;
    i.eof = r.empty();
}

std::int64_t Conjunto::conta() const {
    auto& i = *impl_;
    i.exige(true);
    Uso s = i.prepara("SELECT count(*) FROM " + i.tabela +
                      (i.condicao.empty() ? "" : " WHERE (" + i.condicao + ")"));
    i.passo(s);
    return sqlite3_column_int64(s, 0);
}

bool Conjunto::localiza(std::string_view campo, const Valor& valor, Busca busca) {
    return localiza({{std::string(campo), valor}}, busca);
}

bool Conjunto::localiza(const std::vector<std::pair<std::string, Valor>>& criterios, Busca busca) {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (criterios.empty()) return false;
    if (busca == Busca::Prefixo && criterios.size() == 1 &&
        !criterios[0].second.comoTexto().empty()) {
        std::size_t campo = i.indice(criterios[0].first);
        i.colunaBase(criterios[0].first);
        if (i.ordem.empty() || i.lideraIndice(i.colunaOrdem) ||
            i.lideraIndice(i.colunaOrigem[campo])) {
            auto r = i.primeiroComPrefixo(criterios[0].second.comoTexto(), campo);
            if (!r) return false;
            i.atual = std::move(*r);
            i.bof = i.eof = false;
            return true;
        }
    }
    std::string filtro;
    std::vector<std::pair<std::string, Valor>> ligacoes;
    for (std::size_t k = 0; k < criterios.size(); ++k) {
        const auto& [nome, v] = criterios[k];
        const std::string& col = i.colunaBase(nome);
        std::string p = "@v" + std::to_string(k);
        std::string cond;
        if (busca == Busca::Prefixo && k + 1 == criterios.size()) {
            std::string prefixo = v.comoTexto();
            if (prefixo.empty()) continue;
            cond = col + " >= " + p;
            ligacoes.emplace_back(p, Valor(prefixo));
            if (auto acima = acimaDoPrefixo(prefixo)) {
                cond += " AND " + col + " < " + p + "s";
                ligacoes.emplace_back(p + "s", Valor(*acima));
            }
        } else if (v.ehNulo()) {
            cond = col + " IS NULL";
        } else if (auto* t = std::get_if<std::string>(&v.dado()); t && t->empty()) {
            cond = "(" + col + " = '' OR " + col + " IS NULL)"; // a blank field
        } else {
            cond = col + " = " + p;
            ligacoes.emplace_back(p, v);
        }
        filtro += (filtro.empty() ? "" : " AND ") + cond;
    }
    Uso s = i.prepara(i.selecao(filtro, i.ordemAsc() + " LIMIT 1"));
    for (auto& [p, v] : ligacoes)
        Impl::liga(s, p, v);
    if (!i.passo(s)) return false;
    i.atual = i.monta(s);
    i.bof = i.eof = false;
    return true;
}

void Conjunto::ordena(std::string_view campo) {
    auto& i = *impl_;
    i.ordemPedida = std::string(campo);
    if (!i.con) return;
    i.garanteNavegacao(*this);
    std::string anterior = i.ordem;
    try {
        i.resolveOrdem();
    } catch (...) {
        i.ordemPedida.clear();
        i.resolveOrdem();
        throw;
    }
    if (i.atual) {
        // The marker's order value changes with the order.
        if (auto r = i.lePorLinha(i.atual->marcador_.linha, true))
            i.atual = *r;
        else
            primeiro();
    }
}

const std::string& Conjunto::ordem() const {
    return impl_->nomeOrdem;
}

std::vector<Registro> Conjunto::leApos(const std::optional<Marcador>& m, std::size_t n) const {
    impl_->exige(true);
    return impl_->le(m, true, n);
}

std::vector<Registro> Conjunto::leAntes(const std::optional<Marcador>& m, std::size_t n) const {
    impl_->exige(true);
    auto r = impl_->le(m, false, n);
    std::reverse(r.begin(), r.end());
    return r;
}

std::optional<Marcador> Conjunto::marcador() const {
    if (!impl_->atual) return std::nullopt;
    return impl_->atual->marcador_;
}

bool Conjunto::vaiPara(const Marcador& m) {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    auto r = i.lePorLinha(m.linha, true);
    if (!r) return false;
    i.atual = *r;
    i.bof = i.eof = false;
    return true;
}

std::int64_t Conjunto::posicao() const {
    auto& i = *impl_;
    i.exige(true);
    if (!i.atual) return 0;
    const Marcador& m = i.atual->marcador_;
    std::string linha = i.tabela + ".rowid";
    auto contaOnde = [&](const std::string& filtro, bool comOrdem) {
        std::string texto = "SELECT count(*) FROM " + i.tabela + " WHERE " +
                            (i.condicao.empty() ? "" : "(" + i.condicao + ") AND ") + filtro;
        Uso s = i.prepara(texto);
        if (comOrdem) Impl::liga(s, "@o", m.ordem);
        Impl::liga(s, "@r", Valor(m.linha));
        i.passo(s);
        return static_cast<std::int64_t>(sqlite3_column_int64(s, 0));
    };
    if (i.ordem.empty()) return contaOnde(linha + " < @r", false);
    if (m.ordem.ehNulo()) return contaOnde(i.ordem + " IS NULL AND " + linha + " < @r", false);
    return contaOnde(i.ordem + " IS NULL", false) +
           contaOnde("(" + i.ordem + ", " + linha + ") < (@o, @r)", true);
}

bool Conjunto::vaiParaPosicao(std::int64_t ordinal) {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (ordinal < 0) return false;
    Uso s = i.prepara(i.selecao("", i.ordemAsc() + " LIMIT 1 OFFSET @k"));
    Impl::liga(s, "@k", Valor(ordinal));
    if (!i.passo(s)) return false;
    i.atual = i.monta(s);
    i.bof = i.eof = false;
    return true;
}

void Conjunto::acrescenta() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (!i.atualizavel) i.falha("conjunto de dados somente para leitura");
    i.buffer.assign(i.campos->size(), Valor{});
    i.alterado.assign(i.campos->size(), false);
    i.estado = Estado::Inserindo;
}

void Conjunto::edita() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (!i.atualizavel) i.falha("conjunto de dados somente para leitura");
    if (!i.atual) i.falha("não há registro para editar");
    auto r = i.lePorLinha(i.atual->marcador_.linha, false);
    if (!r) i.falha("o registro foi excluído por outro usuário");
    i.atual = *r;
    i.buffer = r->valores_;
    i.original = r->valores_;
    i.alterado.assign(i.campos->size(), false);
    i.estado = Estado::Editando;
}

void Conjunto::define(std::string_view campo, Valor valor) {
    auto& i = *impl_;
    i.exige(true);
    if (i.estado != Estado::Editando && i.estado != Estado::Inserindo)
        i.falha("o conjunto de dados não está em edição");
    std::size_t k = i.indice(campo);
    i.colunaBase(campo);
    i.buffer[k] = std::move(valor);
    i.alterado[k] = true;
}

void Conjunto::grava() {
    auto& i = *impl_;
    i.exige(true);
    if (i.estado != Estado::Editando && i.estado != Estado::Inserindo)
        i.falha("o conjunto de dados não está em edição");
    // Column names without the table qualifier, for INSERT and SET.
    auto coluna = [&](std::size_t k) { return i.origem[k].substr(i.tabela.size() + 1); };
    std::vector<std::size_t> mudados;
    for (std::size_t k = 0; k < i.alterado.size(); ++k)
        if (i.alterado[k]) mudados.push_back(k);

    std::int64_t linha = 0;
    if (i.estado == Estado::Inserindo) {
        std::string cols, vals;
        for (std::size_t k : mudados) {
            cols += (cols.empty() ? "" : ", ") + coluna(k);
            vals += (vals.empty() ? "@v" : ", @v") + std::to_string(k);
        }
        std::string texto =
            "INSERT INTO " + i.tabela +
            (cols.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + vals + ")");
        Uso s = i.prepara(texto);
        for (std::size_t k : mudados)
            Impl::liga(s, "@v" + std::to_string(k), i.buffer[k]);
        i.passo(s);
        linha = sqlite3_last_insert_rowid(i.con.get());
    } else {
        linha = i.atual->marcador_.linha;
        if (!mudados.empty()) {
            std::string sets, confere;
            for (std::size_t k : mudados) {
                std::string n = std::to_string(k);
                sets += (sets.empty() ? "" : ", ") + coluna(k) + " = @v" + n;
                confere += " AND " + coluna(k) + " IS @o" + n;
            }
            Uso s =
                i.prepara("UPDATE " + i.tabela + " SET " + sets + " WHERE rowid = @r" + confere);
            for (std::size_t k : mudados) {
                Impl::liga(s, "@v" + std::to_string(k), i.buffer[k]);
                Impl::liga(s, "@o" + std::to_string(k), i.original[k]);
            }
            Impl::liga(s, "@r", Valor(linha));
            i.passo(s);
            if (sqlite3_changes(i.con.get()) == 0)
                i.falha("o registro foi alterado ou excluído por outro usuário; "
                        "a alteração não foi gravada");
        }
    }
    i.estado = Estado::Navegando;
    if (auto r = i.lePorLinha(linha, false)) i.atual = *r;
    i.bof = i.eof = false;
}

void Conjunto::cancela() {
    auto& i = *impl_;
    if (i.estado == Estado::Editando || i.estado == Estado::Inserindo) i.estado = Estado::Navegando;
}

void Conjunto::salvaEmDisco() {
    impl_->exige(true);
}

Tabela::Tabela(std::string diretorio, std::string nome) {
    defineDiretorio(std::move(diretorio));
    defineNome(std::move(nome));
}
void Tabela::defineNome(std::string nome) {
    impl_->nomeTabela = std::move(nome);
}
const std::string& Tabela::nome() const {
    return impl_->nomeTabela;
}

Consulta::Consulta() {
    impl_->ehConsulta = true;
}
Consulta::Consulta(std::string diretorio, std::vector<std::string> linhas) {
    impl_->ehConsulta = true;
    defineDiretorio(std::move(diretorio));
    defineSql(std::move(linhas));
}
void Consulta::defineSql(std::vector<std::string> linhas) {
    impl_->ehConsulta = true;
    impl_->linhas = std::move(linhas);
}
const std::vector<std::string>& Consulta::sql() const {
    return impl_->linhas;
}
void Consulta::defineParametro(std::string nome, Valor valor) {
    if (!nome.empty() && nome[0] == ':') nome.erase(0, 1);
    for (auto& [n, v] : impl_->parametros)
        if (sql::mesmoNome(n, nome)) {
            v = std::move(valor);
            return;
        }
    impl_->parametros.emplace_back(std::move(nome), std::move(valor));
}

} // namespace db
