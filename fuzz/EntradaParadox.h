#pragma once
// One fuzz input for the Paradox reader holds a table file and its blob file end to end:
// the table file is as long as its header says (header size plus its blocks), the rest
// is the blob file. The seeds are made that way, so mutations reach the blob reader too.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace entrada_paradox {

// Header fields at their offsets in the table file (little-endian): header size (2 bytes
// at 0x02), block size in kB (1 byte at 0x05), blocks in use (2 bytes at 0x0C).
inline std::size_t tamanhoDaTabela(std::string_view e) {
    if (e.size() < 0x0E) return e.size();
    auto u8 = [&](std::size_t p) {
        return static_cast<std::size_t>(static_cast<unsigned char>(e[p]));
    };
    const std::size_t cabecalho = u8(0x02) | u8(0x03) << 8;
    const std::size_t bloco = u8(0x05) * 1024;
    const std::size_t blocos = u8(0x0C) | u8(0x0D) << 8;
    const std::size_t total = cabecalho + bloco * blocos;
    return total < e.size() ? total : e.size();
}

} // namespace entrada_paradox
