#pragma once
// Printing a report on Windows: the report's own print dialog (DialogoImpressao), then the
// GDI canvas on the chosen printer's device context, or on that printer into a file.

#include "notera/report/Impressao.h"
#include "notera/report/Relatorio.h"
#include "notera/report/win32/DialogoImpressao.h"

namespace report {

// Draws |relatorio| as chosen: A4 portrait, |escolha.copias| copies, into the file when the
// choice says so. Throws Erro when the printer or the file fails.
void imprimeEm(Relatorio& relatorio, const EscolhaImpressao& escolha);

// The dialog over the thread's active window.
class ImpressaoWin32 : public Impressao {
public:
    bool imprime(Relatorio& relatorio, int copias = 1) override;
};

} // namespace report
