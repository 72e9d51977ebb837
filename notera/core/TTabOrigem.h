#pragma once
// The origin company's data sets, pointed at the company the form chooses. As with the
// destination, the module stays where it was built.

#include "db/Conjunto.h"
#include "notera/core/AmbienteEmpresa.h"

namespace notera {

struct TTabOrigem {
    db::Consulta QTbFor, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanPag, TbChqPag, TbLctOri, TbTotOri;
    AmbienteEmpresa Ambiente;
    TTabOrigem();
    TTabOrigem(const TTabOrigem&) = delete;
    TTabOrigem& operator=(const TTabOrigem&) = delete;
};

} // namespace notera
