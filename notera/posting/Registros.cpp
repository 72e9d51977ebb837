#include "Registros.h"

#include "Contabil.h"
#include "Pendencia.h"
#include "base/BrFormat.h"
#include "notera/core/Execucao.h"
#include "notera/core/Numeracao.h"

#include "base/Texto.h"
#include "platform/System.h"

#include <stdexcept>
#include <utility>
#include <vector>

namespace notera {

namespace {

using posting::semPendencia;
using Campos = std::vector<std::pair<const char*, db::Valor>>;

const std::string FalhaNumeroAL =
    "Não foi possível atualizar o número de AL na tabela de empresas.";
const std::string FalhaNumeroOperacao =
    "Não foi possível atualizar o número de operação na tabela de empresas. "
    "Inclusão de cheques não será possível!";

db::Valor texto(const std::string& s) {
    return db::Valor(s);
}

// Position p (from 1) of a configuration text, blanks removed; empty beyond its end.
std::string posicaoConfig(const std::string& cfg, int p) {
    const auto c = base::caractere(cfg, static_cast<std::size_t>(p - 1));
    std::string s;
    if (c && *c != ' ') base::anexa(s, *c);
    return s;
}

// The register's configuration of a company; empty when the company is not in it, so that
// another company's record is never read in its place.
std::string configuracaoDa(Execucao& ex, std::int32_t empresa) {
    auto& emp = ex.TabPadroes.QTbEmp;
    if (!emp.localiza("cod_emp", db::Valor(empresa))) return {};
    return emp.campo("cfg_emp").comoTexto();
}

void acrescenta(db::Tabela& t, const Campos& campos) {
    semPendencia(t, [&] {
        t.acrescenta();
        for (const auto& [nome, valor] : campos)
            t.define(nome, valor);
        t.grava();
    });
}

// Increments a counter of the current register record; when that fails, |falha| with the
// engine's text is told and the answer is false.
bool incrementa(Execucao& ex, db::Consulta& emp, const char* campo, std::int32_t& numero,
                const std::string& falha) {
    try {
        emp.edita();
        numero = static_cast<std::int32_t>(emp.campo(campo).comoInteiro() + 1);
        emp.define(campo, db::Valor(numero));
        emp.grava();
        return true;
    } catch (const db::Erro& e) {
        emp.cancela();
        numero = 0;
        ex.mensagens->mensagem(posting::comMotivo(falha, e));
        return false;
    }
}

std::string historicoAL(const Execucao& ex, std::int32_t NumeroAL, const std::string& historico) {
    return std::to_string(NumeroAL) + " REF. PAGAMENTOS: " + ex.RefPagamentos + " - " + historico;
}

// The ledger entry of the record numbered |documento| just posted, then its totals change
// when its side's fiscal account is set. What the entry takes of the record comes from the
// transfer, not from a re-read of the record. False when the totals could not be changed
// (already told to the user): the transfer must not be kept without them.
bool lancaNoRazao(Execucao& ex, std::int64_t documento, LancamentoContabil l, char lado,
                  db::Tabela& TbLct, db::Tabela& TbTot) {
    l.Documento = static_cast<std::int32_t>(documento);
    l.Data = ex.DataMovimento;
    GravaLancamentoContabil(ex, l, TbLct);
    const std::string& conta = lado == 'D' ? l.ContaDebito : l.ContaCredito;
    if (base::apara(conta).empty()) return true;
    return AtualizaTotaisContabeis(ex, lado, l.Valor, ex.DataMovimento, TbTot, TbLct);
}

} // namespace

std::string DocumentoAL(std::int32_t NumeroAL) {
    return "AL " + std::to_string(NumeroAL);
}

std::int32_t NumeraAL(Execucao& ex, const DadosTransferencia& dados, std::int32_t& NumeroAL) {
    auto& emp = ex.TabPadroes.QTbEmp;
    // A destination missing from the register must not take another company's number.
    if (!emp.localiza("cod_emp", db::Valor(dados.CodEmpDestino))) {
        NumeroAL = 0;
        ex.mensagens->mensagem(FalhaNumeroAL);
        return 0;
    }
    if (!incrementa(ex, emp, "nal_emp", NumeroAL, FalhaNumeroAL)) return 0;
    if (dados.Cheques.empty()) return 0;

    std::int32_t NumeroOperacao = 0;
    if (!incrementa(ex, emp, "nos_emp", NumeroOperacao, FalhaNumeroOperacao)) return 0;

    auto& chq = ex.TabOrigem.TbChqPag;
    std::int64_t numero = ProximoNumero(chq, "lan_chq");
    const db::Valor dataHoje(platform::hoje());
    for (const ChequeTransferencia& cheque : dados.Cheques) {
        if (!cheque.Invalida.empty()) throw std::runtime_error(cheque.Invalida);
        Campos c = {
            {"lan_chq", db::Valor(numero)},
            {"num_chq", db::Valor(cheque.Numero)},
            {"ban_chq", db::Valor(cheque.Banco)},
            {"dat_Chq", dataHoje},
            {"ven_chq", db::Valor(cheque.Vencimento)},
        };
        if (cheque.Situacao == "C" && cheque.Quitacao)
            c.emplace_back("qui_chq", db::Valor(*cheque.Quitacao));
        Campos resto = {
            {"ccf_chq", db::Valor(dados.CodFornecedor)},
            {"his_chq", texto(cheque.Historico)},
            {"val_chq", db::Valor(cheque.Valor)},
            {"sit_chq", texto(cheque.Situacao)},
            {"mot_chq", db::Valor(cheque.Motivo)},
            {"cen_chq", texto(dados.CodCusto2)},
            {"dup_chq", texto(DocumentoAL(NumeroAL))},
            {"lot_chq", db::Valor(0)},
            {"rcm_chq", db::Valor(0)},
            {"ass_opr", db::Valor(0)},
            {"nop_chq", db::Valor(NumeroOperacao)},
            {"cct_chq", texto(cheque.ContaFiscal)},
            {"ccg_chq", texto(cheque.ContaGerencial)},
        };
        c.insert(c.end(), resto.begin(), resto.end());
        acrescenta(chq, c);
        ++numero;
    }
    return NumeroOperacao;
}

bool GravaPagar(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroOperacao,
                std::int32_t NumeroAL) {
    const std::string cfg = configuracaoDa(ex, dados.CodEmpresa);
    auto& pag = ex.TabOrigem.TbLanPag;
    const std::int64_t primeiro = ProximoNumero(pag, "num_lan");
    const db::Valor data = db::Valor::dataHora(ex.DataMovimento);
    const db::Valor valor(dados.Valor);
    const bool comCheques = NumeroOperacao > 0;

    for (int k = 1; k <= 2; ++k) {
        Campos c = {
            {"num_lan", db::Valor(primeiro + k - 1)},
            {"dat_lan", data},
            {"ven_lan", data},
            {"ccf_lan", db::Valor(dados.CodFornecedor)},
            {"ban_lan", db::Valor(dados.CodBanco2)},
            {"con_lan", db::Valor(dados.CodHistPad2)},
            {"ped_lan", db::Valor(0)},
            {"nf_lan", db::Valor(0)},
            {"dup_lan", texto(DocumentoAL(NumeroAL))},
            {"his_lan", texto(dados.HistVar2)},
            {"val_lan", valor},
            {"sit_lan", texto(posicaoConfig(cfg, k == 1 ? 28 : 22))},
            {"d_c_lan", texto(k == 1 ? "C" : "D")},
            {"bai_lan", texto("S")},
            {"cen_lan", texto(dados.CodCusto2)},
            {"ass_opr", db::Valor(0)},
            {"red_lan", db::Valor(dados.CodDespesa)},
            {"lot_lan", db::Valor(0)},
            {"nop_lan", db::Valor(NumeroOperacao)},
        };
        // The cheques carry the credit accounts of a transfer paid with them.
        const Campos contas =
            k == 1
                ? Campos{{"cde_lan", texto({})},
                         {"ccr_lan", texto({})},
                         {"cdg_lan", texto({})},
                         {"ccg_lan", texto({})}}
                : Campos{{"ccr_lan", texto(comCheques ? std::string() : dados.ContaCred2.texto())},
                         {"ccg_lan", texto(comCheques ? std::string() : dados.ContaCredG2.texto())},
                         {"cde_lan", texto(dados.ContaDeb2)},
                         {"cdg_lan", texto(dados.ContaDebG2)}};
        c.insert(c.end(), contas.begin(), contas.end());
        c.insert(c.end(), {{"orl_lan", texto({})},
                           {"cor_lan", db::Valor(0)},
                           {"nal_lan", db::Valor(NumeroAL)},
                           {"emp_lan", db::Valor(dados.CodEmpDestino)}});
        acrescenta(pag, c);

        if (!dados.OrigemContabil) continue;
        LancamentoContabil l;
        l.Origem = "FPA";
        if (k == 1) {
            l.ContaDebito = dados.ContaDeb2;
            l.ContaDebitoG = dados.ContaDebG2;
            l.Historico = historicoAL(ex, NumeroAL, dados.HistVar2);
            l.HistoricoPadrao = dados.CodHistPad2;
        } else {
            l.ContaCredito = dados.ContaCred2;
            l.ContaCreditoG = dados.ContaCredG2;
            l.Historico = dados.HisVarBan;
            l.HistoricoPadrao = dados.CodHisPadBan;
        }
        l.CentroCusto = dados.CodCusto2;
        l.Categoria = dados.CodDespesa;
        l.Valor = dados.Valor;
        if (!lancaNoRazao(ex, primeiro + k - 1, l, k == 1 ? 'D' : 'C', ex.TabOrigem.TbLctOri,
                          ex.TabOrigem.TbTotOri))
            return false;
    }
    return true;
}

bool GravaReceber(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL) {
    const std::string cfg = configuracaoDa(ex, dados.CodEmpDestino);
    auto& rec = ex.TabDestino.TbLanRec;
    const std::int64_t primeiro = ProximoNumero(rec, "num_lan");
    const db::Valor data = db::Valor::dataHora(ex.DataMovimento);
    const db::Valor valor(dados.Valor);

    for (int k = 1; k <= 2; ++k) {
        Campos c = {
            {"num_lan", db::Valor(primeiro + k - 1)},
            {"dat_lan", data},
            {"ven_lan", data},
            {"ccf_lan", db::Valor(dados.CodCliente)},
            {"ban_lan", db::Valor(dados.CodBanco1)},
            {"con_lan", db::Valor(dados.CodHistPad1)},
            {"ped_lan", db::Valor(dados.CodEmpresa)},
            {"nf_lan", db::Valor(0)},
            {"dup_lan", texto(DocumentoAL(NumeroAL))},
            {"his_lan", texto(dados.HistVar1)},
            {"val_lan", valor},
            {"sit_lan", texto(posicaoConfig(cfg, k == 1 ? 28 : 22))},
            {"d_c_lan", texto(k == 1 ? "D" : "C")},
            {"bai_lan", texto("S")},
            {"cen_lan", texto(dados.CodCusto1)},
            {"ass_opr", db::Valor(0)},
            {"red_lan", db::Valor(dados.CodReceita)},
            {"lot_lan", db::Valor(0)},
            {"ncc_lan", db::Valor(0)},
            {"nop_lan", db::Valor(0)},
        };
        const Campos contas = k == 1 ? Campos{{"cde_lan", texto({})},
                                              {"ccr_lan", texto({})},
                                              {"cdg_lan", texto({})},
                                              {"ccg_lan", texto({})}}
                                     : Campos{{"cde_lan", texto({})},
                                              {"cdg_lan", texto({})},
                                              {"ccr_lan", texto(dados.ContaCred1)},
                                              {"ccg_lan", texto(dados.ContaCredG1)}};
        c.insert(c.end(), contas.begin(), contas.end());
        c.insert(c.end(), {{"orl_lan", texto({})},
                           {"cor_lan", db::Valor(0)},
                           {"nal_lan", db::Valor(NumeroAL)},
                           {"emp_lan", db::Valor(dados.CodEmpresa)}});
        acrescenta(rec, c);
    }

    // The destination's ledger is open only when the host said it keeps accounts; without
    // it there is no ledger to write to, whatever the origin keeps.
    auto& lct = ex.TabDestino.TbLctDes;
    if (dados.OrigemContabil && lct.aberto()) {
        LancamentoContabil l;
        l.Origem = "FRE";
        l.ContaCredito = dados.ContaCred1;
        l.ContaCreditoG = dados.ContaCredG1;
        l.Historico = historicoAL(ex, NumeroAL, dados.HistVar1);
        l.HistoricoPadrao = dados.CodHistPad1;
        l.CentroCusto = dados.CodCusto1;
        l.Categoria = dados.CodReceita;
        l.Valor = dados.Valor;
        return lancaNoRazao(ex, primeiro + 1, l, 'C', lct, ex.TabDestino.TbTotDes);
    }
    return true;
}

} // namespace notera
