#pragma once
// The cheque grid's cell editors: the date mask, the form watching their keys, and the text
// they hold written back with blanks for unfilled places.

#include <QStyledItemDelegate>

class QLineEdit;

namespace notera {

class GradeCheques;

class DelegadoGrade : public QStyledItemDelegate {
public:
    explicit DelegadoGrade(GradeCheques* grade);
    QWidget* createEditor(QWidget* pai, const QStyleOptionViewItem& opcao,
                          const QModelIndex& indice) const override;
    void setEditorData(QWidget* editor, const QModelIndex& indice) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* modelo,
                      const QModelIndex& indice) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& indice) const override;

private:
    GradeCheques* grade_;
};

// A cell editor's text: a masked one keeps its slashes and reads unfilled places as blanks.
QString textoDaCelulaEditada(const QLineEdit* editor);

} // namespace notera
