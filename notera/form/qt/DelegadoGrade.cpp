#include "DelegadoGrade.h"

#include "GradeCheques.h"

#include <QLineEdit>

namespace notera {

namespace {

// "!99/99/9999;1;_": the mask as the grid's editor takes it.
QString mascaraQt(const QString& m) {
    return m.isEmpty() ? QString() : QStringLiteral("99/99/9999;_");
}

} // namespace

DelegadoGrade::DelegadoGrade(GradeCheques* grade) : QStyledItemDelegate(grade), grade_(grade) {}

QString textoDaCelulaEditada(const QLineEdit* e) {
    if (e->inputMask().isEmpty()) return e->text();
    QString t = e->displayText();
    t.replace('_', ' ');
    return t;
}

QWidget* DelegadoGrade::createEditor(QWidget* pai, const QStyleOptionViewItem&,
                                     const QModelIndex& indice) const {
    auto* e = new QLineEdit(pai);
    e->setFrame(false);
    if (grade_->mascara_) e->setInputMask(mascaraQt(grade_->mascara_(indice.column())));
    grade_->editor_ = e;
    return e;
}

void DelegadoGrade::setEditorData(QWidget* editor, const QModelIndex& indice) const {
    auto* e = static_cast<QLineEdit*>(editor);
    // Installed after the view's own filter, so the form sees the editor's keys first
    // (Enter above all, which the view would otherwise commit on its own, later).
    if (grade_->observador_) e->installEventFilter(grade_->observador_);
    QString t = indice.data().toString();
    if (!e->inputMask().isEmpty()) t.replace(' ', '_');
    e->setText(t);
    e->selectAll();
}

void DelegadoGrade::setModelData(QWidget* editor, QAbstractItemModel* modelo,
                                 const QModelIndex& indice) const {
    modelo->setData(indice, textoDaCelulaEditada(static_cast<QLineEdit*>(editor)));
}

void DelegadoGrade::destroyEditor(QWidget* editor, const QModelIndex& indice) const {
    if (grade_->editor_ == editor) grade_->editor_ = nullptr;
    QStyledItemDelegate::destroyEditor(editor, indice);
}

} // namespace notera
