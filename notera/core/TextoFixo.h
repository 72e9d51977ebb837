#pragma once
// A text field of fixed capacity, as the form's state and the transfer hold codes and accounts.

#include "base/Texto.h"

#include <string>

namespace notera {

// Longer values are cut to the capacity, counted in characters.
template <int Capacidade> class TextoFixo {
public:
    TextoFixo() = default;
    TextoFixo(const std::string& s) : s_(base::inicio(s, Capacidade)) {} // NOLINT: like a text
    TextoFixo(const char* s) : TextoFixo(std::string(s)) {}              // NOLINT
    const std::string& texto() const { return s_; }
    operator const std::string&() const { return s_; } // NOLINT
    bool vazio() const { return s_.empty(); }
    bool operator==(const TextoFixo&) const = default;

private:
    std::string s_;
};

} // namespace notera
