#include "Operacoes.h"

#include "base/Texto.h"

#include <limits>
#include <vector>

namespace notera {

namespace {

int valorHex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool digito(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::optional<std::int32_t> leInteiro(const std::string& texto) {
    std::size_t i = 0;
    const std::size_t n = texto.size();
    while (i < n && texto[i] == ' ')
        ++i;
    bool negativo = false;
    if (i < n && (texto[i] == '-' || texto[i] == '+')) negativo = texto[i++] == '-';
    int base = 10;
    if (i < n && (texto[i] == '$' || texto[i] == 'x' || texto[i] == 'X')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && texto[i] == '0' && (texto[i + 1] == 'x' || texto[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n) return std::nullopt;
    const long long limite = negativo ? 2147483648LL : 2147483647LL;
    long long v = 0;
    for (; i < n; ++i) {
        int d = base == 16 ? valorHex(texto[i]) : (digito(texto[i]) ? texto[i] - '0' : -1);
        if (d < 0) return std::nullopt;
        v = v * base + d;
        if (v > limite) return std::nullopt;
    }
    return static_cast<std::int32_t>(negativo ? -v : v);
}

std::optional<std::int32_t> CodigoEscolhido(const std::optional<std::string>& escolha) {
    if (!escolha) return std::nullopt;
    return leInteiro(*escolha);
}

bool EhNome(const std::string& texto) {
    const std::string t = base::apara(texto);
    if (t.empty()) return true;
    if (base::caracteres(t) > 10) return true;
    return !leInteiro(t).has_value();
}

std::optional<char32_t> FiltraDecimal(const std::string& texto, char32_t tecla, int decimais) {
    if (tecla == ',' || tecla == '.') {
        if (texto.empty() || decimais == 0 || texto.find(',') != std::string::npos)
            return std::nullopt;
        return U',';
    }
    if (texto.empty()) return tecla;
    if (tecla == '-') {
        if (!base::apara(texto).empty()) return std::nullopt;
        return tecla;
    }
    const auto virgula = texto.find(',');
    if (virgula != std::string::npos && base::caracteres(std::string_view(texto).substr(
                                            virgula + 1)) >= static_cast<std::size_t>(decimais))
        return std::nullopt;
    return tecla;
}

base::Dinheiro ValorMonetario(const std::string& texto, base::Dinheiro padrao) {
    std::string semPontos;
    for (char c : texto)
        if (c != '.') semPontos += c;
    const std::string t = base::apara(semPontos);
    if (t.empty()) return padrao;

    std::size_t i = 0;
    const std::size_t n = t.size();
    bool negativo = false;
    if (t[i] == '-' || t[i] == '+') negativo = t[i++] == '-';
    std::string digitos;
    int casas = 0;
    while (i < n && digito(t[i]))
        digitos += t[i++];
    if (i < n && t[i] == ',') {
        ++i;
        while (i < n && digito(t[i])) {
            digitos += t[i++];
            ++casas;
        }
    }
    if (digitos.empty()) return padrao;
    long long expoente = 0;
    if (i < n && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool expNeg = false;
        if (i < n && (t[i] == '-' || t[i] == '+')) expNeg = t[i++] == '-';
        if (i >= n || !digito(t[i])) return padrao;
        while (i < n && digito(t[i])) {
            expoente = expoente * 10 + (t[i++] - '0');
            if (expoente > 100000) return padrao;
        }
        if (expNeg) expoente = -expoente;
    }
    if (i != n) return padrao;

    // value = digitos * 10^(expoente - casas); scaled by 10^4.
    const long long deslocamento = expoente - casas + 4;
    const auto zeros = digitos.find_first_not_of('0');
    if (zeros == std::string::npos)
        digitos = "0";
    else
        digitos.erase(0, zeros);
    std::string inteira = digitos, resto;
    if (deslocamento >= 0) {
        if (digitos != "0" && static_cast<long long>(digitos.size()) + deslocamento > 18)
            return padrao;
        inteira.append(static_cast<std::size_t>(deslocamento), '0');
    } else {
        const long long corte = static_cast<long long>(digitos.size()) + deslocamento;
        if (corte <= 0) {
            resto.assign(static_cast<std::size_t>(-corte), '0');
            resto += digitos;
            inteira = "0";
        } else {
            inteira = digitos.substr(0, static_cast<std::size_t>(corte));
            resto = digitos.substr(static_cast<std::size_t>(corte));
        }
    }
    if (inteira.size() > 18) return padrao;
    long long v = std::stoll(inteira);
    if (!resto.empty()) {
        // Halves to even, on the exact decimal digits.
        const char primeiro = resto[0];
        bool acimaDaMetade = primeiro > '5';
        const bool metade = primeiro == '5';
        if (metade) {
            for (std::size_t k = 1; k < resto.size(); ++k)
                if (resto[k] != '0') acimaDaMetade = true;
        }
        if (acimaDaMetade || (metade && !acimaDaMetade && (v % 2) == 1)) ++v;
    }
    return base::Dinheiro::deDezMilesimos(negativo ? -v : v);
}

std::optional<base::Dinheiro> LeValorDecimal(const std::string& texto) {
    if (texto.find('.') != std::string::npos) return std::nullopt;
    // ValorMonetario reads the same grammar; a sentinel default tells a failed reading.
    const auto falha = base::Dinheiro::deDezMilesimos(std::numeric_limits<std::int64_t>::min());
    const auto v = ValorMonetario(texto, falha);
    if (v == falha) return std::nullopt;
    return v;
}

bool DataVazia(const std::string& texto) {
    return base::apara(texto).empty() || texto == "  /  /    ";
}

std::optional<base::Data> LeData(const std::string& texto) {
    const std::string t = base::apara(texto);
    std::vector<std::string> partes(1);
    for (char c : t) {
        if (c == '/')
            partes.emplace_back();
        else
            partes.back() += c;
    }
    if (partes.size() != 3) return std::nullopt;
    int n[3];
    for (std::size_t i = 0; i < 3; ++i) {
        const std::string p = base::apara(partes[i]);
        const auto v = base::leInteiro64(p);
        if (!v || p.empty() || p.size() > (i == 2 ? 4u : 2u) || p[0] == '-' || p[0] == '+')
            return std::nullopt;
        n[i] = static_cast<int>(*v);
    }
    if (base::apara(partes[2]).size() <= 2) n[2] += 2000;
    if (!base::Data::valida(n[2], n[1], n[0])) return std::nullopt;
    return base::Data{n[2], n[1], n[0]};
}

} // namespace notera
