#pragma once
// The three data modules of a run: the register and numbered tables, the destination
// company's data sets and the origin company's. Each owns its data sets.

#include "notera/core/AmbienteEmpresa.h"

#include "db/Conjunto.h"

#include <QString>

namespace notera {

struct TTabPadroes {
    db::Consulta QTbEmp;
    db::Tabela TbCtl;
    db::Tabela TbCal;
    TTabPadroes();
};

// The chart queries' calculated field Codigo reads the configuration of the module's
// company, and the company's environment lists the module's data sets, so the modules stay
// where they were built.
struct TTabDestino {
    db::Consulta QTbCli, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanRec, TbLctDes, TbTotDes;
    AmbienteEmpresa Ambiente;
    TTabDestino();
    TTabDestino(const TTabDestino&) = delete;
    TTabDestino& operator=(const TTabDestino&) = delete;
};

struct TTabOrigem {
    db::Consulta QTbFor, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanPag, TbChqPag, TbLctOri, TbTotOri;
    AmbienteEmpresa Ambiente;
    TTabOrigem();
    TTabOrigem(const TTabOrigem&) = delete;
    TTabOrigem& operator=(const TTabOrigem&) = delete;
};

// A field of a data set's current record as text.
QString textoDoCampo(const db::Conjunto& conjunto, const char* campo);

// Codigo of a chart row: the displayed reduced code, empty below 1.
db::Valor QTbPlaCalcFields(const db::Registro& conta, const QString& configuracao);

} // namespace notera
