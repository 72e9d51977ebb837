#include "platform/Dialogs.h"

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

QMessageBox::ButtonRole papel(const std::string& texto) {
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

struct SessaoDeJanelas::Impl {
    int argc = 1;
    char nome[8] = "Notera";
    char* argv[2] = {nome, nullptr};
    std::unique_ptr<QApplication> propria;
};

SessaoDeJanelas::SessaoDeJanelas() : impl_(std::make_unique<Impl>()) {
    if (!QCoreApplication::instance() && podeCriarAplicacao())
        impl_->propria = std::make_unique<QApplication>(impl_->argc, impl_->argv);
}

SessaoDeJanelas::~SessaoDeJanelas() = default;

bool SessaoDeJanelas::disponivel() const {
    return temAplicacaoDeWidgets();
}

int caixaMensagem(Icone icone, const std::string& titulo, const std::string& texto,
                  const std::vector<std::string>& botoes, int padrao, int escapeIndex) {
    SessaoDeJanelas sessao;
    if (!sessao.disponivel()) return escapeIndex;

    QPointer<QWidget> anterior = QApplication::activeWindow();
    QMessageBox box(iconeQt(icone), QString::fromStdString(titulo), QString::fromStdString(texto),
                    QMessageBox::NoButton, anterior);
    QList<QPushButton*> criados;
    for (const auto& b : botoes)
        criados.push_back(box.addButton(QString::fromStdString(b), papel(b)));
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

std::string tituloDoPrograma() {
    return QCoreApplication::instance() ? QCoreApplication::applicationName().toStdString()
                                        : std::string();
}

} // namespace platform
