#pragma once
// One cheque job: front, then back and copy on request, on any system.

#include "PrintFiles.h"
#include "Sistema.h"

#include <stdexcept>
#include <string>

namespace cheque {

// Ends the job; its message (code page 1252) reaches the caller through fCheque_Erro.
struct ErroCheque : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Runs the job and returns the print file's path.
std::string executaCheque(Sistema& sistema, const std::string& porta, const DadosCheque& dados,
                          bool imprimeCopia);

// "hhnnss" for a time of day in seconds, wrapping at midnight.
std::string horaHHNNSS(int segundosDoDia);

} // namespace cheque
