// The spooler's batch interpreter and port resolution on any batch text: a batch is taken
// whole or refused whole, and what it runs is only a mode line, EXIT and the printing of the
// job's own print file to a port without control characters.

#include "Spool.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view texto(reinterpret_cast<const char*>(dados), tamanho);
    const std::string_view esperado = "/tmp/123456.TXT";
    const cheque::Lote lote = cheque::interpretaLote(texto, esperado);
    if (!lote.erro.empty() && !lote.comandos.empty()) std::abort();
    for (const auto& c : lote.comandos) {
        if (c.tipo == cheque::ComandoLote::Tipo::Imprime && c.arquivo != esperado) std::abort();
        if (std::any_of(c.porta.begin(), c.porta.end(),
                        [](char x) { return static_cast<unsigned char>(x) < ' '; }))
            std::abort();
        (void)cheque::resolvePorta(c.porta);
    }
    (void)cheque::resolvePorta(texto);
    return 0;
}
