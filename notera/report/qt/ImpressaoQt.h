#pragma once
// Printing a report with Qt: the print dialog, a QPrinter (a system printer or a PDF file)
// and the QPainter canvas.

#include "notera/report/Impressao.h"
#include "notera/report/Relatorio.h"

class QPainter;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace report {

// Sets up the printer's page, job name and copies. Copies that the device cannot make
// itself are drawn as separate pages by imprimeEm.
void configura(const Relatorio& relatorio, QPrinter& impressora, int copias);
// Draws the report onto a printer configured by configura(); throws Erro.
void imprimeEm(Relatorio& relatorio, QPrinter& impressora);
// Draws one page on a painter active on the device, its origin at the paper's corner.
void desenha(Relatorio& relatorio, QPainter& p, QPaintDevice& dispositivo);
// Shows the print dialog and prints: false when the user cancels. Throws Erro.
bool imprime(Relatorio& relatorio, QWidget* pai = nullptr, int copias = 1);

// The dialog over the active window.
class ImpressaoQt : public Impressao {
public:
    bool imprime(Relatorio& relatorio, int copias = 1) override;
};

} // namespace report
