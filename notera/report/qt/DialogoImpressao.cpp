#include "DialogoImpressao.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace report {

namespace {
// The PDF entry is the last of the list and carries no printer name.
const int PapelPdf = Qt::UserRole + 1;
} // namespace

DialogoImpressao::DialogoImpressao(QWidget* pai) : QDialog(pai) {
    setObjectName(QStringLiteral("DialogoImpressao"));
    setWindowTitle(QStringLiteral("Imprimir"));
    setModal(true);

    destino_ = new QComboBox(this);
    destino_->setObjectName(QStringLiteral("Cb_Impressora"));
    const QString padrao = QPrinterInfo::defaultPrinterName();
    for (const QString& nome : QPrinterInfo::availablePrinterNames())
        destino_->addItem(nome, nome);
    destino_->addItem(QStringLiteral("Arquivo PDF"));
    destino_->setItemData(destino_->count() - 1, true, PapelPdf);
    const int i = padrao.isEmpty() ? -1 : destino_->findData(padrao);
    destino_->setCurrentIndex(i >= 0 ? i : 0);

    arquivo_ = new QLineEdit(this);
    arquivo_->setObjectName(QStringLiteral("Ed_Arquivo"));
    copias_ = new QSpinBox(this);
    copias_->setObjectName(QStringLiteral("Ed_Copias"));
    copias_->setRange(1, 999);

    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = botoes->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("BtImprimir"));
    botoes->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("BtCancelar"));
    connect(botoes, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(botoes, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Impressora:"), destino_);
    form->addRow(QStringLiteral("Arquivo:"), arquivo_);
    form->addRow(QStringLiteral("Cópias:"), copias_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(botoes);

    connect(destino_, &QComboBox::currentIndexChanged, this, &DialogoImpressao::atualiza);
    connect(arquivo_, &QLineEdit::textChanged, this, &DialogoImpressao::atualiza);
    atualiza();
}

void DialogoImpressao::atualiza() {
    arquivo_->setEnabled(saidaPdf());
    // A PDF needs a file name before anything can be printed.
    ok_->setEnabled(!saidaPdf() || !arquivo_->text().trimmed().isEmpty());
}

bool DialogoImpressao::saidaPdf() const {
    return destino_->currentData(PapelPdf).toBool();
}

void DialogoImpressao::defineSaidaPdf(bool pdf) {
    if (pdf)
        destino_->setCurrentIndex(destino_->count() - 1);
    else if (saidaPdf() && destino_->count() > 1)
        destino_->setCurrentIndex(0);
}

QString DialogoImpressao::arquivoPdf() const {
    return arquivo_->text();
}

void DialogoImpressao::defineArquivoPdf(const QString& caminho) {
    defineSaidaPdf(true);
    arquivo_->setText(caminho);
}

QString DialogoImpressao::impressora() const {
    return saidaPdf() ? QString() : destino_->currentData().toString();
}

void DialogoImpressao::defineImpressora(const QString& nome) {
    const int i = destino_->findData(nome);
    if (i >= 0) destino_->setCurrentIndex(i);
}

int DialogoImpressao::copias() const {
    return copias_->value();
}

void DialogoImpressao::defineCopias(int n) {
    copias_->setValue(n);
}

void DialogoImpressao::aplicaEm(QPrinter& p) const {
    if (saidaPdf()) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(arquivoPdf());
    } else {
        p.setOutputFormat(QPrinter::NativeFormat);
        p.setPrinterName(impressora());
    }
}

} // namespace report
