#include "Contabil.h"

#include "Pendencia.h"
#include "base/BrFormat.h"
#include "base/Texto.h"
#include "notera/core/AoSair.h"
#include "notera/core/Execucao.h"
#include "notera/core/Numeracao.h"
#include "notera/core/ReservaDeTabelas.h"
#include "platform/System.h"

#include <cerrno>
#include <cmath>
#include <cstring>

namespace notera {

namespace {

using posting::semPendencia;

const std::string FalhaTotais = "Não foi possível atualizar os totais!";
const std::string FalhaTotaisLote = "Não foi possível atualizar os totais do lote!";
const std::string FalhaPeriodos = "Não foi possível realizar consulta aos períodos de Lotes!";

// The general total's key: a blank cod_tot (an empty text also finds a NULL one).
const db::Valor TotalGeral{std::string()};

// Adds the amount to the side's sum of the row being edited; other sides change nothing.
void somaAoLado(db::Tabela& TbTot, char lado, base::Dinheiro valor) {
    const char* campo = lado == 'D' ? "deb_tot" : lado == 'C' ? "cre_tot" : nullptr;
    if (!campo) return;
    TbTot.define(campo, db::Valor(TbTot.campo(campo).comoDinheiro() + valor));
}

void acrescentaTotal(db::Tabela& TbTot, const db::Valor& codigo) {
    semPendencia(TbTot, [&] {
        TbTot.acrescenta();
        TbTot.define("cod_tot", codigo);
        TbTot.define("deb_tot", db::Valor(base::Dinheiro{}));
        TbTot.define("cre_tot", db::Valor(base::Dinheiro{}));
        TbTot.grava();
    });
}

// False (the edit dropped, |falha| told with the engine's text) when the row cannot be put
// into edit mode.
bool editaTotal(Execucao& ex, db::Tabela& TbTot, const std::string& falha) {
    try {
        TbTot.edita();
        return true;
    } catch (const db::Erro& e) {
        TbTot.cancela();
        ex.mensagens->mensagem(posting::comMotivo(falha, e));
        return false;
    }
}

// The lot number with at least three digits, as the lot codes are written.
std::string numeroDoLote(double lotPer) {
    const long long n = std::llround(lotPer);
    const std::string digitos = base::justificaDireita(std::to_string(n < 0 ? -n : n), 3, '0');
    return n < 0 ? '-' + digitos : digitos;
}

} // namespace

const std::vector<std::string>& LinhasConsultaPeriodos() {
    static const std::vector<std::string> linhas = {
        "SELECT FIM_PER, LOT_PER, EXTRACT(YEAR FROM FIM_PER) ANO",
        "FROM TBPERLOT",
        "WHERE (INI_PER <= :DATA_LAN) AND",
        "      (FIM_PER >= :DATA_LAN) ",
    };
    return linhas;
}

LotePeriodo LoteDoPeriodo(Execucao& ex, double data, const std::string& diretorio) {
    db::Consulta periodos(diretorio, LinhasConsultaPeriodos());
    // Dates compare as stored texts, "YYYY-MM-DD": the parameter is the posting date's
    // whole day, so a posting on a period's last day falls inside it whatever its time.
    periodos.defineParametro("DATA_LAN", db::Valor(base::Data::deDiasDelphi(std::floor(data))));
    try {
        periodos.abre();
    } catch (const db::Erro&) {
        std::string texto;
        for (const auto& l : LinhasConsultaPeriodos())
            texto += l + "\r\n";
        const std::string arquivo = diretorio + "Errosql.txt";
        const bool gravado = platform::gravaArquivoPrivado(arquivo, texto);
        const int erro = errno;
        ex.mensagens->mensagem(FalhaPeriodos);
        // The posting goes on without a lot; a log that could not be kept is still told.
        if (!gravado) ex.mensagens->erro(arquivo + ": " + std::strerror(erro));
        return {};
    }
    // Overlapping periods: the first row in the query's order, the one that ends first.
    if (periodos.vazio()) return {};
    return {true, numeroDoLote(periodos.campo("LOT_PER").comoDouble()) + '/' +
                      periodos.campo("ANO").comoTexto()};
}

void GravaLancamentoContabil(Execucao& ex, const LancamentoContabil& l, db::Tabela& TbLct) {
    if (base::apara(l.ContaDebito).empty() && base::apara(l.ContaCredito).empty()) return;
    const ReservaDeTabelas reserva(ex.servicos, {"TbLct"});
    if (!reserva) return;

    semPendencia(TbLct, [&] {
        const std::int64_t numero = ProximoNumero(TbLct, "num_lct");
        TbLct.acrescenta();
        TbLct.define("num_lct", db::Valor(numero));
        const LotePeriodo lote = LoteDoPeriodo(ex, l.Data, TbLct.diretorio());
        TbLct.define("dat_lct", db::Valor::dataHora(l.Data));
        TbLct.define("lot_lct", db::Valor(lote.encontrado ? lote.lote : std::string()));
        TbLct.define("cfd_lct", db::Valor(l.ContaDebito));
        TbLct.define("ccd_lct", db::Valor(l.CentroCusto));
        TbLct.define("chd_lct", db::Valor(l.HistoricoPadrao));
        TbLct.define("hvd_lct", db::Valor(l.Historico));
        TbLct.define("cfc_lct", db::Valor(l.ContaCredito));
        TbLct.define("ccc_lct", db::Valor(std::string()));
        TbLct.define("hvc_lct", db::Valor(std::string()));
        TbLct.define("val_lct", db::Valor(l.Valor));
        TbLct.define("red_lct", db::Valor(l.Categoria));
        TbLct.define("cgd_lct", db::Valor(l.ContaDebitoG));
        TbLct.define("cgc_lct", db::Valor(l.ContaCreditoG));
        TbLct.define("orl_lct", db::Valor(l.Origem));
        TbLct.define("cor_lct", db::Valor(l.Documento));
        TbLct.define("ass_opr", db::Valor(0));
        TbLct.grava();
        TbLct.salvaEmDisco();
    });
}

bool AtualizaTotaisContabeis(Execucao& ex, char lado, base::Dinheiro valor, double data,
                             db::Tabela& TbTot, db::Tabela& TbLct) {
    TbTot.releia();
    db::Tabela& TbCtl = ex.TabPadroes.TbCtl;
    TbCtl.fecha();
    TbCtl.defineDiretorio(TbLct.diretorio());
    TbCtl.abre();
    const AoSair fechamento([&TbCtl] { TbCtl.fecha(); });

    if (!TbTot.localiza("cod_tot", TotalGeral)) {
        try {
            acrescentaTotal(TbTot, TotalGeral);
        } catch (const db::Erro& e) {
            ex.mensagens->mensagem(posting::comMotivo(FalhaTotais, e));
            return false;
        }
    }
    if (!editaTotal(ex, TbTot, FalhaTotais)) return false;
    semPendencia(TbTot, [&] {
        somaAoLado(TbTot, lado, valor);
        TbTot.grava();
    });

    const LotePeriodo lote = LoteDoPeriodo(ex, data, TbLct.diretorio());
    if (lote.lote.empty()) return true;
    const db::Valor codigo(lote.lote);
    const bool listado = TbCtl.localiza("num_lot", codigo);
    if (!listado) return true;

    if (!TbTot.localiza("cod_tot", codigo)) {
        try {
            acrescentaTotal(TbTot, codigo);
            TbTot.salvaEmDisco();
            TbTot.releia();
        } catch (const db::Erro& e) {
            ex.mensagens->mensagem(posting::comMotivo(FalhaTotais, e));
            return false;
        }
    }
    if (!TbTot.localiza("cod_tot", codigo)) return true;
    if (!editaTotal(ex, TbTot, FalhaTotaisLote)) return false;
    semPendencia(TbTot, [&] {
        somaAoLado(TbTot, lado, valor);
        TbTot.grava();
    });
    TbTot.salvaEmDisco();
    TbTot.releia();
    return true;
}

} // namespace notera
