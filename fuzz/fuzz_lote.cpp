// The spooler's batch interpreter and port resolution on any batch text.

#include "Spool.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string_view lote(reinterpret_cast<const char*>(dados), tamanho);
    for (const auto& c : cheque::interpretaLote(lote, "/tmp/123456.TXT"))
        (void)cheque::resolvePorta(c.porta);
    (void)cheque::resolvePorta(lote);
    return 0;
}
