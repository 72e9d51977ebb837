#include "Robot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

namespace {

QString nomeDoIcone(QMessageBox::Icon i) {
    switch (i) {
    case QMessageBox::Information: return QStringLiteral("information");
    case QMessageBox::Warning: return QStringLiteral("warning");
    case QMessageBox::Critical: return QStringLiteral("error");
    case QMessageBox::Question: return QStringLiteral("question");
    default: return QStringLiteral("none");
    }
}

// Script answers name the buttons without "&" and accents.
QString textoDoBotao(const QString& resposta) {
    if (resposta.compare(QLatin1String("Sim"), Qt::CaseInsensitive) == 0) return QStringLiteral("&Sim");
    if (resposta.compare(QLatin1String("Nao"), Qt::CaseInsensitive) == 0) return QStringLiteral("&Não");
    if (resposta.compare(QLatin1String("OK"), Qt::CaseInsensitive) == 0) return QStringLiteral("OK");
    return resposta;
}

} // namespace

Robo::Robo(std::vector<Acao> acoes, Registro& log)
    : acoes_(acoes.begin(), acoes.end()), log_(log) {}

Robo::~Robo() {
    if (qApp) qApp->removeEventFilter(this);
}

void Robo::instala() { qApp->installEventFilter(this); }

void Robo::registraTratador(const QString& nome, Tratador t) { tratadores_[nome] = std::move(t); }

Robo::Tipo Robo::tipoDe(const Acao& a) {
    static const QStringList fila = {"answer", "choose", "cancel",  "print",
                                     "print-cancel", "reserve", "capslock"};
    if (fila.contains(a.verbo)) return Tipo::Fila;
    if (a.verbo == QLatin1String("dump")) return Tipo::Observacao;
    return Tipo::Interativa;
}

bool Robo::eventFilter(QObject* alvo, QEvent* evento) {
    if (evento->type() == QEvent::Show) {
        auto* d = qobject_cast<QDialog*>(alvo);
        if (d && d->isWindow() && d->isModal()) {
            dialogos_.emplace_back(d);
            agendaDialogos();
        }
    }
    return QObject::eventFilter(alvo, evento);
}

void Robo::agendaDialogos() {
    if (dialogosAgendados_) return;
    dialogosAgendados_ = true;
    QTimer::singleShot(0, this, [this] {
        dialogosAgendados_ = false;
        trataDialogos();
    });
}

void Robo::trataDialogos() {
    while (!dialogos_.empty()) {
        QPointer<QDialog> d = dialogos_.front();
        dialogos_.erase(dialogos_.begin());
        if (!d || !d->isVisible()) continue;
        if (!ocupado_) drenaFila();
        if (auto* caixa = qobject_cast<QMessageBox*>(d.data())) {
            trataCaixa(caixa);
            continue;
        }
        auto it = tratadores_.find(d->objectName());
        if (it != tratadores_.end()) {
            it->second(d);
        } else {
            registraErro(QStringLiteral("unexpected dialog \"%1\"").arg(d->windowTitle()));
            dispensa(d);
        }
    }
}

void Robo::trataCaixa(QMessageBox* caixa) {
    QJsonArray botoes;
    const auto lista = caixa->buttons();
    for (auto* b : lista) botoes.append(b->text());
    QJsonObject ev{{"event", "message"},
                   {"icon", nomeDoIcone(caixa->icon())},
                   {"caption", caixa->windowTitle()},
                   {"text", caixa->text()},
                   {"buttons", botoes}};

    QAbstractButton* escolhido = nullptr;
    QString erro;
    if (respostasCaixa_.empty()) {
        erro = QStringLiteral("unexpected message box \"%1\"").arg(caixa->text());
    } else {
        const QString quer = textoDoBotao(respostasCaixa_.front());
        respostasCaixa_.pop_front();
        for (auto* b : lista)
            if (b->text() == quer) escolhido = b;
        if (!escolhido)
            erro = QStringLiteral("message box \"%1\" has no button %2").arg(caixa->text(), quer);
    }
    if (!escolhido) {
        escolhido = caixa->escapeButton();
        for (auto* b : lista)
            if (!escolhido && (caixa->buttonRole(b) == QMessageBox::NoRole ||
                               caixa->buttonRole(b) == QMessageBox::RejectRole))
                escolhido = b;
        if (!escolhido && !lista.isEmpty()) escolhido = lista.front();
    }
    ev["answer"] = escolhido ? escolhido->text() : QString();
    log_.escreve(ev);
    if (!erro.isEmpty()) registraErro(erro);
    if (escolhido)
        escolhido->click();
    else
        caixa->reject();
}

void Robo::dispensa(QDialog* d) { d->reject(); }

void Robo::drenaFila() {
    while (!acoes_.empty() && tipoDe(acoes_.front()) != Tipo::Interativa) {
        Acao a = acoes_.front();
        acoes_.pop_front();
        executa(a);
    }
}

void Robo::iniciaPassos() {
    passando_ = true;
    QTimer::singleShot(0, this, &Robo::passo);
}

void Robo::passo() {
    if (!passando_ || ocupado_) return;
    if (QApplication::activeModalWidget() && !dialogos_.empty()) return;
    if (acoes_.empty()) return;
    Acao a = acoes_.front();
    acoes_.pop_front();
    executa(a);
    QTimer::singleShot(0, this, &Robo::passo);
}

void Robo::conclui() {
    passando_ = false;
    while (!acoes_.empty()) {
        Acao a = acoes_.front();
        acoes_.pop_front();
        executa(a);
    }
    for (const auto& r : respostasCaixa_)
        registraErro(QStringLiteral("answer %1 left over for a message box").arg(r));
    for (const auto& r : respostasSelecao_)
        registraErro(QStringLiteral("answer %1 left over for a selection dialog").arg(r));
    for (const auto& r : respostasImpressao_)
        registraErro(QStringLiteral("answer %1 left over for a print dialog")
                         .arg(r.isEmpty() ? QStringLiteral("print-cancel") : r));
    if (recusas_ > 0) registraErro(QStringLiteral("reserve refuse left over"));
    respostasCaixa_.clear();
    respostasSelecao_.clear();
    respostasImpressao_.clear();
    recusas_ = 0;
}

void Robo::registraErro(const QString& texto) {
    falhou_ = true;
    log_.escreve({{"event", "error"}, {"text", texto}});
}

std::optional<QString> Robo::proximaSelecao() {
    if (respostasSelecao_.empty()) return std::nullopt;
    QString r = respostasSelecao_.front();
    respostasSelecao_.pop_front();
    return r;
}

std::optional<QString> Robo::proximaImpressao() {
    if (respostasImpressao_.empty()) return std::nullopt;
    QString r = respostasImpressao_.front();
    respostasImpressao_.pop_front();
    return r;
}

bool Robo::proximaReservaRecusada() {
    if (recusas_ == 0) return false;
    --recusas_;
    return true;
}

QWidget* Robo::acha(const QString& nome) {
    QWidget* primeiro = nullptr;
    for (QWidget* w : QApplication::allWidgets()) {
        if (w->objectName() != nome) continue;
        if (w->isVisible()) return w;
        if (!primeiro) primeiro = w;
    }
    return primeiro;
}

void Robo::despeja(const QString& nome) {
    if (nome == QLatin1String("focus")) {
        QWidget* f = QApplication::focusWidget();
        log_.escreve({{"event", "dump"}, {"name", "focus"}, {"value", f ? f->objectName() : QString()}});
        return;
    }
    QWidget* w = acha(nome);
    if (!w) {
        registraErro(QStringLiteral("unknown widget %1").arg(nome));
        return;
    }
    QJsonObject ev{{"event", "dump"}, {"name", nome}};
    if (auto* t = qobject_cast<QTableWidget*>(w)) {
        QJsonArray linhas;
        for (int r = 0; r < t->rowCount(); ++r) {
            QJsonArray linha;
            for (int c = 0; c < t->columnCount(); ++c) {
                auto* item = t->item(r, c);
                linha.append(item ? item->text() : QString());
            }
            linhas.append(linha);
        }
        ev["rows"] = linhas;
        ev["col"] = t->currentColumn();
        ev["row"] = t->currentRow();
    } else {
        QString texto;
        if (auto* e = qobject_cast<QLineEdit*>(w)) texto = e->text();
        else if (auto* l = qobject_cast<QLabel*>(w)) texto = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w)) texto = b->text();
        else if (auto* c = qobject_cast<QComboBox*>(w)) texto = c->currentText();
        else if (auto* g = qobject_cast<QGroupBox*>(w)) texto = g->title();
        else texto = w->windowTitle();
        ev["text"] = texto;
        ev["visible"] = w->isVisible();
        ev["enabled"] = w->isEnabled();
        ev["focus"] = w->hasFocus();
    }
    log_.escreve(ev);
}

void Robo::executa(const Acao& a) {
    ocupado_ = true;
    const QString& v = a.verbo;
    if (v == QLatin1String("answer")) {
        respostasCaixa_.push_back(a.args[0]);
    } else if (v == QLatin1String("choose")) {
        respostasSelecao_.push_back(a.args[0]);
    } else if (v == QLatin1String("cancel")) {
        respostasSelecao_.push_back(QStringLiteral("cancel"));
    } else if (v == QLatin1String("print")) {
        respostasImpressao_.push_back(a.args[0]);
    } else if (v == QLatin1String("print-cancel")) {
        respostasImpressao_.push_back(QString());
    } else if (v == QLatin1String("reserve")) {
        if (a.args[0] == QLatin1String("refuse"))
            ++recusas_;
        else
            registraErro(QStringLiteral("line %1: reserve takes \"refuse\"").arg(a.linha));
    } else if (v == QLatin1String("dump")) {
        despeja(a.args[0]);
    } else if (v == QLatin1String("click")) {
        auto* b = qobject_cast<QAbstractButton*>(acha(a.args[0]));
        if (b)
            b->click();
        else
            registraErro(QStringLiteral("unknown widget %1").arg(a.args[0]));
    } else {
        registraErro(QStringLiteral("line %1: \"%2\" needs a window this run does not have")
                         .arg(a.linha)
                         .arg(v));
    }
    ocupado_ = false;
}
