#pragma once
// One run of GeraAL: the run environment and the three data modules, fresh for every call.

#include "ModulosDados.h"
#include "Servicos.h"

#include <QString>

namespace notera {

struct Execucao {
    explicit Execucao(ServicosHost s) : servicos(s) {}

    QString DirTabelas;
    QString DirEmpDestino;
    QString DirCatDestino;
    ServicosHost servicos;
    QString RefPagamentos;
    QString TextoControle;
    double DataMovimento = 0;

    TTabPadroes TabPadroes;
    TTabDestino TabDestino;
    TTabOrigem TabOrigem;
};

} // namespace notera
