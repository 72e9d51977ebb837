#pragma once
// One run of GeraAL: the run environment and the three data modules, fresh for every call.

#include "Mensagens.h"
#include "ModulosDados.h"
#include "Servicos.h"
#include "TTabDestino.h"
#include "TTabOrigem.h"
#include "TTabPadroes.h"

#include <string>

namespace notera {

struct Execucao {
    explicit Execucao(ServicosHost s,
                      std::unique_ptr<Mensagens> m = std::make_unique<MensagensNaTela>())
        : servicos(s), mensagens(std::move(m)) {}

    std::string DirTabelas;
    ServicosHost servicos;
    std::unique_ptr<Mensagens> mensagens;
    std::string RefPagamentos;
    std::string TextoControle;
    double DataMovimento = 0;

    TTabPadroes TabPadroes;
    TTabDestino TabDestino;
    TTabOrigem TabOrigem;
};

} // namespace notera
