// The print dialog lives in libNotera, which the host only loads; its answer goes through
// the dialog's properties (arquivoPdf, copias, saidaPdf), reached by the meta-object.

#include "Impressao.h"

#include "Robot.h"

#include <QDialog>

namespace host {

namespace {

void responde(Robo& robo, QDialog* d) {
    const auto r = robo.proximaImpressao();
    const auto resposta = r ? std::optional<QString>(QString::fromStdString(*r)) : std::nullopt;
    if (!resposta) {
        robo.registraErro(QStringLiteral("unexpected print dialog \"%1\"").arg(d->windowTitle()));
        d->reject();
        return;
    }
    if (resposta->isEmpty()) { // print-cancel
        d->reject();
        return;
    }
    if (!d->setProperty("arquivoPdf", *resposta) || !d->setProperty("copias", 1) ||
        !d->property("saidaPdf").toBool() || d->property("arquivoPdf").toString() != *resposta) {
        robo.registraErro(
            QStringLiteral("print dialog \"%1\" does not take a PDF file").arg(d->windowTitle()));
        d->reject();
        return;
    }
    robo.log().escreve({{"event", "print"},
                        {"file", resposta->toStdString()},
                        {"copies", d->property("copias").toInt()}});
    d->accept();
}

} // namespace

void registraImpressao(Robo& robo) {
    robo.registraTratador(QStringLiteral("DialogoImpressao"),
                          [&robo](QDialog* d) { responde(robo, d); });
}

} // namespace host
