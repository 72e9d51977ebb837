#include "ModulosDados.h"

#include "notera/core/Contas.h"

namespace notera {

namespace {

using Linhas = std::vector<std::string>;

void calculaCodigo(db::Consulta& plano, const QString& configuracao) {
    plano.adicionaCalculado(
        "Codigo", db::Tipo::Texto,
        [&configuracao](const db::Registro& r) { return QTbPlaCalcFields(r, configuracao); }, 0);
}

} // namespace

QString textoDoCampo(const db::Conjunto& conjunto, const char* campo) {
    return QString::fromStdString(conjunto.campo(campo).comoTexto());
}

db::Valor QTbPlaCalcFields(const db::Registro& conta, const QString& configuracao) {
    const auto reduzido = conta["cdr_pla"].comoInteiro();
    if (reduzido < 1) return db::Valor(std::string());
    return db::Valor(FormataReduzido(reduzido, configuracao).toStdString());
}

TTabPadroes::TTabPadroes() : QTbEmp({}, Linhas{"Select *", "From TbEmp"}) {
    TbCtl.defineNome("TbCtl");
    TbCal.defineNome("TbCal");
}

TTabDestino::TTabDestino()
    : QTbCli({}, Linhas{"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"}),
      QTbRed({}, Linhas{"Select cod_red, nom_red, ccb_red, his_red", "From TbRed"}),
      QTbHis({}, Linhas{"Select cod_his, nom_his", "From TbHis"}),
      QTbPla({}, Linhas{"Select cde_pla, cdr_pla, nom_pla, plag_pla", "From TbPla"}),
      QTbPlaG({}, Linhas{"Select cde_pla, cdr_pla, nom_pla", "From TbPlaG", ""}),
      QTbBan({}, Linhas{"Select cod_ban, nom_ban, ccb_ban", "From TbBan"}),
      QTbCen({}, Linhas{"Select cod_cen, nom_cen", "From TbCen"}) {
    calculaCodigo(QTbPla, Ambiente.configuracao());
    calculaCodigo(QTbPlaG, Ambiente.configuracao());
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

TTabOrigem::TTabOrigem()
    : QTbFor({}, Linhas{"Select cod_for, nom_for, ccn_for, hpn_for", "From TbFor"}),
      QTbRed({}, Linhas{"Select cod_red, nom_red, ccb_red, his_red", "From TbRed"}),
      QTbHis({}, Linhas{"Select cod_his, nom_his", "From TbHis"}),
      QTbPla({}, Linhas{"Select cde_pla, cdr_pla, nom_pla, plag_pla", "From TbPla"}),
      QTbPlaG({}, Linhas{"Select cde_pla, cdr_pla, nom_pla", "From TbPlaG"}),
      QTbBan({}, Linhas{"Select cod_ban, nom_ban, ccb_ban, ccn_ban, hpn_ban", "From TbBan"}),
      QTbCen({}, Linhas{"Select cod_cen, nom_cen", "From TbCen"}) {
    calculaCodigo(QTbPla, Ambiente.configuracao());
    calculaCodigo(QTbPlaG, Ambiente.configuracao());
    TbLanPag.defineNome("TbLanPag.db");
    TbChqPag.defineNome("TbChqPag.db");
    TbLctOri.defineNome("TbLct");
    TbTotOri.defineNome("TbTot");
    using Q = AmbienteEmpresa::Quando;
    Ambiente.adicionaCatalogo(QTbFor);
    Ambiente.adicionaCatalogo(QTbRed);
    Ambiente.adicionaCatalogo(QTbHis);
    Ambiente.adicionaCatalogo(QTbBan);
    Ambiente.adicionaCatalogo(QTbCen);
    Ambiente.adicionaTabela(TbChqPag);
    Ambiente.adicionaTabela(TbLanPag);
    Ambiente.adicionaCatalogo(QTbPla, Q::Contabil);
    Ambiente.adicionaTabela(TbLctOri, Q::Contabil);
    Ambiente.adicionaTabela(TbTotOri, Q::Contabil);
    Ambiente.adicionaCatalogo(QTbPlaG, Q::Gerencial);
}

} // namespace notera
