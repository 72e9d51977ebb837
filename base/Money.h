#pragma once
// Exact decimal handling of amounts that arrive as binary doubles.

#include <cstdint>
#include <optional>
#include <string>

namespace base {

// Rounds |value| * 10^places to an integer, halves away from zero, working on the
// shortest decimal text that reads back as the same double, so 1.005 rounds as the
// clerk typed it (1.01) and not as its binary neighbour (1.00499...).
// Empty for NaN, infinities and results that do not fit in 63 bits.
std::optional<std::int64_t> roundScaled(double value, int places);

// A money amount: a signed count of ten-thousandths of a real.
class Dinheiro {
public:
    static constexpr std::int64_t Escala = 10000;

    constexpr Dinheiro() = default;
    static constexpr Dinheiro deDezMilesimos(std::int64_t n) { return Dinheiro(n); }
    static std::optional<Dinheiro> deDouble(double reais);

    constexpr std::int64_t dezMilesimos() const { return valor_; }
    double emReais() const { return static_cast<double>(valor_) / Escala; }
    // Whole cents, halves away from zero.
    std::int64_t centavos() const;

    constexpr auto operator<=>(const Dinheiro&) const = default;
    constexpr Dinheiro operator+(Dinheiro o) const { return Dinheiro(valor_ + o.valor_); }
    constexpr Dinheiro operator-(Dinheiro o) const { return Dinheiro(valor_ - o.valor_); }
    Dinheiro& operator+=(Dinheiro o) {
        valor_ += o.valor_;
        return *this;
    }

private:
    constexpr explicit Dinheiro(std::int64_t n) : valor_(n) {}
    std::int64_t valor_ = 0;
};

} // namespace base
