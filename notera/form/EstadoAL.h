#pragma once
// The state of one transfer on the form, filled by the field handlers.

#include "notera/core/TextoFixo.h"
#include "notera/core/Transferencia.h"
#include "notera/form/GradeTextos.h"

#include <cstdint>

namespace notera {

// The transfer's codes and accounts come from CodigosTransferencia, declared once for the
// form and for the posting.
struct EstadoAL : CodigosTransferencia {
    std::int32_t EmpOrigemAberta = 0;
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
