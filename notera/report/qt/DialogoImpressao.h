#pragma once
// The report's print dialog: a system printer or a PDF file, the number of copies, cancel.
// Its properties are the API of anyone who answers it without clicking (the host's robot
// reaches them through the meta-object, without linking this library).

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;

namespace report {

class DialogoImpressao : public QDialog {
    Q_OBJECT
    Q_PROPERTY(bool saidaPdf READ saidaPdf WRITE defineSaidaPdf)
    Q_PROPERTY(QString arquivoPdf READ arquivoPdf WRITE defineArquivoPdf)
    Q_PROPERTY(QString impressora READ impressora WRITE defineImpressora)
    Q_PROPERTY(int copias READ copias WRITE defineCopias)

public:
    explicit DialogoImpressao(QWidget* pai = nullptr);

    bool saidaPdf() const;
    void defineSaidaPdf(bool pdf);
    QString arquivoPdf() const;
    // Also chooses PDF output.
    void defineArquivoPdf(const QString& caminho);
    QString impressora() const; // empty for PDF output
    // A printer of the list; unknown names are ignored.
    void defineImpressora(const QString& nome);
    int copias() const;
    void defineCopias(int n);

    // Points the printer at the chosen output.
    void aplicaEm(QPrinter& p) const;

private:
    void atualiza();

    QComboBox* destino_;
    QLineEdit* arquivo_;
    QSpinBox* copias_;
    QPushButton* ok_;
};

} // namespace report
