#pragma once
// The record writers of one transfer, called in this order by the posting: the AL and
// operation numbers with the cheques, the origin's payables, the destination's receivables,
// each with its ledger entries when the origin keeps accounts. They read the transfer as a
// plain value, so they run without a window.
//
// Data sets they need open (Execucao's data modules):
//   NumeraAL      TabPadroes.QTbEmp; with cheques also TabOrigem.TbChqPag
//   GravaPagar    TabPadroes.QTbEmp, TabOrigem.TbLanPag; with OrigemContabil also
//                 TabOrigem.TbLctOri and TbTotOri (TbCtl is opened by the totals routine)
//   GravaReceber  TabPadroes.QTbEmp, TabDestino.TbLanRec; with OrigemContabil also
//                 TabDestino.TbLctDes and TbTotDes when the destination keeps accounts
// Store errors that a writer does not catch go on to the caller with the store's text.

#include "notera/core/Transferencia.h"

#include <cstdint>
#include <string>

namespace notera {

struct Execucao;

// Issues the AL number into |NumeroAL| (0 when it could not be issued) and, with cheques,
// the operation number, then writes one TbChqPag record per cheque. Returns the operation
// number: 0 without cheques or when it could not be issued.
std::int32_t NumeraAL(Execucao& ex, const DadosTransferencia& dados, std::int32_t& NumeroAL);

// The origin's two payables, each followed by its ledger entry when the origin keeps
// accounts. False when a ledger total could not be changed (the user was told).
bool GravaPagar(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroOperacao,
                std::int32_t NumeroAL);

// The destination's two receivables, the second followed by its ledger entry when the
// origin keeps accounts and the destination's ledger is open. False when a ledger total could
// not be changed (the user was told).
bool GravaReceber(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL);

// "AL " followed by the AL number, the document reference of every record of a transfer.
std::string DocumentoAL(std::int32_t NumeroAL);

} // namespace notera
