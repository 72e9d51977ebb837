#include "TTabDestino.h"

#include "ModulosDados.h"

#include <string>
#include <vector>

namespace notera {

namespace {

using Linhas = std::vector<std::string>;

} // namespace

TTabDestino::TTabDestino()
    : QTbCli({}, Linhas{"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"}),
      QTbRed({}, Linhas{"Select cod_red, nom_red, ccb_red, his_red", "From TbRed"}),
      QTbHis({}, Linhas{"Select cod_his, nom_his", "From TbHis"}),
      QTbPla({}, Linhas{"Select cde_pla, cdr_pla, nom_pla, plag_pla", "From TbPla"}),
      QTbPlaG({}, Linhas{"Select cde_pla, cdr_pla, nom_pla", "From TbPlaG", ""}),
      QTbBan({}, Linhas{"Select cod_ban, nom_ban, ccb_ban", "From TbBan"}),
      QTbCen({}, Linhas{"Select cod_cen, nom_cen", "From TbCen"}) {
    CalculaCodigo(QTbPla, Ambiente.configuracao());
    CalculaCodigo(QTbPlaG, Ambiente.configuracao());
    TbLanRec.defineNome("TbLanRec.db");
    TbLctDes.defineNome("TbLct");
    TbTotDes.defineNome("TbTot");
    using Q = AmbienteEmpresa::Quando;
    Ambiente.adicionaCatalogo(QTbCli);
    Ambiente.adicionaCatalogo(QTbRed);
    Ambiente.adicionaCatalogo(QTbHis);
    Ambiente.adicionaCatalogo(QTbPla, Q::Contabil);
    Ambiente.adicionaCatalogo(QTbPlaG, Q::Gerencial);
    Ambiente.adicionaTabela(TbLctDes, Q::Contabil);
    Ambiente.adicionaTabela(TbTotDes, Q::Contabil);
    Ambiente.adicionaCatalogo(QTbBan);
    Ambiente.adicionaCatalogo(QTbCen);
    Ambiente.adicionaTabela(TbLanRec);
}

} // namespace notera
