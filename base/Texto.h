#pragma once
// Text operations on UTF-8 strings, counted in characters (code points), as the form and the
// data modules need them: upper case of Portuguese letters, trimming, comparison without case,
// whole numbers read and written.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace base {

// Code points of a UTF-8 text; a byte that starts no valid sequence reads as U+FFFD.
std::u32string decodifica(std::string_view utf8);
std::string codifica(std::u32string_view texto);
void anexa(std::string& utf8, char32_t c);
// Shortest forms only, no surrogates, nothing past U+10FFFF.
bool utf8Valido(std::string_view texto);

// Length in characters.
std::size_t caracteres(std::string_view utf8);
// The first n characters (all of them when there are fewer).
std::string inicio(std::string_view utf8, std::size_t n);
// Character i (counting from 0); nothing past the end.
std::optional<char32_t> caractere(std::string_view utf8, std::size_t i);

// Upper and lower case of the Latin letters (ASCII, Latin-1 and the letters of code page
// 1252); other characters are kept.
std::string maiusculas(std::string_view utf8);
std::string minusculas(std::string_view utf8);
bool igualSemCaixa(std::string_view a, std::string_view b);

bool ehEspaco(char32_t c);
// Without the white space at either end (tabs, line breaks, blanks, no-break spaces).
std::string apara(std::string_view utf8);

bool comecaCom(std::string_view texto, std::string_view prefixo);

// Padded on the left with |preenche| up to |largura| characters; never cut.
std::string justificaDireita(std::string_view utf8, std::size_t largura, char preenche = ' ');

// A decimal whole number with optional sign, white space allowed at either end; nothing
// when anything else is there or it does not fit.
std::optional<std::int64_t> leInteiro64(std::string_view texto);

// A file system path from a UTF-8 text, whatever the system's narrow encoding is.
inline std::filesystem::path caminhoUtf8(std::string_view utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

} // namespace base
