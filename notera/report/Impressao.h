#pragma once
// Printing a report on the platform's printer: its print dialog, then its canvas. On Linux
// the Qt dialog and a QPainter on a QPrinter (report/qt); on Windows the report's own Win32
// dialog (a robot must find its controls by name) gives the printer, the copies and the file,
// and a GDI canvas draws on that printer's device context between StartDoc/StartPage and
// EndPage/EndDoc (report/win32).

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
