#pragma once
// One transfer as a value: what the form collected, read once, for the posting and the notice.

#include "base/BrFormat.h"
#include "base/Money.h"
#include "notera/core/TextoFixo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace notera {

// The cheque grid's columns, for the grid and for whatever reads a cheque row.
enum ColunaCheque : int {
    ColVencimento = 0,
    ColBanco = 1,
    ColNumero = 2,
    ColValor = 3,
    ColHistorico = 4,
    ColSituacao = 5,
    ColMotivo = 6,
    ColQuitacao = 7,
    ColContaFiscal = 8,
    ColContaGerencial = 9,
};
inline constexpr int ColunasCheque = 10;

// One cheque row, read.
struct ChequeTransferencia {
    base::Data Vencimento;
    std::int32_t Banco = 0; // the bank account's code, kept behind the name shown
    std::int32_t Numero = 0;
    base::Dinheiro Valor;
    std::string Historico;
    std::string Situacao; // its letter: P, D, C or V
    std::int32_t Motivo = 0;
    std::optional<base::Data> Quitacao; // read for a cleared cheque only
    std::string ContaFiscal, ContaGerencial;
    // A cell the grid's checks let through that does not read: the cheque writer stops at
    // this row with this text, as it stopped at the cell.
    std::string Invalida;
};

// The companies, codes and accounts of a transfer, as the form's handlers fill them and as
// the posting reads them.
struct CodigosTransferencia {
    // Companies.
    std::int32_t CodEmpresa = 0; // origin
    std::int32_t CodEmpDestino = 0;
    bool OrigemContabil = false;

    // Origin side.
    std::int32_t CodFornecedor = 0;
    TextoFixo<11> CodCusto2;
    std::int32_t CodBanco2 = 0;
    std::int32_t CodDespesa = 0;
    std::int32_t CodHistPad2 = 0;
    std::int32_t CodHisPadBan = 0;
    TextoFixo<30> ContaCred2, ContaDeb2;
    TextoFixo<30> ContaCredG2, ContaDebG2;

    // Destination side.
    std::int32_t CodCliente = 0;
    TextoFixo<11> CodCusto1;
    std::int32_t CodBanco1 = 0;
    std::int32_t CodReceita = 0;
    std::int32_t CodHistPad1 = 0;
    TextoFixo<30> ContaCred1;
    TextoFixo<30> ContaCredG1;
};

struct DadosTransferencia : CodigosTransferencia {
    base::Dinheiro Valor;
    std::string HistVar1;  // destination's variable history
    std::string HistVar2;  // origin's
    std::string HisVarBan; // origin bank's
    // Empty when the transfer is paid without cheques.
    std::vector<ChequeTransferencia> Cheques;
};

} // namespace notera
