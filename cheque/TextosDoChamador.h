#pragma once
// The caller's texts as the export reads them: a zero-terminated text never read past its
// buffer of 1024 characters, the host's counted string (its 32-bit length right before the
// characters) and the short text (a length byte, then the characters). A null pointer is
// the empty text.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace cheque {

inline constexpr std::size_t TamanhoBuffer = 1024;

inline std::string textoDeBuffer(const char* p) {
    if (!p) return {};
    return std::string(p, ::strnlen(p, TamanhoBuffer));
}

inline std::string textoContado(const char* p) {
    if (!p) return {};
    std::int32_t n = 0;
    std::memcpy(&n, p - sizeof n, sizeof n);
    return n > 0 ? std::string(p, static_cast<std::size_t>(n)) : std::string();
}

inline std::string textoCurto(const unsigned char* p) {
    if (!p) return {};
    return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

} // namespace cheque
