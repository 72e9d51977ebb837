#include "Money.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace base {

std::optional<std::int64_t> roundScaled(double value, int places) {
    if (!std::isfinite(value) || places < 0 || places > 9) return std::nullopt;
    char buf[400];
    auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
    if (res.ec != std::errc()) return std::nullopt;
    std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    auto dot = text.find('.');
    std::string_view inteira = text.substr(0, dot);
    std::string_view fracao = dot == std::string_view::npos ? "" : text.substr(dot + 1);

    constexpr std::int64_t limite = std::numeric_limits<std::int64_t>::max() / 10 - 10;
    std::int64_t n = 0;
    for (char c : inteira) {
        if (n > limite) return std::nullopt;
        n = n * 10 + (c - '0');
    }
    for (int i = 0; i < places; ++i) {
        if (n > limite) return std::nullopt;
        char c = i < static_cast<int>(fracao.size()) ? fracao[static_cast<std::size_t>(i)] : '0';
        n = n * 10 + (c - '0');
    }
    if (static_cast<int>(fracao.size()) > places && fracao[static_cast<std::size_t>(places)] >= '5')
        ++n;
    return value < 0 ? -n : n;
}

std::optional<Dinheiro> Dinheiro::deDouble(double reais) {
    auto n = roundScaled(reais, 4);
    if (!n) return std::nullopt;
    return Dinheiro(*n);
}

std::int64_t Dinheiro::centavos() const {
    std::int64_t m = valor_ < 0 ? -valor_ : valor_;
    std::int64_t c = (m + 50) / 100;
    return valor_ < 0 ? -c : c;
}

} // namespace base
