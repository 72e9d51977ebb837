#include "Cp1252.h"

#include "Texto.h"

#include <cstdint>

namespace base {

namespace {

// Code points of bytes 0x80..0x9F; 0 where the code page assigns nothing.
constexpr char32_t Faixa80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char paraByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (Faixa80[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

} // namespace

std::string cp1252ParaUtf8(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (char ch : in) {
        auto b = static_cast<unsigned char>(ch);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0) c = Faixa80[b - 0x80] ? Faixa80[b - 0x80] : 0xFFFD;
        anexa(out, c);
    }
    return out;
}

std::string utf8ParaCp1252(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    std::size_t i = 0;
    while (i < in.size()) {
        auto b = static_cast<unsigned char>(in[i]);
        char32_t c;
        std::size_t n;
        if (b < 0x80) {
            c = b;
            n = 1;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1F;
            n = 2;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0F;
            n = 3;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07;
            n = 4;
        } else {
            out += '?';
            ++i;
            continue;
        }
        if (i + n > in.size()) {
            out += '?';
            break;
        }
        bool ok = true;
        for (std::size_t k = 1; k < n; ++k) {
            auto cb = static_cast<unsigned char>(in[i + k]);
            if ((cb & 0xC0) != 0x80) ok = false;
            c = (c << 6) | (cb & 0x3F);
        }
        out += ok ? paraByte(c) : '?';
        i += ok ? n : 1;
    }
    return out;
}

} // namespace base
