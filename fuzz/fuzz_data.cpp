// Dates typed through the mask "  /  /    ": the empty test and the date reader.

#include "notera/form/Operacoes.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const char* p = reinterpret_cast<const char*>(dados);
    const auto n = static_cast<qsizetype>(tamanho);
    for (const QString& texto : {QString::fromUtf8(p, n), QString::fromLatin1(p, n)}) {
        const bool vazia = notera::DataVazia(texto);
        const auto data = notera::LeData(texto);
        // An empty cell is never a date, and a date read is a real day.
        if (vazia && data) std::abort();
        if (data && !base::Data::valida(data->ano, data->mes, data->dia)) std::abort();
    }
    return 0;
}
