#include "TextosTransferencia.h"

#include "Operacoes.h"

#include <QRegularExpression>

namespace notera {

namespace {

// A whole number written in decimal, 0 when the text is not one.
std::int32_t inteiroOuZero(const QString& s) {
    static const QRegularExpression forma(QStringLiteral("^[+-]?[0-9]+$"));
    const QString t = s.trimmed();
    if (!forma.match(t).hasMatch()) return 0;
    bool ok = false;
    const int v = t.toInt(&ok);
    return ok ? v : 0;
}

QString naoEData(const QString& s) {
    return QStringLiteral("'") + s + QStringLiteral("' não é uma data válida");
}

// One row of the grid; the first cell that does not read, in the order the cheque writer
// reads them, is kept as the row's fault.
ChequeTransferencia leCheque(const GradeTextos& grade, const GradeTextos& aux, int r) {
    ChequeTransferencia c;
    c.Numero = inteiroOuZero(grade.celula(ColNumero, r));
    c.Banco = inteiroOuZero(aux.celula(ColBanco, r));
    c.Historico = grade.celula(ColHistorico, r);
    c.Situacao = grade.celula(ColSituacao, r).left(1);
    c.Motivo = inteiroOuZero(grade.celula(ColMotivo, r));
    c.ContaFiscal = grade.colunas > ColContaFiscal ? aux.celula(ColContaFiscal, r) : QString();
    c.ContaGerencial =
        grade.colunas > ColContaGerencial ? aux.celula(ColContaGerencial, r) : QString();

    const QString vencimento = grade.celula(ColVencimento, r);
    if (const auto d = LeData(vencimento))
        c.Vencimento = *d;
    else
        c.Invalida = naoEData(vencimento);
    if (c.Invalida.isEmpty() && c.Situacao == QStringLiteral("C")) {
        const QString quitacao = grade.celula(ColQuitacao, r);
        c.Quitacao = LeData(quitacao);
        if (!c.Quitacao) c.Invalida = naoEData(quitacao);
    }
    const QString valor = grade.celula(ColValor, r);
    if (const auto v = LeValorDecimal(valor))
        c.Valor = *v;
    else if (c.Invalida.isEmpty())
        c.Invalida = QStringLiteral("'") + valor + QStringLiteral("' não é um valor válido");
    return c;
}

} // namespace

DadosTransferencia LeTransferencia(const TextosTransferencia& t) {
    const EstadoAL& e = t.estado;
    DadosTransferencia d;
    d.CodEmpresa = e.CodEmpresa;
    d.CodEmpDestino = e.CodEmpDestino;
    d.OrigemContabil = e.OrigemContabil;
    d.CodFornecedor = e.CodFornecedor;
    d.CodCusto2 = e.CodCusto2;
    d.CodBanco2 = e.CodBanco2;
    d.CodDespesa = e.CodDespesa;
    d.CodHistPad2 = e.CodHistPad2;
    d.CodHisPadBan = e.CodHisPadBan;
    d.ContaCred2 = e.ContaCred2;
    d.ContaDeb2 = e.ContaDeb2;
    d.ContaCredG2 = e.ContaCredG2;
    d.ContaDebG2 = e.ContaDebG2;
    d.CodCliente = e.CodCliente;
    d.CodCusto1 = e.CodCusto1;
    d.CodBanco1 = e.CodBanco1;
    d.CodReceita = e.CodReceita;
    d.CodHistPad1 = e.CodHistPad1;
    d.ContaCred1 = e.ContaCred1;
    d.ContaCredG1 = e.ContaCredG1;

    d.Valor = ValorMonetario(t.Valor, {});
    d.HistVar1 = t.HistVar1;
    d.HistVar2 = t.HistVar2;
    d.HisVarBan = t.HisVarBan;

    const GradeTextos& grade = t.Cheques;
    const bool semCheques = grade.linhas < 3 && DataVazia(grade.celula(ColVencimento, 1));
    if (!semCheques)
        for (int r = 1; r < grade.linhas; ++r)
            d.Cheques.push_back(leCheque(grade, e.GradeAux, r));
    return d;
}

} // namespace notera
