#include "Sql.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace db::sql {

namespace {

enum class Tk { Palavra, Citado, Texto, Simbolo, Espaco, Outro };

struct Token {
    Tk tipo;
    std::string_view texto;
};

bool letra(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::vector<Token> tokens(std::string_view s) {
    std::vector<Token> r;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t ini = i;
        char c = s[i];
        Tk tipo = Tk::Simbolo;
        if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
                ++i;
            tipo = Tk::Espaco;
        } else if (c == '-' && i + 1 < s.size() && s[i + 1] == '-') {
            while (i < s.size() && s[i] != '\n')
                ++i;
            tipo = Tk::Espaco;
        } else if (c == '/' && i + 1 < s.size() && s[i + 1] == '*') {
            auto fim = s.find("*/", i + 2);
            i = fim == std::string_view::npos ? s.size() : fim + 2;
            tipo = Tk::Espaco;
        } else if (c == '\'' || c == '"' || c == '`' || c == '[') {
            char fecha = c == '[' ? ']' : c;
            ++i;
            while (i < s.size()) {
                if (s[i] == fecha) {
                    if (fecha != ']' && i + 1 < s.size() && s[i + 1] == fecha) {
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                ++i;
            }
            tipo = c == '\'' ? Tk::Texto : Tk::Citado;
        } else if (letra(c)) {
            while (i < s.size() && letra(s[i]))
                ++i;
            tipo = Tk::Palavra;
        } else if ((c == ':' || c == '@' || c == '?') && i + 1 < s.size() && letra(s[i + 1])) {
            ++i;
            while (i < s.size() && letra(s[i]))
                ++i;
            tipo = Tk::Outro; // parameter
        } else {
            ++i;
        }
        r.push_back({tipo, s.substr(ini, i - ini)});
    }
    return r;
}

bool eh(const Token& t, std::string_view palavra) {
    return t.tipo == Tk::Palavra && mesmoNome(t.texto, palavra);
}

std::string nomeDoToken(const Token& t) {
    if (t.tipo != Tk::Citado) return std::string(t.texto);
    std::string r;
    std::string_view in = t.texto.substr(1, t.texto.size() - 2);
    for (std::size_t i = 0; i < in.size(); ++i) {
        r += in[i];
        if ((in[i] == '"' || in[i] == '`') && i + 1 < in.size() && in[i + 1] == in[i]) ++i;
    }
    return r;
}

std::string junta(const std::vector<Token>& t, std::size_t de, std::size_t ate) {
    std::string r;
    for (std::size_t i = de; i < ate && i < t.size(); ++i)
        r += t[i].texto;
    return r;
}

const char* formatoDe(std::string_view parte) {
    static constexpr std::pair<std::string_view, const char*> partes[] = {
        {"year", "%Y"}, {"month", "%m"},  {"day", "%d"},
        {"hour", "%H"}, {"minute", "%M"}, {"second", "%S"}};
    for (auto& [nome, fmt] : partes)
        if (mesmoNome(parte, nome)) return fmt;
    return nullptr;
}

std::size_t proximoSignificativo(const std::vector<Token>& t, std::size_t i) {
    while (i < t.size() && t[i].tipo == Tk::Espaco)
        ++i;
    return i;
}

} // namespace

std::string minusculas(std::string_view s) {
    std::string r(s);
    for (auto& c : r)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return r;
}

bool mesmoNome(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string aspas(std::string_view nome) {
    std::string r = "\"";
    for (char c : nome) {
        if (c == '"') r += '"';
        r += c;
    }
    return r + '"';
}

std::string semSufixoDb(std::string_view nome) {
    if (nome.size() > 3 && mesmoNome(nome.substr(nome.size() - 3), ".db")) nome.remove_suffix(3);
    return std::string(nome);
}

namespace {

std::string reescreveExtract(std::string_view texto, bool postgres) {
    auto t = tokens(texto);
    std::string r;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (eh(t[i], "extract")) {
            std::size_t a = proximoSignificativo(t, i + 1);
            std::size_t p = proximoSignificativo(t, a + 1);
            std::size_t f = proximoSignificativo(t, p + 1);
            const char* fmt = p < t.size() ? formatoDe(t[p].texto) : nullptr;
            if (a < t.size() && t[a].texto == "(" && fmt && f < t.size() && eh(t[f], "from")) {
                int nivel = 1;
                std::size_t j = f + 1;
                for (; j < t.size(); ++j) {
                    if (t[j].texto == "(") ++nivel;
                    if (t[j].texto == ")" && --nivel == 0) break;
                }
                if (j < t.size()) {
                    std::string x =
                        reescreveExtract(junta(t, proximoSignificativo(t, f + 1), j), postgres);
                    if (postgres)
                        r += "CAST(EXTRACT(" + std::string(t[p].texto) + " FROM " + x +
                             ") AS INTEGER)";
                    else
                        r += "CAST(strftime('" + std::string(fmt) + "', " + x + ") AS INTEGER)";
                    i = j;
                    continue;
                }
            }
        }
        r += t[i].texto;
    }
    return r;
}

} // namespace

std::string reescreve(std::string_view texto) {
    return reescreveExtract(texto, false);
}

std::string reescrevePostgres(std::string_view texto) {
    return reescreveExtract(texto, true);
}

std::string numeraParametros(std::string_view texto, std::vector<std::string>& nomes) {
    nomes.clear();
    auto t = tokens(texto);
    std::string r;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto& k = t[i];
        bool cast = i > 0 && t[i - 1].texto == ":";
        if (k.tipo == Tk::Outro && (k.texto[0] == ':' || k.texto[0] == '@') && !cast) {
            std::string nome(k.texto);
            auto it = std::find(nomes.begin(), nomes.end(), nome);
            if (it == nomes.end()) it = nomes.insert(nomes.end(), nome);
            r += "$" + std::to_string(it - nomes.begin() + 1);
        } else {
            r += k.texto;
        }
    }
    return r;
}

std::optional<FormaSimples> formaSimples(std::string_view texto) {
    auto t = tokens(texto);
    while (!t.empty() && (t.back().tipo == Tk::Espaco || t.back().texto == ";"))
        t.pop_back();
    std::size_t i = proximoSignificativo(t, 0);
    if (i >= t.size() || !eh(t[i], "select")) return std::nullopt;
    std::size_t inicioLista = i + 1;

    static constexpr std::string_view proibidas[] = {
        "distinct", "join",  "group",        "order",   "having", "union", "intersect",
        "except",   "limit", "window",       "count",   "sum",    "avg",   "min",
        "max",      "total", "group_concat", "natural", "values"};
    int nivel = 0;
    std::size_t from = 0, where = 0;
    for (std::size_t j = inicioLista; j < t.size(); ++j) {
        if (t[j].texto == "(") ++nivel;
        if (t[j].texto == ")") --nivel;
        for (auto p : proibidas)
            if (eh(t[j], p) && (nivel == 0 || from == 0)) return std::nullopt;
        if (nivel != 0) continue;
        if (eh(t[j], "from") && from == 0)
            from = j;
        else if (eh(t[j], "where") && from != 0 && where == 0)
            where = j;
    }
    if (from == 0) return std::nullopt;
    std::size_t nomeTab = proximoSignificativo(t, from + 1);
    if (nomeTab >= t.size() || (t[nomeTab].tipo != Tk::Palavra && t[nomeTab].tipo != Tk::Citado))
        return std::nullopt;
    std::size_t depois = proximoSignificativo(t, nomeTab + 1);
    if (depois < t.size() && depois != where) return std::nullopt; // alias, join, schema.table
    FormaSimples f;
    f.lista = junta(t, inicioLista, from);
    f.tabela = semSufixoDb(nomeDoToken(t[nomeTab]));
    if (where) f.condicao = junta(t, proximoSignificativo(t, where + 1), t.size());
    return f;
}

} // namespace db::sql
