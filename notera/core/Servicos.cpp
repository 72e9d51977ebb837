#include "Servicos.h"

#include "base/Cp1252.h"
#include "base/Texto.h"

#include <cstring>
#include <string>
#include <vector>

namespace notera {

namespace {

std::string cp(const std::string& s) {
    return base::utf8ParaCp1252(s);
}

// Copies a text into the host's buffer the C way: at most size-1 bytes and a NUL.
int32_t copia(const std::string& s, char* buffer, int32_t tamanho) {
    if (buffer && tamanho > 0) {
        const auto n = std::min<std::size_t>(s.size(), static_cast<std::size_t>(tamanho - 1));
        std::memcpy(buffer, s.data(), n);
        buffer[n] = '\0';
    }
    return static_cast<int32_t>(s.size());
}

// Errors of the store cannot cross the C interface; the host sees a failed move instead.
template <class F> auto semExcecao(F f, decltype(f()) seFalhar) {
    try {
        return f();
    } catch (const std::exception&) {
        return seFalhar;
    }
}

struct ConjuntoC {
    NoteraDataSet base;
    db::Conjunto* dados;
    std::vector<db::Marcador>* marcadores; // the host's bookmarks, for this call
};

db::Conjunto& de(NoteraDataSet* ds) {
    return *reinterpret_cast<ConjuntoC*>(ds)->dados;
}

int32_t NOTERA_CALL dsConta(NoteraDataSet* ds) {
    return semExcecao([&] { return static_cast<int32_t>(de(ds).conta()); }, 0);
}
int32_t NOTERA_CALL dsPosicao(NoteraDataSet* ds) {
    return semExcecao([&] { return de(ds).vazio() ? -1 : static_cast<int32_t>(de(ds).posicao()); },
                      -1);
}
uint8_t NOTERA_CALL dsVaiPara(NoteraDataSet* ds, int32_t ordinal) {
    return semExcecao([&] { return static_cast<uint8_t>(de(ds).vaiParaPosicao(ordinal) ? 1 : 0); },
                      uint8_t{0});
}
uint8_t NOTERA_CALL dsProximo(NoteraDataSet* ds) {
    return semExcecao(
        [&] {
            de(ds).proximo();
            return static_cast<uint8_t>(de(ds).fim() ? 0 : 1);
        },
        uint8_t{0});
}
int32_t NOTERA_CALL dsCampo(NoteraDataSet* ds, const char* nome) {
    const std::string n = base::cp1252ParaUtf8(nome ? nome : "");
    const auto& campos = de(ds).campos();
    for (std::size_t i = 0; i < campos.size(); ++i)
        if (base::igualSemCaixa(campos[i].nome, n)) return static_cast<int32_t>(i);
    return -1;
}
int32_t NOTERA_CALL dsValor(NoteraDataSet* ds, int32_t campo, char* buffer, int32_t tamanho) {
    std::string v = semExcecao(
        [&] {
            const auto& campos = de(ds).campos();
            if (campo < 0 || static_cast<std::size_t>(campo) >= campos.size() || de(ds).vazio())
                return std::string();
            return de(ds).campo(campos[static_cast<std::size_t>(campo)].nome).comoTexto();
        },
        std::string());
    return copia(base::utf8ParaCp1252(v), buffer, tamanho);
}
uint8_t NOTERA_CALL dsLocaliza(NoteraDataSet* ds, int32_t campo, const char* texto,
                               uint8_t parcial) {
    return semExcecao(
        [&]() -> uint8_t {
            const auto& campos = de(ds).campos();
            if (campo < 0 || static_cast<std::size_t>(campo) >= campos.size()) return 0;
            const auto& c = campos[static_cast<std::size_t>(campo)];
            const std::string t = base::cp1252ParaUtf8(texto ? texto : "");
            db::Valor v(t);
            if (c.calculado) {
                // A calculated field has no column to search: walk the records (charts are small).
                auto& q = de(ds);
                const auto antes = q.marcador();
                for (q.primeiro(); !q.fim() && !q.vazio(); q.proximo()) {
                    const std::string valor = q.campo(c.nome).comoTexto();
                    if (parcial ? valor.rfind(t, 0) == 0 : valor == t) return 1;
                }
                if (antes) q.vaiPara(*antes);
                return 0;
            }
            if (c.tipo == db::Tipo::Inteiro) {
                // A code being typed is searched as the number typed so far.
                const auto n = base::leInteiro64(t);
                if (!n) return 0;
                return de(ds).localiza(c.nome, db::Valor(*n)) ? 1 : 0;
            }
            return de(ds).localiza(c.nome, v, parcial ? db::Busca::Prefixo : db::Busca::Exata) ? 1
                                                                                               : 0;
        },
        uint8_t{0});
}

uint8_t NOTERA_CALL dsAnterior(NoteraDataSet* ds) {
    return semExcecao(
        [&] {
            de(ds).anterior();
            return static_cast<uint8_t>(de(ds).inicio() ? 0 : 1);
        },
        uint8_t{0});
}
uint8_t NOTERA_CALL dsPrimeiro(NoteraDataSet* ds) {
    return semExcecao(
        [&] {
            de(ds).primeiro();
            return static_cast<uint8_t>(de(ds).vazio() ? 0 : 1);
        },
        uint8_t{0});
}
uint8_t NOTERA_CALL dsUltimo(NoteraDataSet* ds) {
    return semExcecao(
        [&] {
            de(ds).ultimo();
            return static_cast<uint8_t>(de(ds).vazio() ? 0 : 1);
        },
        uint8_t{0});
}
int32_t NOTERA_CALL dsMarca(NoteraDataSet* ds) {
    auto& marcas = *reinterpret_cast<ConjuntoC*>(ds)->marcadores;
    const auto m = de(ds).marcador();
    if (!m) return -1;
    marcas.push_back(*m);
    return static_cast<int32_t>(marcas.size() - 1);
}
uint8_t NOTERA_CALL dsVaiParaMarca(NoteraDataSet* ds, int32_t marca) {
    auto& marcas = *reinterpret_cast<ConjuntoC*>(ds)->marcadores;
    if (marca < 0 || static_cast<std::size_t>(marca) >= marcas.size()) return 0;
    return semExcecao(
        [&] {
            return static_cast<uint8_t>(
                de(ds).vaiPara(marcas[static_cast<std::size_t>(marca)]) ? 1 : 0);
        },
        uint8_t{0});
}

const NoteraDataSetOps OpsConjunto = {dsConta,    dsPosicao, dsVaiPara,  dsProximo,
                                      dsCampo,    dsValor,   dsLocaliza, dsAnterior,
                                      dsPrimeiro, dsUltimo,  dsMarca,    dsVaiParaMarca};

// Standard-layout wrappers: the C object is the first member, so the host's pointer
// converts back to the wrapper.
struct ListaC {
    NoteraStrings base;
    std::vector<std::string>* itens;
};

std::vector<std::string>& de(NoteraStrings* l) {
    return *reinterpret_cast<ListaC*>(l)->itens;
}
void NOTERA_CALL lsAdiciona(NoteraStrings* l, const char* t) {
    de(l).emplace_back(t ? t : "");
}
int32_t NOTERA_CALL lsConta(NoteraStrings* l) {
    return static_cast<int32_t>(de(l).size());
}
int32_t NOTERA_CALL lsLe(NoteraStrings* l, int32_t i, char* buffer, int32_t tamanho) {
    if (i < 0 || static_cast<std::size_t>(i) >= de(l).size()) return copia({}, buffer, tamanho);
    return copia(de(l)[static_cast<std::size_t>(i)], buffer, tamanho);
}
const NoteraStringsOps OpsLista = {lsAdiciona, lsConta, lsLe};

struct CampoC {
    NoteraField base;
    db::Conjunto* dados;
    const std::string* nome;
};

CampoC& de(NoteraField* f) {
    return *reinterpret_cast<CampoC*>(f);
}
int32_t NOTERA_CALL cpNome(NoteraField* f, char* buffer, int32_t tamanho) {
    return copia(base::utf8ParaCp1252(*de(f).nome), buffer, tamanho);
}
int32_t NOTERA_CALL cpValor(NoteraField* f, char* buffer, int32_t tamanho) {
    std::string v = semExcecao(
        [&] {
            return de(f).dados->vazio() ? std::string()
                                        : de(f).dados->campo(*de(f).nome).comoTexto();
        },
        std::string());
    return copia(base::utf8ParaCp1252(v), buffer, tamanho);
}
const NoteraFieldOps OpsCampo = {cpNome, cpValor};

std::vector<std::string> emCp1252(const std::vector<std::string>& l) {
    std::vector<std::string> v;
    for (const auto& s : l)
        v.push_back(cp(s));
    return v;
}

std::vector<const char*> ponteiros(const std::vector<std::string>& v) {
    std::vector<const char*> p;
    for (const auto& s : v)
        p.push_back(s.c_str());
    return p;
}

} // namespace

std::optional<std::string>
ServicosHost::SelecionaRegistro(const std::string& titulo, db::Conjunto& dados,
                                const std::vector<std::string>& colunas,
                                const std::vector<std::string>& titulos) {
    if (!seleciona_) return std::nullopt;
    std::vector<db::Marcador> marcadores;
    ConjuntoC ds{{&OpsConjunto}, &dados, &marcadores};
    std::vector<std::string> escolhidos;
    ListaC lista{{&OpsLista}, &escolhidos};
    const std::string primeiro =
        dados.campos().empty() ? std::string() : dados.campos().front().nome;
    CampoC campo{{&OpsCampo}, &dados, &primeiro};
    const auto cols = emCp1252(colunas), tits = emCp1252(titulos);
    const auto pc = ponteiros(cols), pt = ponteiros(tits);
    const std::string t = cp(titulo);
    seleciona_(t.c_str(), &ds.base, pc.data(), static_cast<int32_t>(pc.size()) - 1, pt.data(),
               static_cast<int32_t>(pt.size()) - 1, 0, &lista.base, &campo.base);
    if (escolhidos.empty()) return std::nullopt;
    return base::cp1252ParaUtf8(escolhidos.front());
}

bool ServicosHost::ReservaTabelas(const std::vector<std::string>& tabelas) {
    // A host that passed no reservation service gets a refusal, not a crash.
    if (!reserva_) return false;
    const auto nomes = emCp1252(tabelas);
    const auto p = ponteiros(nomes);
    return reserva_(p.data(), static_cast<int32_t>(p.size()) - 1) != 0;
}

void ServicosHost::LiberaTabelas(const std::vector<std::string>& tabelas) {
    if (!libera_) return;
    const auto nomes = emCp1252(tabelas);
    const auto p = ponteiros(nomes);
    libera_(p.data(), static_cast<int32_t>(p.size()) - 1);
}

} // namespace notera
