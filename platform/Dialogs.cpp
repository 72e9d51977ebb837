#include "Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

#include <cstdlib>

namespace platform {

namespace {

QMessageBox::Icon iconeQt(Icone i) {
    switch (i) {
    case Icone::Informacao:
        return QMessageBox::Information;
    case Icone::Aviso:
        return QMessageBox::Warning;
    case Icone::Erro:
        return QMessageBox::Critical;
    case Icone::Pergunta:
        return QMessageBox::Question;
    case Icone::Nenhum:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::ButtonRole papel(const QString& texto) {
    if (texto == BotaoSim) return QMessageBox::YesRole;
    if (texto == BotaoNao) return QMessageBox::NoRole;
    return QMessageBox::AcceptRole;
}

bool temAplicacaoDeWidgets() {
    return qobject_cast<QApplication*>(QCoreApplication::instance());
}

bool podeCriarAplicacao() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* s = std::getenv(v);
        if (s && *s) return true;
    }
    return false;
}

} // namespace

AplicacaoQt::AplicacaoQt() {
    if (!QCoreApplication::instance() && podeCriarAplicacao())
        propria_ = std::make_unique<QApplication>(argc_, argv_);
}

AplicacaoQt::~AplicacaoQt() = default;

bool AplicacaoQt::disponivel() const {
    return temAplicacaoDeWidgets();
}

int caixaMensagem(Icone icone, const QString& titulo, const QString& texto,
                  const QStringList& botoes, int padrao, int escapeIndex) {
    AplicacaoQt app;
    if (!app.disponivel()) return escapeIndex;

    QPointer<QWidget> anterior = QApplication::activeWindow();
    QMessageBox box(iconeQt(icone), titulo, texto, QMessageBox::NoButton, anterior);
    QList<QPushButton*> criados;
    for (const auto& b : botoes)
        criados.push_back(box.addButton(b, papel(b)));
    if (padrao >= 0 && padrao < criados.size()) box.setDefaultButton(criados[padrao]);
    if (escapeIndex >= 0 && escapeIndex < criados.size()) box.setEscapeButton(criados[escapeIndex]);
    box.exec();
    // The window under the box takes the keyboard back, as it did on the original system.
    if (anterior) anterior->activateWindow();
    auto* clicado = box.clickedButton();
    for (int i = 0; i < criados.size(); ++i)
        if (criados[i] == clicado) return i;
    return escapeIndex;
}

bool confirma(const QString& texto) {
    return caixaMensagem(Icone::Pergunta, QStringLiteral("Confirme"), texto, {BotaoSim, BotaoNao},
                         0, 1) == 0;
}

void avisa(const QString& titulo, const QString& texto) {
    caixaMensagem(Icone::Aviso, titulo, texto, {BotaoOK}, 0, 0);
}

void mostraErro(const QString& texto) {
    caixaMensagem(Icone::Erro, QStringLiteral("Erro"), texto, {BotaoOK}, 0, 0);
}

void informa(const QString& texto) {
    caixaMensagem(Icone::Informacao, QStringLiteral("Informação"), texto, {BotaoOK}, 0, 0);
}

void mostraMensagem(const QString& texto) {
    QString titulo = QCoreApplication::instance() ? QCoreApplication::applicationName() : QString();
    caixaMensagem(Icone::Nenhum, titulo, texto, {BotaoOK}, 0, 0);
}

} // namespace platform
