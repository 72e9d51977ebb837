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
    calculaCodigo(QTbPla, ConfigEmpresa);
    calculaCodigo(QTbPlaG, ConfigEmpresa);
    TbLanRec.defineNome("TbLanRec.db");
    TbLctDes.defineNome("TbLct");
    TbTotDes.defineNome("TbTot");
}

TTabOrigem::TTabOrigem()
    : QTbFor({}, Linhas{"Select cod_for, nom_for, ccn_for, hpn_for", "From TbFor"}),
      QTbRed({}, Linhas{"Select cod_red, nom_red, ccb_red, his_red", "From TbRed"}),
      QTbHis({}, Linhas{"Select cod_his, nom_his", "From TbHis"}),
      QTbPla({}, Linhas{"Select cde_pla, cdr_pla, nom_pla, plag_pla", "From TbPla"}),
      QTbPlaG({}, Linhas{"Select cde_pla, cdr_pla, nom_pla", "From TbPlaG"}),
      QTbBan({}, Linhas{"Select cod_ban, nom_ban, ccb_ban, ccn_ban, hpn_ban", "From TbBan"}),
      QTbCen({}, Linhas{"Select cod_cen, nom_cen", "From TbCen"}) {
    calculaCodigo(QTbPla, ConfigEmpresa);
    calculaCodigo(QTbPlaG, ConfigEmpresa);
    TbLanPag.defineNome("TbLanPag.db");
    TbChqPag.defineNome("TbChqPag.db");
    TbLctOri.defineNome("TbLct");
    TbTotOri.defineNome("TbTot");
}

QString diretorioDaEmpresa(const QString& diretorioTabelas, int codigo) {
    QString n = QString::number(codigo);
    if (codigo >= 0)
        n = n.rightJustified(3, '0');
    else
        n = '-' + QString::number(-static_cast<long long>(codigo)).rightJustified(3, '0');
    return diretorioTabelas + '/' + n;
}

bool configuracaoLigada(const QString& cfg, int posicao) {
    return cfg.size() >= posicao && cfg[posicao - 1] == 'S';
}

} // namespace notera
