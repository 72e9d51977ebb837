#pragma once
// The cheque grid's widget: a table whose row 0 holds the titles, whose cell editors apply
// the date mask and report to the form, and whose open editor can be committed on demand.

#include <QPointer>
#include <QStyledItemDelegate>
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

class DelegadoGrade : public QStyledItemDelegate {
public:
    explicit DelegadoGrade(GradeCheques* grade) : QStyledItemDelegate(grade), grade_(grade) {}
    QWidget* createEditor(QWidget* pai, const QStyleOptionViewItem& opcao,
                          const QModelIndex& indice) const override;
    void setEditorData(QWidget* editor, const QModelIndex& indice) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* modelo,
                      const QModelIndex& indice) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& indice) const override;

private:
    GradeCheques* grade_;
};

} // namespace notera
