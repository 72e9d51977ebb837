#include "TTabOrigem.h"

#include "ModulosDados.h"

#include <string>
#include <vector>

namespace notera {

namespace {

using Linhas = std::vector<std::string>;

} // namespace

TTabOrigem::TTabOrigem()
    : QTbFor({}, Linhas{"Select cod_for, nom_for, ccn_for, hpn_for", "From TbFor"}),
      QTbRed({}, Linhas{"Select cod_red, nom_red, ccb_red, his_red", "From TbRed"}),
      QTbHis({}, Linhas{"Select cod_his, nom_his", "From TbHis"}),
      QTbPla({}, Linhas{"Select cde_pla, cdr_pla, nom_pla, plag_pla", "From TbPla"}),
      QTbPlaG({}, Linhas{"Select cde_pla, cdr_pla, nom_pla", "From TbPlaG"}),
      QTbBan({}, Linhas{"Select cod_ban, nom_ban, ccb_ban, ccn_ban, hpn_ban", "From TbBan"}),
      QTbCen({}, Linhas{"Select cod_cen, nom_cen", "From TbCen"}) {
    CalculaCodigo(QTbPla, Ambiente.configuracao());
    CalculaCodigo(QTbPlaG, Ambiente.configuracao());
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

std::optional<ChequeEmitido> TTabOrigem::ChequeJaEmitido(std::int32_t banco, std::int64_t numero) {
    if (!TbChqPag.aberto()) return std::nullopt;
    if (!TbChqPag.localiza({{"ban_chq", db::Valor(banco)}, {"num_chq", db::Valor(numero)}}))
        return std::nullopt;
    ChequeEmitido c;
    c.lancamento = TbChqPag.campo("lan_chq").comoInteiro();
    if (const auto& v = TbChqPag.campo("ven_chq"); !v.ehNulo()) c.vencimento = v.comoData();
    c.valor = TbChqPag.campo("val_chq").comoDinheiro();
    return c;
}

} // namespace notera
