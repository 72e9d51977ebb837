#include "Texto.h"

#include <charconv>

namespace base {

namespace {

// The length of the sequence a lead byte starts, 0 for a byte that starts none.
int comprimento(unsigned char b) {
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if (b >= 0xF0 && b <= 0xF4) return 4;
    return 0;
}

// Reads one character at |i| into |c| and advances past it; false, with one byte taken, for
// a sequence that is no character.
bool leValido(std::string_view s, std::size_t& i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    const int n = comprimento(b);
    ++i;
    if (n == 1) {
        c = b;
        return true;
    }
    if (n == 0 || i - 1 + static_cast<std::size_t>(n) > s.size()) return false;
    c = b & (0x7F >> n);
    for (int k = 1; k < n; ++k) {
        const auto t = static_cast<unsigned char>(s[i - 1 + static_cast<std::size_t>(k)]);
        if ((t & 0xC0) != 0x80) return false;
        c = (c << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    const bool curta = (n == 3 && c < 0x800) || (n == 4 && c < 0x10000);
    if (curta || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF) return false;
    i += static_cast<std::size_t>(n - 1);
    return true;
}

// An invalid sequence reads as U+FFFD.
char32_t le(std::string_view s, std::size_t& i) {
    char32_t c = 0;
    return leValido(s, i, c) ? c : 0xFFFD;
}

char32_t paraMaiuscula(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 32;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 32;
    switch (c) {
    case 0xFF:
        return 0x178; // ÿ
    case 0x153:
        return 0x152; // œ
    case 0x161:
        return 0x160; // š
    case 0x17E:
        return 0x17D; // ž
    default:
        return c;
    }
}

char32_t paraMinuscula(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    switch (c) {
    case 0x178:
        return 0xFF;
    case 0x152:
        return 0x153;
    case 0x160:
        return 0x161;
    case 0x17D:
        return 0x17E;
    default:
        return c;
    }
}

template <class F> std::string mapeia(std::string_view s, F f) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        anexa(out, f(le(s, i)));
    return out;
}

} // namespace

void anexa(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::u32string decodifica(std::string_view s) {
    std::u32string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();)
        out += le(s, i);
    return out;
}

std::string codifica(std::u32string_view t) {
    std::string out;
    out.reserve(t.size());
    for (char32_t c : t)
        anexa(out, c);
    return out;
}

bool utf8Valido(std::string_view s) {
    char32_t c = 0;
    for (std::size_t i = 0; i < s.size();)
        if (!leValido(s, i, c)) return false;
    return true;
}

std::size_t caracteres(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++n)
        le(s, i);
    return n;
}

std::string inicio(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t k = 0; k < n && i < s.size(); ++k)
        le(s, i);
    // Invalid bytes pass through unchanged: the cut never splits a valid character.
    return std::string(s.substr(0, i));
}

std::optional<char32_t> caractere(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t k = 0; i < s.size(); ++k) {
        const char32_t c = le(s, i);
        if (k == n) return c;
    }
    return std::nullopt;
}

std::string maiusculas(std::string_view s) {
    return mapeia(s, paraMaiuscula);
}

std::string minusculas(std::string_view s) {
    return mapeia(s, paraMinuscula);
}

bool igualSemCaixa(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (paraMinuscula(le(a, i)) != paraMinuscula(le(b, j))) return false;
    return i == a.size() && j == b.size();
}

bool ehEspaco(char32_t c) {
    return (c >= 0x09 && c <= 0x0D) || c == ' ' || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
           c == 0x205F || c == 0x3000;
}

std::string apara(std::string_view s) {
    std::size_t primeiro = s.size(), fim = 0;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t antes = i;
        if (!ehEspaco(le(s, i))) {
            if (primeiro == s.size()) primeiro = antes;
            fim = i;
        }
    }
    return primeiro < fim ? std::string(s.substr(primeiro, fim - primeiro)) : std::string();
}

bool comecaCom(std::string_view texto, std::string_view prefixo) {
    return texto.substr(0, prefixo.size()) == prefixo;
}

std::string justificaDireita(std::string_view s, std::size_t largura, char preenche) {
    const std::size_t n = caracteres(s);
    std::string out;
    if (n < largura) out.assign(largura - n, preenche);
    out += s;
    return out;
}

std::optional<std::int64_t> leInteiro64(std::string_view texto) {
    const std::string t = apara(texto);
    std::string_view v = t;
    if (!v.empty() && v.front() == '+') {
        v.remove_prefix(1);
        if (v.empty() || v.front() == '-') return std::nullopt;
    }
    std::int64_t n = 0;
    const auto [fim, erro] = std::from_chars(v.data(), v.data() + v.size(), n);
    if (erro != std::errc() || fim != v.data() + v.size()) return std::nullopt;
    return n;
}

} // namespace base
