#pragma once
// Ledger routines: one accounting entry, the totals it changes and the lot of a posting
// date, for any company whose ledger tables they are given. No window is needed: messages
// go through the run's Mensagens and the table reservation through its host services.

#include "base/Money.h"
#include "db/Conjunto.h"

#include <string>
#include <vector>

namespace notera {

struct Execucao;

// One entry. Whatever the side, history and cost centre go to the debit-side fields.
struct LancamentoContabil {
    std::int32_t Documento = 0;       // cor_lct: num_lan of the record the entry comes from
    std::string Origem;               // orl_lct: "FPA" payable, "FRE" receivable
    std::string ContaDebito;          // cfd_lct
    std::string ContaCredito;         // cfc_lct
    std::string ContaDebitoG;         // cgd_lct
    std::string ContaCreditoG;        // cgc_lct
    std::string CentroCusto;          // ccd_lct
    std::string Historico;            // hvd_lct
    double Data = 0;                  // dat_lct, days since 1899-12-30; selects the lot
    std::int32_t HistoricoPadrao = 0; // chd_lct
    std::int32_t Categoria = 0;       // red_lct
    base::Dinheiro Valor;             // val_lct
};

// Appends the entry to |TbLct| (an open entries table) under the host's reservation of
// ["TbLct"]. Nothing happens when both fiscal accounts are blank or the reservation is
// refused. Store errors go on to the caller, with the reservation released.
void GravaLancamentoContabil(Execucao& ex, const LancamentoContabil& lancamento, db::Tabela& TbLct);

// Adds |valor| to the debit ('D') or credit ('C') side of the general total and of the
// posting date's lot total (when TbCtl lists the lot) in |TbTot|. TbCtl is opened in the
// directory of |TbLct| for the call. False after one of its messages.
bool AtualizaTotaisContabeis(Execucao& ex, char lado, base::Dinheiro valor, double data,
                             db::Tabela& TbTot, db::Tabela& TbLct);

struct LotePeriodo {
    bool encontrado = false;
    std::string lote; // "007/2004", empty when not found
};

// The lot of the period that covers the posting date's day, from TBPERLOT in |diretorio|.
// A query that cannot be opened is saved to |diretorio| + "Errosql.txt" and reported.
LotePeriodo LoteDoPeriodo(Execucao& ex, double data, const std::string& diretorio);

// The periods query, line by line, as it runs and as it is saved when it fails.
const std::vector<std::string>& LinhasConsultaPeriodos();

} // namespace notera
