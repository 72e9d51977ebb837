#pragma once
// The state of one transfer on the form, filled by the field handlers.

#include "notera/core/TextoFixo.h"
#include "notera/form/GradeTextos.h"

#include <QString>

#include <cstdint>

namespace notera {

struct EstadoAL {
    std::int32_t CodEmpresa = 0;
    std::int32_t EmpOrigemAberta = 0;
    bool OrigemContabil = false;
    std::int32_t CodFornecedor = 0;
    TextoFixo<11> CodCusto2;
    std::int32_t CodBanco2 = 0;
    std::int32_t CodDespesa = 0;
    std::int32_t CodHistPad2 = 0;
    std::int32_t CodHisPadBan = 0;
    TextoFixo<30> ContaCred2, ContaDeb2;
    TextoFixo<30> ContaCredG2, ContaDebG2;
    std::int32_t CodCliente = 0;
    TextoFixo<11> CodCusto1;
    std::int32_t CodBanco1 = 0;
    std::int32_t CodReceita = 0;
    std::int32_t CodHistPad1 = 0;
    TextoFixo<30> ContaCred1;
    TextoFixo<30> ContaCredG1;
    std::int32_t CodEmpDestino = 0;
    TextoFixo<255> DirDados;
    TextoFixo<255> TabelaLanPag, TabelaChqPag;
    std::int32_t NumeroAL = 0;
    bool OkLivre = true;
    bool Saindo = false;
    bool Confirmado = false;
    int LarguraConta = 0;
    GradeTextos GradeAux;
};

} // namespace notera
