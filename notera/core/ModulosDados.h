#pragma once
// The three data modules of a run: the register and numbered tables, the destination
// company's data sets and the origin company's. Each owns its data sets.

#include "db/Conjunto.h"

#include <QString>

namespace notera {

struct TTabPadroes {
    db::Consulta QTbEmp;
    db::Tabela TbCtl;
    db::Tabela TbCal;
    TTabPadroes();
};

// The chart queries' calculated field Codigo reads the module's ConfigEmpresa, so the
// modules stay where they were built.
struct TTabDestino {
    db::Consulta QTbCli, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanRec, TbLctDes, TbTotDes;
    QString ConfigEmpresa;
    TTabDestino();
    TTabDestino(const TTabDestino&) = delete;
    TTabDestino& operator=(const TTabDestino&) = delete;
};

struct TTabOrigem {
    db::Consulta QTbFor, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanPag, TbChqPag, TbLctOri, TbTotOri;
    QString ConfigEmpresa;
    TTabOrigem();
    TTabOrigem(const TTabOrigem&) = delete;
    TTabOrigem& operator=(const TTabOrigem&) = delete;
};

// A field of a data set's current record as text.
QString textoDoCampo(const db::Conjunto& conjunto, const char* campo);

// Codigo of a chart row: the displayed reduced code, empty below 1.
db::Valor QTbPlaCalcFields(const db::Registro& conta, const QString& configuracao);

// A company's directory: the register directory, "/", the code with at least three digits.
QString diretorioDaEmpresa(const QString& diretorioTabelas, int codigo);

// Character n (counting from 1) of a configuration text is "S".
bool configuracaoLigada(const QString& cfg, int posicao);

} // namespace notera
