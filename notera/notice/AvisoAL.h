#pragma once
// The posting notice "AVISO DE LANÇAMENTO": its layout (ppAL), how it is filled and the
// print step that the OK action runs once a transfer is posted.

#include "base/Money.h"
#include "db/Conjunto.h"
#include "extenso/Extenso.h"
#include "notera/report/Impressao.h"
#include "notera/report/Relatorio.h"

namespace notera {

struct Execucao;
struct DadosTransferencia;

class AvisoAL {
public:
    // ppAL with every element of both copies; the lower copy (ppRegiao2Via) shown.
    AvisoAL();

    report::Relatorio ppAL;
    db::Tabela TbEmp; // the register table, read only for the logo
    TExtenso Extenso1;

    // Fills dates, company texts and the history (with the amount in words) from the run and
    // the transfer posted under |NumeroAL|; the run's register query (TabPadroes.QTbEmp) must
    // be open.
    void preenche(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL);
    void defineDuasVias(bool duas);
    // Runs before the header band is drawn: positions TbEmp on the destination company and
    // sets the number and the amount.
    void ppHeaderBand1BeforePrint();

    AvisoAL(const AvisoAL&) = delete;
    AvisoAL& operator=(const AvisoAL&) = delete;

private:
    std::int32_t codEmpDestino_ = 0;
    std::int32_t numeroAL_ = 0;
    base::Dinheiro valor_;
};

// The print step: asks whether to print the notice and in how many copies, opens the
// register for the logo and prints through the platform's |impressao|. Every outcome returns
// normally: the transfer is posted already, so a failure is shown, never thrown.
void ImprimeAviso(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL,
                  report::Impressao& impressao);
// The same with a given notice, so its filled elements can be looked at afterwards.
void ImprimeAviso(Execucao& ex, const DadosTransferencia& dados, std::int32_t NumeroAL,
                  report::Impressao& impressao, AvisoAL& aviso);

} // namespace notera
