#pragma once
// The posting steps of the OK action: numbers, writers, the AL register record, the notice.

namespace notera {

class LogicaAL;
struct Execucao;

// Posts the transfer on the form. False when the action ends without its normal end (the
// AL register record could not be written, or its reservation was refused).
bool PostaTransferencia(LogicaAL& logica, Execucao& ex);

} // namespace notera
