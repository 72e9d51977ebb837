#pragma once
// What posting a transfer hands back to the form.

#include <cstdint>
#include <string>

namespace notera {

struct ResultadoPostagem {
    std::int32_t NumeroAL = 0; // 0 when none could be issued
    bool Confirmado = false;   // the transfer's records were written
    // False when the action ends short of its normal end: the form stays open.
    bool Concluida = true;
    std::string Mensagem; // a plain message box to show, when not empty
};

} // namespace notera
