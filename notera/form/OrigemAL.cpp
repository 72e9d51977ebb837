#include "OrigemAL.h"

#include "LogicaAL.h"
#include "Operacoes.h"

#include "notera/core/AoSair.h"
#include "notera/core/Execucao.h"
#include "notera/form/Nomes.h"

#include <filesystem>

namespace notera {

using namespace nome;

namespace {

std::int32_t inteiro(const db::Conjunto& c, const char* campo) {
    return static_cast<std::int32_t>(c.campo(campo).comoInteiro());
}

const auto& texto = textoDoCampo;

} // namespace

void OrigemAL::Ed_EmpresaEnter() {
    l_.estado().Saindo = false;
    if (l_.estado().CodEmpresa > 0)
        l_.visao().defineTexto(Ed_Empresa, std::to_string(l_.estado().CodEmpresa));
    l_.visao().selecionaTudo(Ed_Empresa);
}

void OrigemAL::Ed_EmpresaExit() {
    if (l_.estado().Saindo) return;
    const std::string_view campo = Ed_Empresa;
    auto& ex = *l_.execucao();
    auto& emp = ex.TabPadroes.QTbEmp;
    const std::string digitado = l_.visao().texto(campo);
    if (base::apara(digitado).empty()) {
        l_.mensagens().informacao("Informe a empresa geradora do recurso financeiro!");
        l_.estado().CodEmpresa = 0;
        l_.focaliza(campo);
        return;
    }
    bool achou = EhNome(digitado)
                     ? emp.localiza("nom_emp", db::Valor(digitado))
                     : emp.localiza("cod_emp", db::Valor(leInteiro(digitado).value_or(0)));
    if (!achou && ex.servicos.temSelecao()) {
        const auto n = CodigoEscolhido(ex.servicos.SelecionaRegistro(
            "Seleção de Empresas", emp, {"cod_emp", "nom_emp"}, {"Código", "Nome"}));
        if (n) {
            emp.localiza("cod_emp", db::Valor(*n));
            achou = true;
        }
    }
    if (!achou) {
        l_.estado().CodEmpresa = 0;
        l_.visao().defineTexto(campo, std::string());
        l_.mensagens().mensagem("Informe a empresa de onde virão os recursos financeiros!");
        l_.focaliza(campo);
        return;
    }
    l_.estado().CodEmpresa = inteiro(emp, "cod_emp");
    l_.visao().defineTexto(campo, texto(emp, "nom_emp"));
    if (l_.estado().CodEmpresa == l_.estado().CodEmpDestino) {
        l_.estado().CodEmpresa = 0;
        l_.visao().defineTexto(campo, std::string());
        l_.mensagens().informacao(
            "Não é possível informar a mesma empresa de destino dos recursos financeiro!");
        l_.focaliza(campo);
        return;
    }
    // Another company whose directory is the destination's own (a link to it) would post
    // both sides into one store.
    const std::string dirOrigem =
        diretorioDaEmpresa(l_.estado().DirDados.texto() + "Tabelas", l_.estado().CodEmpresa);
    const std::string& dirDestino = ex.TabDestino.Ambiente.diretorio();
    if (mesmoDiretorio(dirOrigem, dirDestino)) {
        const std::int32_t codigo = l_.estado().CodEmpresa;
        l_.estado().CodEmpresa = 0;
        l_.visao().defineTexto(campo, std::string());
        l_.mensagens().erro("O diretório da empresa " + std::to_string(codigo) + " (" + dirOrigem +
                            ") é o mesmo da empresa de destino " +
                            std::to_string(l_.estado().CodEmpDestino) + " (" + dirDestino + ")!");
        l_.focaliza(campo);
        return;
    }
    if (l_.estado().CodEmpresa == l_.estado().EmpOrigemAberta) return;
    trocaOrigem();
}

void OrigemAL::trocaOrigem() {
    auto& ex = *l_.execucao();
    auto& o = ex.TabOrigem;
    l_.estado().EmpOrigemAberta = l_.estado().CodEmpresa;
    o.Ambiente.fecha();

    // The origin's directories are formed from the data directory as passed.
    o.Ambiente.define(l_.estado().DirDados.texto() + "Tabelas",
                      RegistroEmpresa::doAtual(l_.estado().CodEmpresa, ex.TabPadroes.QTbEmp));
    std::error_code ec;
    l_.estado().OrigemContabil = std::filesystem::exists(
        base::caminhoUtf8(l_.estado().DirDados.texto() + "Contabilidade.exe"), ec);
    const bool contabil = l_.estado().OrigemContabil;
    const bool gerencial = o.Ambiente.gerencial(contabil);
    l_.visao().defineVisivel(Pn_Contabil2, contabil);
    l_.visao().defineVisivel(Pn_ContabilG2, gerencial);

    // The account columns come last: the fiscal one with accounts, the managerial one too
    // with managerial accounts.
    if (!contabil) {
        l_.visao().defineColunasGrade(ColContaFiscal);
    } else {
        l_.visao().defineColunasGrade(gerencial ? ColunasCheque : ColContaGerencial);
        l_.visao().defineLarguraColuna(ColContaFiscal, l_.estado().LarguraConta);
        if (gerencial) l_.visao().defineLarguraColuna(ColContaGerencial, l_.estado().LarguraConta);
        l_.grade().LimpaGrade();
    }

    l_.visao().cursorDeEspera(true);
    const AoSair cursor([this] { l_.visao().cursorDeEspera(false); });

    o.Ambiente.aponta();
    o.TbChqPag.defineNome(l_.estado().TabelaChqPag);
    o.TbLanPag.defineNome(l_.estado().TabelaLanPag);
    try {
        o.Ambiente.abre(contabil);
    } catch (const std::exception& e) {
        l_.mensagens().erro("Erro na consulta as tabelas da empresa indicada.\r\n" +
                            falhaDaEmpresa(l_.estado().CodEmpresa, o.Ambiente.diretorio(),
                                           o.Ambiente.diretorioCatalogo(), e.what()));
    }

    l_.estado().CodFornecedor = 0;
    l_.estado().CodDespesa = 0;
    l_.estado().CodBanco2 = 0;
    l_.estado().CodHistPad2 = 0;
    l_.estado().CodCusto2 = std::string();
    l_.estado().ContaCred2 = std::string();
    l_.estado().ContaDeb2 = std::string();
    for (const std::string_view c :
         {Ed_Fornecedor, Ed_Custo2, Ed_Despesa, Ed_Banco2, Ed_HistPad2, Ed_Cred2, Ed_Deb2})
        l_.visao().defineTexto(c, std::string());
    l_.grade().TitulosGrade();
}

void OrigemAL::ligaHandlers() {
    l_.defineEntrada(Ed_Empresa, [this] { Ed_EmpresaEnter(); });
    l_.defineSaida(Ed_Empresa, [this] { Ed_EmpresaExit(); });
}

} // namespace notera
