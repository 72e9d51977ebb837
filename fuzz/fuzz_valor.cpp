// Amounts as typed: the amount reader, the decimal reader, the key filter and the code
// reader, on any bytes as they are and read as code page 1252.

#include "notera/form/Operacoes.h"

#include "base/Cp1252.h"
#include "base/Texto.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const char* p = reinterpret_cast<const char*>(dados);
    const std::string bytes(p, tamanho);
    for (const std::string& texto : {bytes, base::cp1252ParaUtf8(bytes)}) {
        const base::Dinheiro padrao = base::Dinheiro::deDezMilesimos(-7);
        (void)notera::ValorMonetario(texto, padrao);
        if (auto v = notera::LeValorDecimal(texto)) {
            // What the decimal reader accepts, the amount reader reads alike.
            if (notera::ValorMonetario(texto, padrao) != *v) std::abort();
        }
        (void)notera::leInteiro(texto);
        (void)notera::EhNome(texto);
        const std::u32string letras = base::decodifica(texto);
        if (!letras.empty()) {
            const std::string antes = base::codifica(letras.substr(0, letras.size() - 1));
            for (int decimais : {0, 2, 4})
                (void)notera::FiltraDecimal(antes, letras.back(), decimais);
        }
    }
    return 0;
}
