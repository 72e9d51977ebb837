// Amounts as typed: the amount reader, the decimal reader, the key filter and the code
// reader, on any bytes read as UTF-8 and as Latin-1.

#include "notera/form/Operacoes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const char* p = reinterpret_cast<const char*>(dados);
    const auto n = static_cast<qsizetype>(tamanho);
    for (const QString& texto : {QString::fromUtf8(p, n), QString::fromLatin1(p, n)}) {
        const base::Dinheiro padrao = base::Dinheiro::deDezMilesimos(-7);
        (void)notera::ValorMonetario(texto, padrao);
        if (auto v = notera::LeValorDecimal(texto)) {
            // What the decimal reader accepts, the amount reader reads alike.
            if (notera::ValorMonetario(texto, padrao) != *v) std::abort();
        }
        (void)notera::leInteiro(texto);
        (void)notera::EhNome(texto);
        if (!texto.isEmpty()) {
            const QString antes = texto.left(texto.size() - 1);
            for (int decimais : {0, 2, 4})
                (void)notera::FiltraDecimal(antes, texto.back(), decimais);
        }
    }
    return 0;
}
