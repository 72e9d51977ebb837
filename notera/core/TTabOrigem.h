#pragma once
// The origin company's data sets, pointed at the company the form chooses. As with the
// destination, the module stays where it was built.

#include "base/BrFormat.h"
#include "base/Money.h"
#include "db/Conjunto.h"
#include "notera/core/AmbienteEmpresa.h"

#include <cstdint>
#include <optional>

namespace notera {

// A cheque the origin company already has in its cheques table.
struct ChequeEmitido {
    std::int64_t lancamento = 0;          // lan_chq
    std::optional<base::Data> vencimento; // none when ven_chq is empty
    base::Dinheiro valor;
};

struct TTabOrigem {
    db::Consulta QTbFor, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanPag, TbChqPag, TbLctOri, TbTotOri;
    AmbienteEmpresa Ambiente;
    TTabOrigem();
    TTabOrigem(const TTabOrigem&) = delete;
    TTabOrigem& operator=(const TTabOrigem&) = delete;

    // The first cheque of bank account |banco| with number |numero| in TbChqPag, when the
    // table is open and holds one. The table's current record moves to it.
    std::optional<ChequeEmitido> ChequeJaEmitido(std::int32_t banco, std::int64_t numero);
};

} // namespace notera
