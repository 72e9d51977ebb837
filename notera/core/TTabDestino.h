#pragma once
// The destination company's data sets. The chart queries' calculated field Codigo reads
// the configuration of the company in Ambiente, and Ambiente lists the module's data sets,
// so the module stays where it was built.

#include "db/Conjunto.h"
#include "notera/core/AmbienteEmpresa.h"

namespace notera {

struct TTabDestino {
    db::Consulta QTbCli, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanRec, TbLctDes, TbTotDes;
    AmbienteEmpresa Ambiente;
    TTabDestino();
    TTabDestino(const TTabDestino&) = delete;
    TTabDestino& operator=(const TTabDestino&) = delete;
};

} // namespace notera
