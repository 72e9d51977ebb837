#include "ImpressaoQt.h"

#include "DialogoImpressao.h"
#include "TelaQt.h"

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

namespace report {

void configura(const Relatorio& relatorio, QPrinter& impressora, int copias) {
    impressora.setDocName(QString::fromStdString(relatorio.nomeTrabalho));
    // Drawing starts at the paper's corner and places the margins itself, so the layout
    // keeps its measures whatever the printer's own unprintable edges are.
    impressora.setFullPage(true);
    const Pagina& pagina = relatorio.pagina;
    if (!impressora.setPageSize(
            QPageSize(QSizeF(pagina.largura, pagina.altura), QPageSize::Millimeter)) ||
        !impressora.setPageOrientation(QPageLayout::Portrait))
        throw Erro("the printer does not take the report's page size");
    impressora.setCopyCount(copias);
}

void imprimeEm(Relatorio& relatorio, QPrinter& impressora) {
    if (impressora.outputFormat() == QPrinter::PdfFormat) {
        // The PDF writer does not say why a file cannot be written; the file system does.
        QFile f(impressora.outputFileName());
        if (!f.open(QIODevice::WriteOnly))
            throw Erro(QStringLiteral("Não foi possível criar o arquivo \"%1\": %2")
                           .arg(impressora.outputFileName(), f.errorString())
                           .toStdString());
    }
    const int vezes = impressora.supportsMultipleCopies() ? 1 : impressora.copyCount();
    QPainter p;
    if (!p.begin(&impressora))
        throw Erro(QStringLiteral("Não foi possível iniciar a impressão em \"%1\".")
                       .arg(impressora.outputFileName().isEmpty() ? impressora.printerName()
                                                                  : impressora.outputFileName())
                       .toStdString());
    TelaQt tela(p, impressora);
    relatorio.desenha(tela, vezes);
    if (!p.end() || impressora.printerState() == QPrinter::Error)
        throw Erro("the printer reported an error while printing");
}

void desenha(Relatorio& relatorio, QPainter& p, QPaintDevice& dispositivo) {
    TelaQt tela(p, dispositivo);
    relatorio.desenha(tela, 1);
}

bool imprime(Relatorio& relatorio, QWidget* pai, int copias) {
    DialogoImpressao dialogo(pai);
    dialogo.defineCopias(copias);
    if (dialogo.exec() != QDialog::Accepted) return false;
    QPrinter impressora(QPrinter::HighResolution);
    dialogo.aplicaEm(impressora);
    configura(relatorio, impressora, dialogo.copias());
    imprimeEm(relatorio, impressora);
    return true;
}

bool ImpressaoQt::imprime(Relatorio& relatorio, int copias) {
    return report::imprime(relatorio, QApplication::activeWindow(), copias);
}

} // namespace report
