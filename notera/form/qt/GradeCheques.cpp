#include "GradeCheques.h"

#include "DelegadoGrade.h"

#include <QHeaderView>
#include <QLineEdit>

namespace notera {

GradeCheques::GradeCheques(int linhas, int colunas, QWidget* pai)
    : QTableWidget(linhas, colunas, pai) {
    setItemDelegate(new DelegadoGrade(this));
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed);
    setSelectionMode(QAbstractItemView::SingleSelection);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setTabKeyNavigation(false);
}

QString GradeCheques::textoDoEditor() const {
    auto* e = qobject_cast<QLineEdit*>(editor_.data());
    return e ? textoDaCelulaEditada(e) : QString();
}

void GradeCheques::fechaEditor() {
    if (!editor_) return;
    QWidget* e = editor_;
    // The window's focus, not hasFocus(): that one is false while the window is inactive.
    const bool tinhaFoco = window()->focusWidget() == e;
    commitData(e);
    closeEditor(e, QAbstractItemDelegate::NoHint);
    editor_ = nullptr;
    if (tinhaFoco) setFocus(Qt::OtherFocusReason);
}

void GradeCheques::editaCom(const QString& texto) {
    if (!editor_) edit(currentIndex());
    if (editor_) editor_->setFocus(Qt::OtherFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(editor_.data())) {
        if (e->hasSelectedText()) e->del();
        e->insert(texto);
    }
}

} // namespace notera
