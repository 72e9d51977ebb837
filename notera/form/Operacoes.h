#pragma once
// Small text operations shared by the form's fields.

#include "base/BrFormat.h"
#include "base/Money.h"

#include <cstdint>
#include <optional>
#include <string>

namespace notera {

// A whole number as the lookups read codes: leading blanks, optional sign, then decimal
// digits or a hexadecimal number introduced by "$", "X" or "0X"; nothing may follow.
std::optional<std::int32_t> leInteiro(const std::string& texto);

// A selection answer for an integer-coded catalogue: one that is not a whole number counts
// as nothing chosen.
std::optional<std::int32_t> CodigoEscolhido(const std::optional<std::string>& escolha);

// Whether a typed text is searched as a name rather than as a code.
bool EhNome(const std::string& texto);

// The key filter of decimal amounts: the key to insert, or nothing when it is swallowed.
std::optional<char32_t> FiltraDecimal(const std::string& texto, char32_t tecla, int decimais);

// An amount as typed in this system ("1.000,50") read into ten-thousandths, halves to even.
base::Dinheiro ValorMonetario(const std::string& texto, base::Dinheiro padrao);

// A decimal amount as this system writes it: optional sign, digits, optional "," and
// decimals, optional exponent; no thousands separators. Nothing when it does not read.
std::optional<base::Dinheiro> LeValorDecimal(const std::string& texto);

// A date cell is empty when blank or when it holds only the untouched mask "  /  /    ".
bool DataVazia(const std::string& texto);

// A date typed as dd/mm/yyyy (a two-digit year is in this century). Nothing when it is not one.
std::optional<base::Data> LeData(const std::string& texto);

} // namespace notera
