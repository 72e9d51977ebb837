#include "Script.h"

#include <map>

namespace {

// Verb -> {least, most} argument count; -1 for no upper bound.
const std::map<std::string, std::pair<int, int>>& aridades() {
    static const std::map<std::string, std::pair<int, int>> a = {
        {"focus", {1, 1}},   {"type", {1, 1}},     {"key", {1, -1}},  {"click", {1, 1}},
        {"cell", {3, 3}},    {"tab", {2, 2}},      {"close", {0, 0}}, {"answer", {1, 1}},
        {"choose", {1, 1}},  {"cancel", {0, 0}},   {"print", {1, 1}}, {"print-cancel", {0, 0}},
        {"reserve", {1, 1}}, {"capslock", {1, 1}}, {"dump", {1, 1}},
    };
    return a;
}

bool branco(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

// Splits a line at blanks; double quotes group, with \" and \\ inside them.
bool separa(const std::string& linha, std::vector<std::string>& partes, std::string& erro) {
    std::size_t i = 0;
    const std::size_t n = linha.size();
    while (i < n) {
        while (i < n && branco(linha[i]))
            ++i;
        if (i >= n || linha[i] == '#') break;
        std::string parte;
        if (linha[i] == '"') {
            ++i;
            bool fechou = false;
            while (i < n) {
                char c = linha[i++];
                if (c == '\\' && i < n && (linha[i] == '"' || linha[i] == '\\')) {
                    parte += linha[i++];
                } else if (c == '"') {
                    fechou = true;
                    break;
                } else {
                    parte += c;
                }
            }
            if (!fechou) {
                erro = "unterminated quote";
                return false;
            }
        } else {
            while (i < n && !branco(linha[i]))
                parte += linha[i++];
        }
        partes.push_back(std::move(parte));
    }
    return true;
}

} // namespace

RoteiroLido leRoteiro(const std::string& texto) {
    RoteiroLido r;
    std::size_t inicio = 0;
    for (int k = 1; inicio <= texto.size(); ++k) {
        std::size_t fim = texto.find('\n', inicio);
        if (fim == std::string::npos) fim = texto.size();
        std::string linha = texto.substr(inicio, fim - inicio);
        inicio = fim + 1;
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        std::vector<std::string> partes;
        std::string erro;
        if (!separa(linha, partes, erro)) {
            r.erro = "line " + std::to_string(k) + ": " + erro;
            return r;
        }
        if (partes.empty()) continue;
        Acao a{partes.front(), {partes.begin() + 1, partes.end()}, k};
        auto it = aridades().find(a.verbo);
        if (it == aridades().end()) {
            r.erro = "line " + std::to_string(k) + ": unknown action \"" + a.verbo + "\"";
            return r;
        }
        const auto [minimo, maximo] = it->second;
        const int n = static_cast<int>(a.args.size());
        if (n < minimo || (maximo >= 0 && n > maximo)) {
            r.erro =
                "line " + std::to_string(k) + ": wrong number of arguments for \"" + a.verbo + "\"";
            return r;
        }
        r.acoes.push_back(std::move(a));
    }
    return r;
}
