// Account codes: the typed text classified for a company's configuration, the levels of a
// structural code, the synthetic test and the displayed reduced code. The input is the
// configuration, a NUL, then the typed text.

#include "notera/core/Contas.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const char* p = reinterpret_cast<const char*>(dados);
    const char* nul = static_cast<const char*>(std::memchr(p, 0, tamanho));
    const std::size_t corte = nul ? static_cast<std::size_t>(nul - p) : 0;
    const QString cfg = QString::fromLatin1(p, static_cast<qsizetype>(corte));
    const std::size_t inicio = nul ? corte + 1 : 0;
    const QString texto = QString::fromUtf8(p + inicio, static_cast<qsizetype>(tamanho - inicio));

    (void)notera::classificaTextoDeConta(texto, cfg);
    (void)notera::classificaTextoDeConta(texto.trimmed(), cfg);
    (void)notera::SeparaNiveis(texto);
    (void)notera::EhSintetica(texto);
    std::int64_t reduzido = 0;
    std::memcpy(&reduzido, p, std::min(tamanho, sizeof reduzido));
    (void)notera::FormataReduzido(reduzido, cfg);
    return 0;
}
