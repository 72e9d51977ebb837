#pragma once
// Chart-of-accounts codes: levels, the synthetic test, the displayed reduced code and the
// classification of what a user typed into an account field.

#include <cstdint>
#include <string>
#include <vector>

namespace notera {

// The levels of a structural code, cut at every "." and "-"; characters at or below the
// blank count as the digit 0. Every level is kept, however many there are.
std::vector<std::string> SeparaNiveis(const std::string& estrutural);

// Synthetic (grouping) account: its last level, read as a whole number (0 when it is not
// one), is 0 or less.
bool EhSintetica(const std::string& estrutural);

// The reduced code with its check digit ("123-6"), or alone when position 17 of the
// company's configuration is "N".
std::string FormataReduzido(std::int64_t reduzido, const std::string& configuracao);

enum class BuscaDeConta { Descricao, Estrutural, Reduzido, SoDialogo };

struct TextoDeConta {
    BuscaDeConta busca = BuscaDeConta::SoDialogo;
    std::string digitosReduzidos; // the digits of a reduced code, check digit left out
};

// How a trimmed typed text is searched, given the company's configuration text.
TextoDeConta classificaTextoDeConta(const std::string& texto, const std::string& configuracao);

} // namespace notera
