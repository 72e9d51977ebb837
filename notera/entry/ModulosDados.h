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

struct TTabDestino {
    db::Consulta QTbCli, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanRec, TbLctDes, TbTotDes;
    QString ConfigEmpresa;
    TTabDestino();
};

struct TTabOrigem {
    db::Consulta QTbFor, QTbRed, QTbHis, QTbPla, QTbPlaG, QTbBan, QTbCen;
    db::Tabela TbLanPag, TbChqPag, TbLctOri, TbTotOri;
    QString ConfigEmpresa;
    TTabOrigem();
};

// A company's directory: the register directory, "/", the code with at least three digits.
QString diretorioDaEmpresa(const QString& diretorioTabelas, int codigo);

// Character n (counting from 1) of a configuration text is "S".
bool configuracaoLigada(const QString& cfg, int posicao);

} // namespace notera
