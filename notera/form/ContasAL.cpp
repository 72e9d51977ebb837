#include "ContasAL.h"

#include "LogicaAL.h"

#include "base/Texto.h"
#include "notera/core/Contas.h"
#include "notera/core/Execucao.h"
#include "notera/form/Nomes.h"
#include "platform/CapsLock.h"

namespace notera {

using namespace nome;

namespace {

const std::string SemSintetica = "Não é possível lançar em contas sintéticas!";

// An account field: its company side, chart and form value.
struct CampoConta {
    std::string_view campo;
    bool destino;
    char tipo;
    TextoFixo<30> EstadoAL::*valor;
};

const CampoConta CamposConta[] = {
    {Ed_Cred1, true, 'F', &EstadoAL::ContaCred1},    {Ed_CredG1, true, 'G', &EstadoAL::ContaCredG1},
    {Ed_Cred2, false, 'F', &EstadoAL::ContaCred2},   {Ed_Deb2, false, 'F', &EstadoAL::ContaDeb2},
    {Ed_CredG2, false, 'G', &EstadoAL::ContaCredG2}, {Ed_DebG2, false, 'G', &EstadoAL::ContaDebG2},
};

const CampoConta& campoConta(std::string_view campo) {
    for (const auto& c : CamposConta)
        if (campo == c.campo) return c;
    return CamposConta[0];
}

db::Consulta& planoDe(Execucao& ex, bool destino, char tipo) {
    if (destino) return tipo == 'F' ? ex.TabDestino.QTbPla : ex.TabDestino.QTbPlaG;
    return tipo == 'F' ? ex.TabOrigem.QTbPla : ex.TabOrigem.QTbPlaG;
}

} // namespace

std::string ContasAL::BuscaConta(std::int32_t empresa, const std::string& digitado, char tipo) {
    const std::string texto = base::apara(digitado);
    db::Consulta& plano = planoDe(*l_.execucao(), empresa == l_.estado().CodEmpDestino, tipo);
    auto& emp = l_.execucao()->TabPadroes.QTbEmp;
    const std::string cfg =
        emp.localiza("cod_emp", db::Valor(empresa)) ? textoDoCampo(emp, "cfg_emp") : std::string();

    auto sintetica = [&] { return EhSintetica(textoDoCampo(plano, "cde_pla")); };
    // A synthetic match is refused with a warning and offered in the dialog.
    auto aceitaAchado = [&] {
        if (!sintetica()) return true;
        l_.mensagens().atencao(SemSintetica);
        return SelecionaConta(plano);
    };

    bool aceito = false;
    const TextoDeConta tc = classificaTextoDeConta(texto, cfg);
    switch (tc.busca) {
    case BuscaDeConta::Estrutural:
        aceito =
            plano.localiza("cde_pla", db::Valor(texto)) ? aceitaAchado() : SelecionaConta(plano);
        break;
    case BuscaDeConta::Descricao:
        if (plano.localiza("nom_pla", db::Valor(texto))) {
            aceito = aceitaAchado();
        } else {
            plano.localiza("nom_pla", db::Valor(texto),
                           db::Busca::Prefixo); // the dialog opens there
            aceito = SelecionaConta(plano);
            if (aceito && sintetica()) {
                l_.mensagens().atencao(SemSintetica);
                aceito = SelecionaConta(plano);
            }
        }
        break;
    case BuscaDeConta::Reduzido: {
        const auto n = base::leInteiro64(tc.digitosReduzidos);
        if (n && *n <= INT32_MAX && plano.localiza("cdr_pla", db::Valor(static_cast<int>(*n)))) {
            aceito = aceitaAchado();
            if (aceito && FormataReduzido(plano.campo("cdr_pla").comoInteiro(), cfg) != texto)
                aceito = SelecionaConta(plano);
        } else {
            aceito = SelecionaConta(plano);
        }
        break;
    }
    case BuscaDeConta::SoDialogo:
        aceito = SelecionaConta(plano);
        break;
    }
    if (!aceito) return {};
    return FormataReduzido(plano.campo("cdr_pla").comoInteiro(), cfg) + "  " +
           textoDoCampo(plano, "nom_pla");
}

bool ContasAL::SelecionaConta(db::Consulta& plano) {
    platform::AjustaCapsLock(true);
    bool aceito = false;
    while (l_.execucao()->servicos.temSelecao()) {
        const auto escolha = l_.execucao()->servicos.SelecionaRegistro(
            "Seleção de Conta Contábil", plano, {"codigo", "cde_pla", "nom_pla"},
            {"Reduzido", "Estrutural", "Descrição"});
        if (!escolha) break;
        // The chosen record's structural code decides, as everywhere else.
        if (EhSintetica(textoDoCampo(plano, "cde_pla"))) {
            l_.mensagens().atencao(SemSintetica);
            continue;
        }
        aceito = true;
        break;
    }
    platform::AjustaCapsLock(false);
    return aceito;
}

void ContasAL::entradaConta(std::string_view campo) {
    l_.estado().Saindo = false;
    const CampoConta& cc = campoConta(campo);
    auto& valor = l_.estado().*cc.valor;
    auto& ex = *l_.execucao();
    if (valor.vazio()) {
        auto contaDaCategoria = [&](db::Consulta& red, std::int32_t categoria) {
            if (categoria > 0 && red.localiza("cod_red", db::Valor(categoria)))
                valor = base::inicio(textoDoCampo(red, "ccb_red"), 30);
        };
        auto gerencialDaFiscal = [&](db::Consulta& pla, db::Consulta& plaG,
                                     const std::string& fiscal) {
            if (fiscal.empty() || !pla.localiza("cde_pla", db::Valor(fiscal))) return;
            const std::string plag = textoDoCampo(pla, "plag_pla");
            if (!plag.empty() && plaG.localiza("cde_pla", db::Valor(plag))) valor = plag;
        };
        if (campo == Ed_Cred1)
            contaDaCategoria(ex.TabDestino.QTbRed, l_.estado().CodReceita);
        else if (campo == Ed_Deb2)
            contaDaCategoria(ex.TabOrigem.QTbRed, l_.estado().CodDespesa);
        else if (campo == Ed_CredG1)
            gerencialDaFiscal(ex.TabDestino.QTbPla, ex.TabDestino.QTbPlaG, l_.estado().ContaCred1);
        else if (campo == Ed_DebG2)
            gerencialDaFiscal(ex.TabOrigem.QTbPla, ex.TabOrigem.QTbPlaG, l_.estado().ContaDeb2);
    }
    const bool semPadrao = campo == Ed_Cred2 || campo == Ed_CredG2;
    if (!(semPadrao && valor.vazio())) l_.visao().defineTexto(campo, valor);
    l_.visao().selecionaTudo(campo);
}

void ContasAL::teclaEnterConta(std::string_view campo, std::string_view remetente) {
    const CampoConta& cc = campoConta(campo);
    auto& valor = l_.estado().*cc.valor;
    const std::string digitado = l_.visao().texto(campo);
    if (base::apara(digitado).empty()) {
        valor = std::string();
    } else {
        const std::int32_t empresa =
            cc.destino ? l_.estado().CodEmpDestino : l_.estado().CodEmpresa;
        const std::string achado = BuscaConta(empresa, digitado, cc.tipo);
        l_.visao().defineTexto(campo, achado);
        valor =
            achado.empty()
                ? std::string()
                : base::inicio(
                      textoDoCampo(planoDe(*l_.execucao(), cc.destino, cc.tipo), "cde_pla"), 30);
    }
    if (campo == Ed_Cred1) {
        if (l_.visao().visivelNaPagina(Ed_CredG1))
            l_.solicitaFoco(l_.seguinte(remetente));
        else if (l_.mensagens().pergunta(platform::Icone::Aviso, "Deseja concluir AL?"))
            l_.BtOkClick();
    } else if (campo == Ed_Cred2 || campo == Ed_CredG2) {
        l_.solicitaFoco(l_.seguinte(remetente));
    } else if (campo == Ed_Deb2 || campo == Ed_DebG2) {
        l_.solicitaFoco(l_.seguinte(remetente));
        l_.visao().rolaGradeParaColuna(0);
    }
}

void ContasAL::ligaHandlers() {
    for (const auto& c : CamposConta) {
        const std::string_view campo = c.campo;
        l_.defineEntrada(campo, [this, campo] { entradaConta(campo); });
    }
}

} // namespace notera
