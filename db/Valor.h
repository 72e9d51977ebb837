#pragma once
// A field value as the store holds it, with the conversions callers read it through.

#include "base/BrFormat.h"
#include "base/Money.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace db {

// Every failure of the store: the message carries SQLite's own text and what was being done.
class Erro : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Kind of a field, taken from the column's declared type (see Esquema.h).
enum class Tipo { Inteiro, Texto, Flutuante, Dinheiro, DataHora, Imagem, Outro };

using Bytes = std::vector<unsigned char>;

// Texts are UTF-8 std::string throughout the store. Money is held exactly, as the fixed-point
// count it was given as, so that a store with an exact decimal kind receives it unchanged.
// Stored forms in SQLite: integer INTEGER, floating and money REAL (reais), date-time TEXT
// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS", image BLOB. NULL reads as 0 or empty.
class Valor {
public:
    using Dado =
        std::variant<std::monostate, std::int64_t, double, std::string, Bytes, base::Dinheiro>;

    Valor() = default;
    Valor(std::int64_t v) : dado_(v) {}
    Valor(int v) : dado_(static_cast<std::int64_t>(v)) {}
    Valor(double v) : dado_(v) {}
    Valor(std::string v) : dado_(std::move(v)) {}
    Valor(const char* v) : dado_(std::string(v)) {}
    Valor(Bytes v) : dado_(std::move(v)) {}
    Valor(base::Dinheiro v) : dado_(v) {}
    Valor(base::Data v); // a whole date

    // Date-time as days since 1899-12-30, the fraction being the time of day.
    static Valor dataHora(double dias);
    static Valor nulo() { return {}; }

    bool ehNulo() const { return std::holds_alternative<std::monostate>(dado_); }
    const Dado& dado() const { return dado_; }

    std::int64_t comoInteiro() const;
    double comoDouble() const;
    std::string comoTexto() const;
    // Money as held; REAL reais rounded to four decimals.
    base::Dinheiro comoDinheiro() const;
    // Days since 1899-12-30; 0 for NULL or a text that is not a date.
    double comoDataHora() const;
    base::Data comoData() const;
    Bytes comoBytes() const;

    bool operator==(const Valor&) const = default;

private:
    Dado dado_;
};

// "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" (time rounded to the second) and back.
std::string textoDeDataHora(double dias);
// Empty when |texto| is not such a text.
std::optional<double> dataHoraDeTexto(std::string_view texto);

} // namespace db
