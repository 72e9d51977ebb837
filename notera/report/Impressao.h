#pragma once
// Printing a report on the platform's printer: its print dialog, then its canvas. On Linux
// the Qt dialog and a QPainter on a QPrinter (report/qt); on Windows the common print dialog
// (PrintDlg) gives the device context and the copies, on which a GDI canvas draws between
// StartDoc/StartPage and EndPage/EndDoc.

namespace report {

class Relatorio;

class Impressao {
public:
    virtual ~Impressao() = default;
    // Shows the print dialog for |relatorio|, proposing |copias| copies, and prints it as the
    // user chose: false when the user cancels. Throws Erro when the printer or the file fails.
    virtual bool imprime(Relatorio& relatorio, int copias = 1) = 0;
};

} // namespace report
