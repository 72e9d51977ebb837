#pragma once
// The cheque grid's widget: a table whose row 0 holds the titles, whose cell editors apply
// the date mask and report to the form, and whose open editor can be committed on demand.

#include <QPointer>
#include <QTableWidget>

#include <functional>

namespace notera {

class GradeCheques : public QTableWidget {
    Q_OBJECT
public:
    GradeCheques(int linhas, int colunas, QWidget* pai);

    // Input mask of a column's editor ("" for none), and who watches the editors' keys.
    void defineMascaras(std::function<QString(int)> mascara) { mascara_ = std::move(mascara); }
    void defineObservador(QObject* o) { observador_ = o; }

    bool editando() const { return editor_ != nullptr; }
    QWidget* editor() const { return editor_; }
    QString textoDoEditor() const;
    // Writes the open editor's text into its cell and closes it.
    void fechaEditor();
    // Opens the current cell's editor with a text typed into it.
    void editaCom(const QString& texto);

private:
    friend class DelegadoGrade;
    std::function<QString(int)> mascara_;
    QObject* observador_ = nullptr;
    QPointer<QWidget> editor_;
};

} // namespace notera
