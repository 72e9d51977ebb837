#pragma once
// The register and the numbered tables of a run: the company register query, the lots
// listed for totals (TbCtl) and the AL register (TbCal).

#include "db/Conjunto.h"

namespace notera {

struct TTabPadroes {
    db::Consulta QTbEmp;
    db::Tabela TbCtl;
    db::Tabela TbCal;
    TTabPadroes();
};

} // namespace notera
