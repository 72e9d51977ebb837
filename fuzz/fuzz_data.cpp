// Dates typed through the mask "  /  /    ": the empty test and the date reader.

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
        const bool vazia = notera::DataVazia(texto);
        const auto data = notera::LeData(texto);
        // An empty cell is never a date, and a date read is a real day.
        if (vazia && data) std::abort();
        if (data && !base::Data::valida(data->ano, data->mes, data->dia)) std::abort();
    }
    return 0;
}
