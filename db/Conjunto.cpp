#include "Conjunto.h"

#include "Motor.h"
#include "Sql.h"
#include "base/Texto.h"

#include <algorithm>
#include <map>
#include <type_traits>
#include <variant>

namespace db {

namespace {

using motor::Comando;

// A cached command in use; reset when done so that no read transaction stays open
// (an open one would pin an old snapshot and block this connection's writes).
class Uso {
public:
    explicit Uso(Comando* s) : s_(s) {}
    ~Uso() { s_->limpa(); }
    Uso(const Uso&) = delete;
    Uso& operator=(const Uso&) = delete;
    Comando* operator->() const { return s_; }
    Comando& operator*() const { return *s_; }

private:
    Comando* s_;
};

// Smallest text above every text that begins with |p|; empty when none. Byte-wise, except
// where the engine takes only valid UTF-8 (|estrito|): there the last character that can
// grow grows by one code point, which in UTF-8's byte order bounds exactly the same texts
// and stays valid ("\x7F" + 1 and "\xC2\xBF" + 1 byte are not).
std::optional<std::string> acimaDoPrefixo(std::string p, bool estrito) {
    if (estrito && base::utf8Valido(p)) {
        while (!p.empty()) {
            std::size_t i = p.size() - 1;
            while (i > 0 && (static_cast<unsigned char>(p[i]) & 0xC0) == 0x80)
                --i;
            char32_t cp = 0;
            auto c = static_cast<unsigned char>(p[i]);
            std::size_t n = p.size() - i;
            cp = n == 1 ? c : c & (0x7F >> n);
            for (std::size_t k = i + 1; k < p.size(); ++k)
                cp = (cp << 6) | (static_cast<unsigned char>(p[k]) & 0x3F);
            p.resize(i);
            if (cp == 0x10FFFF) continue;
            base::anexa(p, cp + 1 == 0xD800 ? 0xE000 : cp + 1);
            return p;
        }
        return std::nullopt;
    }
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
    bool somenteLeitura = false; // reads only: every write is refused

    // Open state. The connection outlives the commands cached on it; a lost one is replaced
    // (conexao()).
    mutable std::shared_ptr<motor::Conexao> con;
    std::string dir; // normalised directory, while the connection holds it
    bool usaDir = false;
    bool materializada = false;
    std::string criaMaterializada; // the statement that made the materialised table
    std::string contexto;
    std::string tabela;                           // qualified, quoted base table
    std::string lista;                            // select list
    std::string condicao;                         // "" or a condition
    std::string linhaCol;                         // the row identity column
    std::string qualificador, nomeBase;           // the base table, as the seam names it
    std::vector<std::string> colunaOrigem;        // per field: base column as stored, "" if none
    mutable std::map<std::string, bool> indexada; // base column -> leads an index
    bool atualizavel = false;
    std::shared_ptr<std::vector<Campo>> campos;
    std::vector<std::string> origem;           // per field: quoted base column, "" if none
    std::vector<std::size_t> visDePersistente; // stored column k -> field index
    std::vector<std::size_t> indiceCalc;       // calculated field k -> field index
    std::string ordem;                         // quoted base column; "" = row identity
    std::string colunaOrdem;                   // ordem as stored; "" = row identity
    std::string nomeOrdem;
    mutable std::map<std::string, std::unique_ptr<Comando>> cache;

    std::optional<Registro> atual;
    bool bof = true, eof = true;
    Estado estado = Estado::Fechado;
    std::vector<Valor> buffer, original;
    std::vector<bool> alterado;

    [[noreturn]] void falha(const std::string& oque) const {
        std::string msg = contexto.empty() ? oque : contexto + ": " + oque;
        throw Erro(msg);
    }

    void exige(bool aberto) const {
        if (aberto && !con) falha("operação impossível com o conjunto de dados fechado");
    }

    // The connection to use: when the server's was lost and no unit of work is still open
    // on it (that unit must fail, not go on elsewhere), the tree's current one. The data set
    // stays where it stood, its rows being named by their row identity.
    motor::Conexao* conexao() const {
        if (con && !con->viva() && con->profundidade == 0) reconecta();
        return con.get();
    }
    void reconecta() const;

    Uso prepara(const std::string& texto) const {
        motor::Conexao* c0 = conexao();
        auto it = cache.find(texto);
        if (it == cache.end()) {
            std::unique_ptr<Comando> c;
            try {
                c = c0->prepara(texto);
            } catch (const Erro& e) {
                falha(e.what());
            }
            it = cache.emplace(texto, std::move(c)).first;
        }
        Comando* c = it->second.get();
        c->limpa();
        ligaParametros(*c);
        return Uso(c);
    }

    void liga(Comando& s, std::size_t i, const Valor& v) const {
        try {
            s.liga(i, v);
        } catch (const Erro& e) {
            falha(e.what());
        }
    }

    void liga(const Uso& s, std::string_view nome, const Valor& v) const {
        const auto& nomes = s->parametros();
        for (std::size_t i = 0; i < nomes.size(); ++i)
            if (nomes[i] == nome) liga(*s, i, v);
    }

    // The query's own :NAME parameters; "@" names belong to this layer.
    void ligaParametros(Comando& s) const {
        const auto& nomes = s.parametros();
        for (std::size_t i = 0; i < nomes.size(); ++i) {
            const std::string& n = nomes[i];
            if (!n.empty() && n[0] == '@') continue;
            std::string_view nome = n.size() > 1 ? std::string_view(n).substr(1) : "";
            auto it = std::find_if(parametros.begin(), parametros.end(),
                                   [&](auto& p) { return sql::mesmoNome(p.first, nome); });
            if (it == parametros.end()) falha("parâmetro sem valor: " + n);
            liga(s, i, it->second);
        }
    }

    bool passo(const Uso& s) const {
        try {
            return s->passo();
        } catch (const Erro& e) {
            falha(e.what());
        }
    }

    void executa(const std::string& texto) const {
        try {
            conexao()->executa(texto);
        } catch (const Erro& e) {
            falha(e.what());
        }
    }

    std::string linha() const { return tabela + "." + linhaCol; }

    // The written row as selecao() reads it, handed back by the INSERT or UPDATE itself so
    // that a post costs one statement. Names unqualified: SQLite takes no other there.
    std::string retorno() const {
        std::string r;
        for (std::size_t k : visDePersistente)
            r += sql::aspas(colunaOrigem[k]) + ", ";
        return " RETURNING " + r + linhaCol + ", " +
               (colunaOrdem.empty() ? linhaCol : sql::aspas(colunaOrdem));
    }
    std::string ordemOuLinha() const { return ordem.empty() ? linha() : ordem; }

    // SELECT of the stored columns, row identity and order value.
    std::string selecao(const std::string& filtro, const std::string& resto,
                        bool comCondicao = true, const std::string* listaSel = nullptr) const {
        std::string s = "SELECT " + (listaSel ? *listaSel : lista) + ", " + linha() + ", " +
                        ordemOuLinha() + " FROM " + tabela;
        std::string onde;
        if (comCondicao && !condicao.empty()) onde = "(" + condicao + ")";
        if (!filtro.empty()) onde += (onde.empty() ? "" : " AND ") + filtro;
        if (!onde.empty()) s += " WHERE " + onde;
        return s + " " + resto;
    }

    // The same order with the columns read through |nome|, an alias of the table.
    std::string ordemAscEm(const std::string& nome) const {
        const std::string l = nome + "." + linhaCol;
        return ordem.empty()
                   ? "ORDER BY " + l
                   : "ORDER BY " + conexao()->ascendente(nome + "." + sql::aspas(colunaOrdem)) +
                         ", " + l;
    }
    std::string ordemAsc() const {
        return ordem.empty() ? "ORDER BY " + linha()
                             : "ORDER BY " + conexao()->ascendente(ordem) + ", " + linha();
    }
    std::string ordemDesc() const {
        return ordem.empty()
                   ? "ORDER BY " + linha() + " DESC"
                   : "ORDER BY " + conexao()->descendente(ordem) + ", " + linha() + " DESC";
    }

    Registro monta(const Uso& s) const {
        Registro r;
        r.campos_ = campos;
        r.valores_.resize(campos->size());
        std::size_t n = visDePersistente.size();
        for (std::size_t k = 0; k < n; ++k)
            r.valores_[visDePersistente[k]] = s->valor(static_cast<int>(k));
        r.marcador_.linha = s->valor(static_cast<int>(n)).comoInteiro();
        r.marcador_.ordem = s->valor(static_cast<int>(n + 1));
        calcula(r);
        return r;
    }

    void calcula(Registro& r) const {
        for (std::size_t k = 0; k < calculados.size(); ++k)
            r.valores_[indiceCalc[k]] = calculados[k].calculo(r);
    }

    // Up to |n| rows after (or before) the marker, in the direction of reading; each row's
    // command goes to |porLinha|. |listaSel| replaces the select list (the row identity and
    // order value still follow it). |m| is a copy: callers move their own marker as rows come.
    template <class F>
    void percorre(const std::optional<Marcador> m, bool apos, std::size_t n,
                  const std::string* listaSel, F&& porLinha) const {
        std::size_t lidos = 0;
        auto segmento = [&](const std::string& filtro, bool comOrdem, bool comLinha,
                            const std::string& ordenacao) {
            if (lidos >= n) return;
            Uso s = prepara(selecao(filtro, ordenacao + " LIMIT @n", true, listaSel));
            if (comOrdem) liga(s, "@o", m->ordem);
            if (comLinha) liga(s, "@r", Valor(m->linha));
            liga(s, "@n", Valor(static_cast<std::int64_t>(n - lidos)));
            while (passo(s)) {
                ++lidos;
                porLinha(s);
            }
        };
        std::string linha = this->linha();
        if (!m || ordem.empty()) {
            // In row order, or from an end: one walk of the engine's order, which puts NULLs
            // first, among themselves in row order (both engines), from the order's index.
            std::string f = m ? linha + (apos ? " > @r" : " < @r") : "";
            segmento(f, false, m.has_value(), apos ? ordemAsc() : ordemDesc());
            return;
        }
        // Past a marker: NULL order values first, among themselves in row order.
        std::string nulos = ordem + " IS NULL";
        std::string valores = ordem + " IS NOT NULL";
        std::string porLinhaAsc = "ORDER BY " + linha, porLinhaDesc = "ORDER BY " + linha + " DESC";
        const bool marcadorNulo = m->ordem.ehNulo();
        if (apos) {
            if (marcadorNulo) {
                segmento(nulos + " AND " + linha + " > @r", false, true, porLinhaAsc);
                segmento(valores, false, false, ordemAsc());
            } else {
                segmento("(" + ordem + ", " + linha + ") > (@o, @r)", true, true, ordemAsc());
            }
        } else {
            if (marcadorNulo) {
                segmento(nulos + " AND " + linha + " < @r", false, true, porLinhaDesc);
                return;
            }
            segmento("(" + ordem + ", " + linha + ") < (@o, @r)", true, true, ordemDesc());
            segmento(nulos, false, false, porLinhaDesc);
        }
    }

    std::vector<Registro> le(const std::optional<Marcador>& m, bool apos, std::size_t n) const {
        std::vector<Registro> r;
        percorre(m, apos, n, nullptr, [&](const Uso& s) { r.push_back(monta(s)); });
        return r;
    }

    std::optional<Registro> lePorLinha(std::int64_t id, bool comCondicao,
                                       const std::string& resto = "") const {
        Uso s = prepara(selecao(linha() + " = @r", resto, comCondicao));
        liga(s, "@r", Valor(id));
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

    void solta() {
        cache.clear();
        if (con && usaDir) con->largaDiretorio(dir);
        usaDir = false;
        con.reset();
    }

    bool lideraIndice(const std::string& coluna) const {
        if (coluna.empty()) return false;
        auto it = indexada.find(coluna);
        if (it == indexada.end()) {
            bool sim = false;
            try {
                sim = conexao()->lideraIndice(qualificador, nomeBase, coluna);
            } catch (const Erro& e) {
                falha(e.what());
            }
            it = indexada.emplace(coluna, sim).first;
        }
        return it->second;
    }

    // What the prefix search's walks concluded.
    struct Desfecho {
        enum Tipo { Achou, Nenhum, Poucos, Simples } tipo;
        std::int64_t linha = 0;  // Achou: the record's row identity
        std::int64_t poucos = 0; // Poucos: at most this many rows begin with the prefix
    };
    Desfecho primeiroComPrefixo(const std::string& prefixo, std::size_t campo) const;

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
    dir = motor::normaliza(diretorio);
    // What the messages name; not the base table (a member of that name).
    std::string oque = ehConsulta ? std::string("consulta") : "tabela " + nomeTabela;
    contexto = dir + ", " + oque;
    materializada = false;

    std::string texto;
    std::optional<sql::FormaSimples> simples;
    if (!ehConsulta) {
        if (nomeTabela.empty()) falha("nome da tabela não definido");
    } else {
        std::string junto;
        for (auto& l : linhas)
            junto += l + "\n";
        texto = junto;
        simples = sql::formaSimples(texto);
    }

    try {
        con = motor::conexaoPara(dir);
        if (ehConsulta && !simples) {
            // Read through its own connection, where its table names are this directory's.
            con = con->conexaoPropria(dir);
        } else {
            contexto = con->descricao(dir) + ", " + oque;
            tabela = con->usaDiretorio(dir);
            qualificador = tabela;
            usaDir = true;
        }
    } catch (const Erro& e) {
        falha(e.what());
    }
    contexto = con->descricao(dir) + ", " + oque;
    linhaCol = con->colunaLinha();

    auto nomeCanonico = [&](const std::string& nome) -> std::string {
        std::string n = sql::semSufixoDb(nome);
        std::string guardado;
        try {
            guardado = con->nomeGuardado(dir, n);
        } catch (const Erro& e) {
            falha(e.what());
        }
        if (guardado.empty()) falha(con->semTabela(n));
        return guardado;
    };

    std::string base;
    if (!ehConsulta) {
        base = nomeCanonico(nomeTabela);
        lista = "*";
        condicao.clear();
    } else if (simples) {
        base = nomeCanonico(simples->tabela);
        lista = con->reescreve(simples->lista);
        condicao = con->reescreve(simples->condicao);
    }
    if (!base.empty()) {
        tabela += sql::aspas(base);
        texto =
            "SELECT " + lista + " FROM " + tabela + (condicao.empty() ? "" : " WHERE " + condicao);
    } else {
        texto = con->reescreve(texto);
    }

    // Prepared without running: validates the text (the engine's own errors) and gives the
    // columns.
    std::vector<motor::Coluna> colunas;
    auto descreve = [&] {
        try {
            colunas = conexao()->descreveTexto(texto);
        } catch (const Erro& e) {
            falha(e.what());
        }
    };
    descreve();
    if (!base.empty() && std::any_of(colunas.begin(), colunas.end(),
                                     [&](auto& c) { return sql::mesmoNome(c.origem, linhaCol); })) {
        // The row identity is the store's, never a field.
        std::string explicita;
        for (auto& c : colunas)
            if (!sql::mesmoNome(c.origem, linhaCol))
                explicita += (explicita.empty() ? "" : ", ") + tabela + "." + sql::aspas(c.origem);
        lista = explicita;
        texto =
            "SELECT " + lista + " FROM " + tabela + (condicao.empty() ? "" : " WHERE " + condicao);
        descreve();
    }

    std::vector<Campo> persistentes;
    std::vector<std::string> origens, nomesOrigem;
    nomeBase = base;
    for (auto& c : colunas) {
        bool direta = !base.empty() && !c.origem.empty() && sql::mesmoNome(c.tabela, base);
        origens.push_back(direta ? tabela + "." + sql::aspas(c.origem) : "");
        nomesOrigem.push_back(direta ? c.origem : "");
        persistentes.push_back(Campo{c.nome, c.tipo, false});
    }

    if (base.empty()) {
        // Not a single-table query: materialise it once, then read it like a table.
        std::string cria;
        try {
            cria = con->materializa(dir, texto);
        } catch (const Erro& e) {
            falha(e.what());
        }
        {
            Uso c = prepara(cria);
            passo(c);
        }
        cache.clear();
        materializada = true;
        criaMaterializada = cria;
        tabela = "notera_consulta";
        qualificador.clear();
        nomeBase = tabela;
        lista.clear();
        condicao.clear();
        atualizavel = false;
        origens.assign(persistentes.size(), "");
        nomesOrigem.assign(persistentes.size(), "");
        for (std::size_t i = 0; i < persistentes.size(); ++i) {
            origens[i] = tabela + "." + sql::aspas(persistentes[i].nome);
            nomesOrigem[i] = persistentes[i].nome;
            lista += (i ? ", " : "") + origens[i];
        }
    } else {
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

void Conjunto::Impl::reconecta() const {
    std::shared_ptr<motor::Conexao> nova;
    try {
        nova = motor::conexaoPara(dir);
        if (usaDir)
            nova->usaDiretorio(dir);
        else
            nova = nova->conexaoPropria(dir);
    } catch (const Erro& e) {
        falha(e.what());
    }
    // The cached commands were prepared on the lost connection.
    cache.clear();
    con = std::move(nova);
    if (materializada) {
        // The temporary table went with the connection: the query is read again.
        Uso c = prepara(criaMaterializada);
        passo(c);
    }
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

// The first record in the data set's order whose field begins with |prefixo|. Two walks
// take turns in growing steps: one reads the data set in its order and tests each
// record's field, which finds the record at once when matches are common; the other counts
// the matches through the field's index, which ends at once when they are few, and then
// the plain ordered search over those few costs no more than the count did. Whichever ends
// first answers, so the cost follows the smaller of the two, never the table's size. The
// engine alone orders rows, so its own order (collation, NULLs first) is kept as it is.
Conjunto::Impl::Desfecho Conjunto::Impl::primeiroComPrefixo(const std::string& prefixo,
                                                            std::size_t campo) const {
    const bool porOrdem = lideraIndice(ordem.empty() ? linhaCol : colunaOrdem);
    const bool porIndice = lideraIndice(colunaOrigem[campo]);
    if (!porOrdem) return {Desfecho::Simples};

    const std::string& col = origem[campo];
    const auto acima = acimaDoPrefixo(prefixo, conexao()->textoEstrito());
    // Only texts fall in a range of texts; the range is exactly "begins with".
    auto casa = [&](const Valor& v) {
        auto* t = std::get_if<std::string>(&v.dado());
        return t && t->size() >= prefixo.size() && t->compare(0, prefixo.size(), prefixo) == 0;
    };
    // Matches in the whole table, whatever a query's condition: the count stays an index
    // range, and the search over them applies the condition.
    const std::string p = "notera_p." + sql::aspas(colunaOrigem[campo]);
    const std::string contagem = "SELECT count(*) FROM (SELECT 1 FROM " + tabela +
                                 " AS notera_p WHERE " + p + " >= @pa" +
                                 (acima ? " AND " + p + " < @pb" : "") + " LIMIT @n) AS notera_q";

    std::optional<Marcador> pos; // the walk in order stands here
    // Counting an index range reads no rows, so it may go further than the walk in order
    // for the same cost: a few hundred matches then end the search at its first round.
    std::int64_t nIndice = 128;
    for (std::size_t n = 8;; n = std::min<std::size_t>(n * 2, 4096)) {
        if (porIndice) {
            Uso s = prepara(contagem);
            liga(s, "@pa", Valor(prefixo));
            if (acima) liga(s, "@pb", Valor(*acima));
            liga(s, "@n", Valor(nIndice));
            passo(s);
            const std::int64_t achados = s->valor(0).comoInteiro();
            if (achados == 0) return {Desfecho::Nenhum};
            if (achados < nIndice) return {Desfecho::Poucos, 0, achados};
            nIndice *= 2; // counted again from the start: doubling keeps the sum linear
        }
        std::optional<std::int64_t> achado;
        std::size_t lidos = 0;
        percorre(pos, true, n, &col, [&](const Uso& s) {
            ++lidos;
            Marcador m{s->valor(2), s->valor(1).comoInteiro()};
            if (!achado && casa(s->valor(0))) achado = m.linha;
            pos = std::move(m);
        });
        if (achado) return {Desfecho::Achou, *achado};
        if (lidos < n) return {Desfecho::Nenhum}; // the end of the data set
    }
}

void Conjunto::abre() {
    if (impl_->con) return;
    try {
        impl_->abre(*this);
    } catch (...) {
        impl_->solta();
        impl_->estado = Estado::Fechado;
        throw;
    }
    primeiro();
}

void Conjunto::fecha() {
    auto& i = *impl_;
    i.solta();
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
    if (i.materializada) {
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
    return s->valor(0).comoInteiro();
}

bool Conjunto::localiza(std::string_view campo, const Valor& valor, Busca busca) {
    return localiza({{std::string(campo), valor}}, busca);
}

bool Conjunto::localiza(const std::vector<std::pair<std::string, Valor>>& criterios, Busca busca) {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (criterios.empty()) return false;
    std::string filtro;
    std::vector<std::pair<std::string, Valor>> ligacoes;
    if (busca == Busca::Prefixo && criterios.size() == 1 &&
        !criterios[0].second.comoTexto().empty()) {
        const std::string prefixo = criterios[0].second.comoTexto();
        i.colunaBase(criterios[0].first);
        const std::size_t campo = i.indice(criterios[0].first);
        auto d = i.primeiroComPrefixo(prefixo, campo);
        if (d.tipo == Impl::Desfecho::Nenhum) return false;
        if (d.tipo == Impl::Desfecho::Achou) {
            auto r = i.lePorLinha(d.linha, true);
            if (!r) return false;
            i.atual = std::move(*r);
            i.bof = i.eof = false;
            return true;
        }
        if (d.tipo == Impl::Desfecho::Poucos) {
            // Only the few rows the index gives are sorted, not every match of the order.
            const std::string p = "notera_p." + sql::aspas(i.colunaOrigem[campo]);
            const auto acima = acimaDoPrefixo(prefixo, i.conexao()->textoEstrito());
            std::string faixa = "SELECT notera_p." + i.linhaCol + " FROM " + i.tabela +
                                " AS notera_p WHERE " + p + " >= @v0" +
                                (acima ? " AND " + p + " < @v0s" : "");
            if (i.condicao.empty() && (i.ordem.empty() || !i.colunaOrdem.empty())) {
                // With no condition the first of the few is chosen inside the range itself,
                // where an index of the field and the order's column holds both: only the
                // row that answers is read. A single row, so no list of rows is built.
                faixa += " " + i.ordemAscEm("notera_p") + " LIMIT 1";
                filtro = i.linha() + " = (" + faixa + ")";
            } else {
                filtro = i.linha() + " IN (" + faixa + " LIMIT @vn)";
                ligacoes.emplace_back("@vn", Valor(d.poucos));
            }
            ligacoes.emplace_back("@v0", Valor(prefixo));
            if (acima) ligacoes.emplace_back("@v0s", Valor(*acima));
        }
    }
    const bool pronto = !filtro.empty(); // the prefix search already gave the filter
    for (std::size_t k = 0; !pronto && k < criterios.size(); ++k) {
        const auto& [nome, v] = criterios[k];
        const std::string& col = i.colunaBase(nome);
        std::string p = "@v" + std::to_string(k);
        std::string cond;
        if (busca == Busca::Prefixo && k + 1 == criterios.size()) {
            std::string prefixo = v.comoTexto();
            if (prefixo.empty()) continue;
            cond = col + " >= " + p;
            ligacoes.emplace_back(p, Valor(prefixo));
            if (auto acima = acimaDoPrefixo(prefixo, i.conexao()->textoEstrito())) {
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
        i.liga(s, p, v);
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
    std::string linha = i.linha();
    auto contaOnde = [&](const std::string& filtro, bool comOrdem) {
        std::string texto = "SELECT count(*) FROM " + i.tabela + " WHERE " +
                            (i.condicao.empty() ? "" : "(" + i.condicao + ") AND ") + filtro;
        Uso s = i.prepara(texto);
        if (comOrdem) i.liga(s, "@o", m.ordem);
        i.liga(s, "@r", Valor(m.linha));
        i.passo(s);
        return s->valor(0).comoInteiro();
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
    i.liga(s, "@k", Valor(ordinal));
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
    // Inside a unit of work on a server the record stays locked until the commit, so that a
    // counter read here cannot be read by another workstation before this one posts it.
    auto r = i.lePorLinha(i.atual->marcador_.linha, false, i.conexao()->travaLinha());
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
    std::optional<Registro> gravado; // the row as stored, handed back by the write itself
    if (i.estado == Estado::Inserindo) {
        std::string cols, vals;
        for (std::size_t k : mudados) {
            cols += (cols.empty() ? "" : ", ") + coluna(k);
            vals += (vals.empty() ? "@v" : ", @v") + std::to_string(k);
        }
        std::string texto =
            "INSERT INTO " + i.tabela +
            (cols.empty() ? " DEFAULT VALUES" : " (" + cols + ") VALUES (" + vals + ")");
        Uso s = i.prepara(texto + i.retorno());
        for (std::size_t k : mudados)
            i.liga(s, "@v" + std::to_string(k), i.buffer[k]);
        if (i.passo(s)) gravado = i.monta(s);
        while (i.passo(s)) {
        }
    } else {
        linha = i.atual->marcador_.linha;
        if (!mudados.empty()) {
            std::string sets, confere;
            for (std::size_t k : mudados) {
                std::string n = std::to_string(k);
                sets += (sets.empty() ? "" : ", ") + coluna(k) + " = @v" + n;
                confere += " AND " + coluna(k) + " " + i.conexao()->igualOuNulo() + " @o" + n;
            }
            Uso s = i.prepara("UPDATE " + i.tabela + " SET " + sets + " WHERE " + i.linhaCol +
                              " = @r" + confere + i.retorno());
            for (std::size_t k : mudados) {
                i.liga(s, "@v" + std::to_string(k), i.buffer[k]);
                i.liga(s, "@o" + std::to_string(k), i.original[k]);
            }
            i.liga(s, "@r", Valor(linha));
            if (i.passo(s)) gravado = i.monta(s);
            while (i.passo(s)) {
            }
            if (s->alteradas() == 0)
                i.falha("o registro foi alterado ou excluído por outro usuário; "
                        "a alteração não foi gravada");
        }
    }
    i.estado = Estado::Navegando;
    if (!gravado && linha) gravado = i.lePorLinha(linha, false);
    if (gravado) i.atual = std::move(*gravado);
    i.bof = i.eof = false;
}

void Conjunto::cancela() {
    auto& i = *impl_;
    if (i.estado == Estado::Editando || i.estado == Estado::Inserindo) i.estado = Estado::Navegando;
}

void Conjunto::salvaEmDisco() {
    impl_->exige(true);
}

std::int64_t Conjunto::proximoNumero(std::string_view campo) {
    auto& i = *impl_;
    i.exige(true); // not a move: a record being appended stays in its buffer
    const std::string& col = i.colunaBase(campo);
    try {
        i.conexao()->travaNumeracao(i.tabela);
    } catch (const Erro& e) {
        i.falha(e.what());
    }
    // The whole table, whatever a query's condition: numbers are unique in the table.
    Uso s = i.prepara("SELECT max(" + col + ") FROM " + i.tabela);
    if (!i.passo(s)) return 1;
    return s->valor(0).comoInteiro() + 1;
}

void Conjunto::apagaTodos() {
    auto& i = *impl_;
    i.garanteNavegacao(*this);
    if (i.ehConsulta || !i.atualizavel) i.falha("somente uma tabela pode ser esvaziada");
    i.executa("DELETE FROM " + i.tabela);
    i.atual.reset();
    i.bof = i.eof = true;
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
