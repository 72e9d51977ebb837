#pragma once
// The transfer as the form holds it, and its one reading into a value: the form's state, the
// texts of the amount and of the three variable histories, and the cheque grid as shown
// (row 0 holds titles) with the codes kept behind it.

#include "notera/core/Transferencia.h"
#include "notera/form/EstadoAL.h"
#include "notera/form/GradeTextos.h"

namespace notera {

struct TextosTransferencia {
    EstadoAL estado;
    std::string Valor;     // Ed_Valor
    std::string HistVar1;  // Ed_HistVar1
    std::string HistVar2;  // Ed_HistVar2
    std::string HisVarBan; // Ed_HisVarBan
    GradeTextos Cheques;
};

// The amount is read by ValorMonetario (the OK action has checked it as a plain decimal, which
// reads the same); cheque amounts as plain decimals, dates as dd/mm/yyyy, codes as decimal
// whole numbers. A grid whose only row has no due date holds no cheques.
DadosTransferencia LeTransferencia(const TextosTransferencia& textos);

} // namespace notera
