// Account codes: the typed text classified for a company's configuration, the levels of a
// structural code, the synthetic test and the displayed reduced code. The input is the
// configuration, a NUL, then the typed text.

#include "notera/core/Contas.h"

#include "base/Cp1252.h"
#include "base/Texto.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const char* p = reinterpret_cast<const char*>(dados);
    const char* nul = static_cast<const char*>(std::memchr(p, 0, tamanho));
    const std::size_t corte = nul ? static_cast<std::size_t>(nul - p) : 0;
    const std::string cfg = base::cp1252ParaUtf8(std::string(p, corte));
    const std::size_t inicio = nul ? corte + 1 : 0;
    const std::string texto(p + inicio, tamanho - inicio);

    (void)notera::classificaTextoDeConta(texto, cfg);
    (void)notera::classificaTextoDeConta(base::apara(texto), cfg);
    (void)notera::SeparaNiveis(texto);
    (void)notera::EhSintetica(texto);
    std::int64_t reduzido = 0;
    std::memcpy(&reduzido, p, std::min(tamanho, sizeof reduzido));
    (void)notera::FormataReduzido(reduzido, cfg);
    return 0;
}
