#pragma once
// The posting steps of the OK action: numbers, writers and the AL register record.

#include "notera/core/ResultadoPostagem.h"
#include "notera/core/Transferencia.h"

namespace notera {

struct Execucao;

// Posts the transfer. The result is not Concluida when the action ends short of its normal
// end (the AL register record could not be written, or its reservation was refused).
ResultadoPostagem PostaTransferencia(Execucao& ex, const DadosTransferencia& dados);

} // namespace notera
