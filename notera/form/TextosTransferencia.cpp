#include "TextosTransferencia.h"

#include "Operacoes.h"

#include "base/Texto.h"

namespace notera {

namespace {

// A whole number written in decimal, 0 when the text is not one.
std::int32_t inteiroOuZero(const std::string& s) {
    const auto v = base::leInteiro64(s);
    if (!v || *v < INT32_MIN || *v > INT32_MAX) return 0;
    return static_cast<std::int32_t>(*v);
}

std::string naoEData(const std::string& s) {
    return "'" + s + "' não é uma data válida";
}

// One row of the grid; the first cell that does not read, in the order the cheque writer
// reads them, is kept as the row's fault.
ChequeTransferencia leCheque(const GradeTextos& grade, const GradeTextos& aux, int r) {
    ChequeTransferencia c;
    c.Numero = inteiroOuZero(grade.celula(ColNumero, r));
    c.Banco = inteiroOuZero(aux.celula(ColBanco, r));
    c.Historico = grade.celula(ColHistorico, r);
    c.Situacao = base::inicio(grade.celula(ColSituacao, r), 1);
    c.Motivo = inteiroOuZero(grade.celula(ColMotivo, r));
    c.ContaFiscal = grade.colunas > ColContaFiscal ? aux.celula(ColContaFiscal, r) : std::string();
    c.ContaGerencial =
        grade.colunas > ColContaGerencial ? aux.celula(ColContaGerencial, r) : std::string();

    const std::string vencimento = grade.celula(ColVencimento, r);
    if (const auto d = LeData(vencimento))
        c.Vencimento = *d;
    else
        c.Invalida = naoEData(vencimento);
    if (c.Invalida.empty() && c.Situacao == "C") {
        const std::string quitacao = grade.celula(ColQuitacao, r);
        c.Quitacao = LeData(quitacao);
        if (!c.Quitacao) c.Invalida = naoEData(quitacao);
    }
    const std::string valor = grade.celula(ColValor, r);
    if (const auto v = LeValorDecimal(valor))
        c.Valor = *v;
    else if (c.Invalida.empty())
        c.Invalida = "'" + valor + "' não é um valor válido";
    return c;
}

} // namespace

DadosTransferencia LeTransferencia(const TextosTransferencia& t) {
    const EstadoAL& e = t.estado;
    DadosTransferencia d;
    static_cast<CodigosTransferencia&>(d) = e;

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
