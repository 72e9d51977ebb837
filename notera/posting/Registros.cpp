#include "Registros.h"

#include "Contabil.h"
#include "Pendencia.h"
#include "notera/core/Execucao.h"
#include "notera/form/Operacoes.h"
#include "base/BrFormat.h"

#include <QDate>
#include <QRegularExpression>

#include <stdexcept>
#include <utility>
#include <vector>

namespace notera {

namespace {

using posting::semPendencia;
using Campos = std::vector<std::pair<const char*, db::Valor>>;

const QString FalhaNumeroAL =
    QStringLiteral("Não foi possível atualizar o número de AL na tabela de empresas.");
const QString FalhaNumeroOperacao =
    QStringLiteral("Não foi possível atualizar o número de operação na tabela de empresas. "
                   "Inclusão de cheques não será possível!");

// Cheque grid columns read here.
enum ColunaCheque {
    ColVencimento = 0,
    ColBanco = 1,
    ColNumero = 2,
    ColValor = 3,
    ColHistorico = 4,
    ColSituacao = 5,
    ColMotivo = 6,
    ColQuitacao = 7,
    ColContaFiscal = 8,
    ColContaGerencial = 9,
};

db::Valor texto(const QString& s) {
    return db::Valor(s.toStdString());
}

// A whole number written in decimal, 0 when the text is not one.
std::int32_t inteiroOuZero(const QString& s) {
    static const QRegularExpression forma(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = s.trimmed();
    if (!forma.match(t).hasMatch()) return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? v : 0;
}

// A date cell as the grid checked it; anything else is an error, as a bad cell was.
double dataDaCelula(const QString& s) {
    if (const auto d = LeData(s)) return d->emDiasDelphi();
    throw std::runtime_error("'" + s.toStdString() + "' não é uma data válida");
}

// An amount cell as the grid checked it: no thousands marks.
base::Dinheiro valorDaCelula(const QString& s) {
    if (const auto v = LeValorDecimal(s)) return *v;
    throw std::runtime_error("'" + s.toStdString() + "' não é um valor válido");
}

// A row counts as not entered when its due date is empty.
bool LinhaSemData(const GradeTextos& grade, int linha) {
    return DataVazia(grade.celula(ColVencimento, linha));
}

// Position p (from 1) of a configuration text, blanks removed; empty beyond its end.
QString posicaoConfig(const QString& cfg, int p) {
    return cfg.size() >= p ? QString(cfg[p - 1]).remove(' ') : QString();
}

// The register's configuration of a company; empty when the company is not in it, so that
// another company's record is never read in its place.
QString configuracaoDa(Execucao& ex, std::int32_t empresa) {
    auto& emp = ex.TabPadroes.QTbEmp;
    if (!emp.localiza("cod_emp", db::Valor(empresa))) return {};
    return QString::fromStdString(emp.campo("cfg_emp").comoTexto());
}

// The highest number of an ordered numbered table, 0 when it is empty.
std::int64_t ultimoNumero(db::Tabela& t, const char* campo) {
    t.ordena(campo);
    t.releia();
    t.ultimo();
    return t.vazio() ? 0 : t.campo(campo).comoInteiro();
}

void acrescenta(db::Tabela& t, const Campos& campos) {
    semPendencia(t, [&] {
        t.acrescenta();
        for (const auto& [nome, valor] : campos)
            t.define(nome, valor);
        t.grava();
    });
}

// Increments a counter of the current register record; false when that failed.
bool incrementa(db::Consulta& emp, const char* campo, std::int32_t& numero) {
    try {
        emp.edita();
        numero = static_cast<std::int32_t>(emp.campo(campo).comoInteiro() + 1);
        emp.define(campo, db::Valor(numero));
        emp.grava();
        return true;
    } catch (const db::Erro&) {
        emp.cancela();
        numero = 0;
        return false;
    }
}

QString historicoAL(const Execucao& ex, std::int32_t NumeroAL, const QString& historico) {
    return QString::number(NumeroAL) + QStringLiteral(" REF. PAGAMENTOS: ") + ex.RefPagamentos +
           QStringLiteral(" - ") + historico;
}

// The ledger entry of the record just posted in |lancamentos|, then its totals change
// when its side's fiscal account is set.
void lancaNoRazao(Execucao& ex, const db::Tabela& lancamentos, LancamentoContabil l, QChar lado,
                  db::Tabela& TbLct, db::Tabela& TbTot) {
    l.Documento = static_cast<std::int32_t>(lancamentos.campo("num_lan").comoInteiro());
    l.CentroCusto = QString::fromStdString(lancamentos.campo("cen_lan").comoTexto());
    l.Categoria = static_cast<std::int32_t>(lancamentos.campo("red_lan").comoInteiro());
    l.Valor = lancamentos.campo("val_lan").comoDinheiro();
    l.Data = ex.DataMovimento;
    GravaLancamentoContabil(ex, l, TbLct);
    const QString& conta = lado == 'D' ? l.ContaDebito : l.ContaCredito;
    if (!conta.trimmed().isEmpty())
        AtualizaTotaisContabeis(ex, lado, l.Valor, ex.DataMovimento, TbTot, TbLct);
}

} // namespace

QString DocumentoAL(std::int32_t NumeroAL) {
    return QStringLiteral("AL ") + QString::number(NumeroAL);
}

std::int32_t NumeraAL(Execucao& ex, DadosTransferencia& dados) {
    auto& e = dados.estado;
    auto& emp = ex.TabPadroes.QTbEmp;
    // A destination missing from the register must not take another company's number.
    if (!emp.localiza("cod_emp", db::Valor(e.CodEmpDestino)) ||
        !incrementa(emp, "nal_emp", e.NumeroAL)) {
        e.NumeroAL = 0;
        ex.mensagens->mensagem(FalhaNumeroAL);
        return 0;
    }

    const GradeTextos& grade = dados.Cheques;
    if (grade.linhas < 3 && LinhaSemData(grade, 1)) return 0;

    std::int32_t NumeroOperacao = 0;
    if (!incrementa(emp, "nos_emp", NumeroOperacao)) {
        ex.mensagens->mensagem(FalhaNumeroOperacao);
        return 0;
    }

    auto& chq = ex.TabOrigem.TbChqPag;
    std::int64_t ultimo = ultimoNumero(chq, "lan_chq");
    const GradeTextos& aux = e.GradeAux;
    const QDate hoje = QDate::currentDate();
    const db::Valor dataHoje(base::Data{hoje.year(), hoje.month(), hoje.day()});
    for (int r = 1; r < grade.linhas; ++r) {
        const QString situacao = grade.celula(ColSituacao, r).left(1);
        Campos c = {
            {"lan_chq", db::Valor(ultimo + 1)},
            {"num_chq", db::Valor(inteiroOuZero(grade.celula(ColNumero, r)))},
            {"ban_chq", db::Valor(inteiroOuZero(aux.celula(ColBanco, r)))},
            {"dat_Chq", dataHoje},
            {"ven_chq", db::Valor::dataHora(dataDaCelula(grade.celula(ColVencimento, r)))},
        };
        if (situacao == QStringLiteral("C"))
            c.emplace_back("qui_chq",
                           db::Valor::dataHora(dataDaCelula(grade.celula(ColQuitacao, r))));
        Campos resto = {
            {"ccf_chq", db::Valor(e.CodFornecedor)},
            {"his_chq", texto(grade.celula(ColHistorico, r))},
            {"val_chq", db::Valor(valorDaCelula(grade.celula(ColValor, r)))},
            {"sit_chq", texto(situacao)},
            {"mot_chq", db::Valor(inteiroOuZero(grade.celula(ColMotivo, r)))},
            {"cen_chq", texto(e.CodCusto2)},
            {"dup_chq", texto(DocumentoAL(e.NumeroAL))},
            {"lot_chq", db::Valor(0)},
            {"rcm_chq", db::Valor(0)},
            {"ass_opr", db::Valor(0)},
            {"nop_chq", db::Valor(NumeroOperacao)},
            {"cct_chq", texto(grade.colunas >= 9 ? aux.celula(ColContaFiscal, r) : QString())},
            {"ccg_chq", texto(grade.colunas >= 10 ? aux.celula(ColContaGerencial, r) : QString())},
        };
        c.insert(c.end(), resto.begin(), resto.end());
        acrescenta(chq, c);
        ++ultimo;
    }
    return NumeroOperacao;
}

bool GravaPagar(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroOperacao,
                std::int32_t NumeroAL) {
    const auto& e = dados.estado;
    const QString cfg = configuracaoDa(ex, e.CodEmpresa);
    auto& pag = ex.TabOrigem.TbLanPag;
    const std::int64_t ultimo = ultimoNumero(pag, "num_lan");
    const db::Valor data = db::Valor::dataHora(ex.DataMovimento);
    const db::Valor valor(ValorMonetario(dados.Valor, {}).emReais());
    const bool comCheques = NumeroOperacao > 0;

    for (int k = 1; k <= 2; ++k) {
        Campos c = {
            {"num_lan", db::Valor(ultimo + k)},
            {"dat_lan", data},
            {"ven_lan", data},
            {"ccf_lan", db::Valor(e.CodFornecedor)},
            {"ban_lan", db::Valor(e.CodBanco2)},
            {"con_lan", db::Valor(e.CodHistPad2)},
            {"ped_lan", db::Valor(0)},
            {"nf_lan", db::Valor(0)},
            {"dup_lan", texto(DocumentoAL(NumeroAL))},
            {"his_lan", texto(dados.HistVar2)},
            {"val_lan", valor},
            {"sit_lan", texto(posicaoConfig(cfg, k == 1 ? 28 : 22))},
            {"d_c_lan", texto(k == 1 ? "C" : "D")},
            {"bai_lan", texto("S")},
            {"cen_lan", texto(e.CodCusto2)},
            {"ass_opr", db::Valor(0)},
            {"red_lan", db::Valor(e.CodDespesa)},
            {"lot_lan", db::Valor(0)},
            {"nop_lan", db::Valor(NumeroOperacao)},
        };
        // The cheques carry the credit accounts of a transfer paid with them.
        const Campos contas =
            k == 1 ? Campos{{"cde_lan", texto({})},
                            {"ccr_lan", texto({})},
                            {"cdg_lan", texto({})},
                            {"ccg_lan", texto({})}}
                   : Campos{{"ccr_lan", texto(comCheques ? QString() : e.ContaCred2.texto())},
                            {"ccg_lan", texto(comCheques ? QString() : e.ContaCredG2.texto())},
                            {"cde_lan", texto(e.ContaDeb2)},
                            {"cdg_lan", texto(e.ContaDebG2)}};
        c.insert(c.end(), contas.begin(), contas.end());
        c.insert(c.end(), {{"orl_lan", texto({})},
                           {"cor_lan", db::Valor(0)},
                           {"nal_lan", db::Valor(NumeroAL)},
                           {"emp_lan", db::Valor(e.CodEmpDestino)}});
        acrescenta(pag, c);

        if (!e.OrigemContabil) continue;
        LancamentoContabil l;
        l.Origem = QStringLiteral("FPA");
        if (k == 1) {
            l.ContaDebito = e.ContaDeb2;
            l.ContaDebitoG = e.ContaDebG2;
            l.Historico = historicoAL(ex, NumeroAL, dados.HistVar2);
            l.HistoricoPadrao = e.CodHistPad2;
        } else {
            l.ContaCredito = e.ContaCred2;
            l.ContaCreditoG = e.ContaCredG2;
            l.Historico = dados.HisVarBan;
            l.HistoricoPadrao = e.CodHisPadBan;
        }
        lancaNoRazao(ex, pag, l, k == 1 ? 'D' : 'C', ex.TabOrigem.TbLctOri, ex.TabOrigem.TbTotOri);
    }
    return true;
}

bool GravaReceber(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL) {
    const auto& e = dados.estado;
    const QString cfg = configuracaoDa(ex, e.CodEmpDestino);
    auto& rec = ex.TabDestino.TbLanRec;
    const std::int64_t ultimo = ultimoNumero(rec, "num_lan");
    const db::Valor data = db::Valor::dataHora(ex.DataMovimento);
    const db::Valor valor(ValorMonetario(dados.Valor, {}).emReais());

    for (int k = 1; k <= 2; ++k) {
        Campos c = {
            {"num_lan", db::Valor(ultimo + k)},
            {"dat_lan", data},
            {"ven_lan", data},
            {"ccf_lan", db::Valor(e.CodCliente)},
            {"ban_lan", db::Valor(e.CodBanco1)},
            {"con_lan", db::Valor(e.CodHistPad1)},
            {"ped_lan", db::Valor(e.CodEmpresa)},
            {"nf_lan", db::Valor(0)},
            {"dup_lan", texto(DocumentoAL(NumeroAL))},
            {"his_lan", texto(dados.HistVar1)},
            {"val_lan", valor},
            {"sit_lan", texto(posicaoConfig(cfg, k == 1 ? 28 : 22))},
            {"d_c_lan", texto(k == 1 ? "D" : "C")},
            {"bai_lan", texto("S")},
            {"cen_lan", texto(e.CodCusto1)},
            {"ass_opr", db::Valor(0)},
            {"red_lan", db::Valor(e.CodReceita)},
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
                                              {"ccr_lan", texto(e.ContaCred1)},
                                              {"ccg_lan", texto(e.ContaCredG1)}};
        c.insert(c.end(), contas.begin(), contas.end());
        c.insert(c.end(), {{"orl_lan", texto({})},
                           {"cor_lan", db::Valor(0)},
                           {"nal_lan", db::Valor(NumeroAL)},
                           {"emp_lan", db::Valor(e.CodEmpresa)}});
        acrescenta(rec, c);
    }

    // The destination's ledger is open only when the host said it keeps accounts; without
    // it there is no ledger to write to, whatever the origin keeps.
    auto& lct = ex.TabDestino.TbLctDes;
    if (e.OrigemContabil && lct.aberto()) {
        LancamentoContabil l;
        l.Origem = QStringLiteral("FRE");
        l.ContaCredito = e.ContaCred1;
        l.ContaCreditoG = e.ContaCredG1;
        l.Historico = historicoAL(ex, NumeroAL, dados.HistVar1);
        l.HistoricoPadrao = static_cast<std::int32_t>(rec.campo("con_lan").comoInteiro());
        lancaNoRazao(ex, rec, l, 'C', lct, ex.TabDestino.TbTotDes);
    }
    return true;
}

} // namespace notera
