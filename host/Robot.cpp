#include "Robot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "platform/CapsLock.h"

namespace {

const char* nomeDoIcone(QMessageBox::Icon i) {
    switch (i) {
    case QMessageBox::Information:
        return "information";
    case QMessageBox::Warning:
        return "warning";
    case QMessageBox::Critical:
        return "error";
    case QMessageBox::Question:
        return "question";
    default:
        return "none";
    }
}

std::string u8(const QString& s) {
    return s.toStdString();
}

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

Robo::Robo(std::vector<Acao> acoes, Registro& log)
    : roteiro_(std::move(acoes), log), acoes_(roteiro_.acoes()) {}

Robo::~Robo() {
    if (qApp) qApp->removeEventFilter(this);
}

void Robo::instala() {
    qApp->installEventFilter(this);
}

void Robo::registraTratador(const QString& nome, Tratador t) {
    tratadores_[nome] = std::move(t);
}

bool Robo::eventFilter(QObject* alvo, QEvent* evento) {
    if (evento->type() == QEvent::Show) {
        auto* d = qobject_cast<QDialog*>(alvo);
        if (d && !nomeJanela_.isEmpty() && d->objectName() == nomeJanela_) {
            janela_ = d;
            iniciaPassos();
        } else if (d && d->isWindow() && d->isModal()) {
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
    std::vector<std::string> botoes;
    const auto lista = caixa->buttons();
    for (auto* b : lista)
        botoes.push_back(u8(b->text()));
    Evento ev{{"event", "message"},
              {"icon", nomeDoIcone(caixa->icon())},
              {"caption", u8(caixa->windowTitle())},
              {"text", u8(caixa->text())},
              {"buttons", botoes}};

    QAbstractButton* escolhido = nullptr;
    QString erro;
    if (auto resposta = roteiro_.proximaCaixa(); !resposta) {
        erro = QStringLiteral("unexpected message box \"%1\"").arg(caixa->text());
    } else {
        const QString quer = q(*resposta);
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
    ev.insert_or_assign("answer", escolhido ? u8(escolhido->text()) : std::string());
    log().escreve(ev);
    if (!erro.isEmpty()) registraErro(erro);
    if (escolhido)
        escolhido->click();
    else
        caixa->reject();
}

void Robo::dispensa(QDialog* d) {
    d->reject();
}

void Robo::drenaFila() {
    while (!acoes_.empty() && Roteiro::tipoDe(acoes_.front()) != Roteiro::Tipo::Interativa) {
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
    if (!janela_ || !janela_->isVisible()) return; // the run is over
    if (!janela_->property("notera.ativada").toBool() || !dialogos_.empty() ||
        (QApplication::activeModalWidget() && QApplication::activeModalWidget() != janela_)) {
        QTimer::singleShot(10, this, &Robo::passo);
        return;
    }
    if (acoes_.empty()) {
        registraErro(
            QStringLiteral("the script ended with %1 still open").arg(janela_->objectName()));
        janela_->close();
        return;
    }
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
    roteiro_.confereSobras();
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
        QWidget* f = alvoDoTeclado();
        // Inner widgets (an editor in a grid, a tab bar) stand for their named control.
        while (f && f->parentWidget() &&
               (f->objectName().isEmpty() || f->objectName().startsWith(QLatin1String("qt_")) ||
                qobject_cast<QTabWidget*>(f->parentWidget())))
            f = f->parentWidget();
        log().escreve({{"event", "dump"},
                       {"name", "focus"},
                       {"value", f ? u8(f->objectName()) : std::string()}});
        return;
    }
    if (nome == QLatin1String("capslock")) {
        log().escreve(
            {{"event", "dump"}, {"name", "capslock"}, {"value", platform::capsLockLigado()}});
        return;
    }
    QWidget* w = acha(nome);
    if (!w) {
        registraErro(QStringLiteral("unknown widget %1").arg(nome));
        return;
    }
    Evento ev{{"event", "dump"}, {"name", u8(nome)}};
    if (auto* t = qobject_cast<QTableWidget*>(w)) {
        std::vector<Json> linhas;
        for (int r = 0; r < t->rowCount(); ++r) {
            std::vector<std::string> linha;
            for (int c = 0; c < t->columnCount(); ++c) {
                auto* item = t->item(r, c);
                linha.push_back(item ? u8(item->text()) : std::string());
            }
            linhas.emplace_back(linha);
        }
        ev.insert_or_assign("rows", linhas);
        ev.insert_or_assign("col", t->currentColumn());
        ev.insert_or_assign("row", t->currentRow());
    } else {
        QString texto;
        if (auto* e = qobject_cast<QLineEdit*>(w))
            texto = e->text();
        else if (auto* l = qobject_cast<QLabel*>(w))
            texto = l->text();
        else if (auto* b = qobject_cast<QAbstractButton*>(w))
            texto = b->text();
        else if (auto* c = qobject_cast<QComboBox*>(w))
            texto = c->currentText();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            texto = g->title();
        else
            texto = w->windowTitle();
        ev.insert_or_assign("text", u8(texto));
        ev.insert_or_assign("visible", w->isVisible());
        ev.insert_or_assign("enabled", w->isEnabled());
        ev.insert_or_assign("focus", w->hasFocus());
        if (w->isWindow()) {
            ev.insert_or_assign("x", w->pos().x());
            ev.insert_or_assign("y", w->pos().y());
            ev.insert_or_assign("width", w->frameGeometry().width());
            ev.insert_or_assign("height", w->frameGeometry().height());
        }
    }
    log().escreve(ev);
}

void Robo::executa(const Acao& a) {
    ocupado_ = true;
    const QString v = q(a.verbo);
    QStringList args;
    for (const auto& s : a.args)
        args << q(s);
    if (roteiro_.enfileira(a)) {
        // an answer queued for the next dialog of its kind
    } else if (v == QLatin1String("dump")) {
        despeja(args[0]);
    } else if (v == QLatin1String("capslock")) {
        if (args[0] == QLatin1String("on") || args[0] == QLatin1String("off"))
            platform::defineCapsLock(args[0] == QLatin1String("on"));
        else
            registraErro(QStringLiteral("line %1: capslock takes on or off").arg(a.linha));
    } else if (v == QLatin1String("close")) {
        if (janela_ && janela_->isVisible())
            janela_->close();
        else
            registraErro(QStringLiteral("line %1: no window to close").arg(a.linha));
    } else if (v == QLatin1String("type")) {
        // One key at a time, each to the widget that has the focus then: a grid opens a cell
        // editor on the first key and the rest go to it.
        for (QChar c : args[0]) {
            QWidget* w = alvoDoTeclado();
            if (!w) {
                registraErro(QStringLiteral("line %1: no widget has the focus").arg(a.linha));
                break;
            }
            QTest::keyClick(w, c.toLatin1());
        }
    } else if (v == QLatin1String("key")) {
        teclas(args);
    } else {
        QWidget* w = acha(args[0]);
        if (!w) {
            registraErro(QStringLiteral("unknown widget %1").arg(args[0]));
        } else if (v == QLatin1String("click") || v == QLatin1String("focus")) {
            if (auto* t = qobject_cast<QTableWidget*>(w)) {
                // A click on the current cell, as a user clicking into the grid would.
                QModelIndex i = t->currentIndex();
                if (!i.isValid()) i = t->model()->index(std::min(1, t->rowCount() - 1), 0);
                clica(t->viewport(), t->visualRect(i).center());
            } else
                clica(w);
        } else if (v == QLatin1String("cell")) {
            auto* t = qobject_cast<QTableWidget*>(w);
            bool okc = false, okl = false;
            int col = args[1].toInt(&okc), lin = args[2].toInt(&okl);
            if (!t || !okc || !okl || col < 0 || lin < 0 || col >= t->columnCount() ||
                lin >= t->rowCount()) {
                registraErro(QStringLiteral("line %1: no cell %2 %3 in %4")
                                 .arg(a.linha)
                                 .arg(args[1], args[2], args[0]));
            } else {
                t->scrollTo(t->model()->index(lin, col));
                clica(t->viewport(), t->visualRect(t->model()->index(lin, col)).center());
            }
        } else if (v == QLatin1String("tab")) {
            auto* p = qobject_cast<QTabWidget*>(w);
            bool ok = false;
            int i = args[1].toInt(&ok);
            if (!p || !ok || i < 0 || i >= p->count())
                registraErro(
                    QStringLiteral("line %1: no page %2 in %3").arg(a.linha).arg(args[1], args[0]));
            else
                clica(p->tabBar(), p->tabBar()->tabRect(i).center());
        }
    }
    ocupado_ = false;
}

QWidget* Robo::alvoDoTeclado() {
    if (janela_ && janela_->isVisible()) {
        if (QWidget* f = janela_->focusWidget()) return f;
        return janela_;
    }
    return QApplication::focusWidget();
}

void Robo::clica(QWidget* w, QPoint ponto) {
    if (ponto.isNull()) ponto = w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, ponto);
}

void Robo::teclas(const QStringList& nomes) {
    static const std::map<QString, Qt::Key> mapa = {
        {"Enter", Qt::Key_Return},
        {"Tab", Qt::Key_Tab},
        {"Backtab", Qt::Key_Backtab},
        {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},
        {"Left", Qt::Key_Left},
        {"Right", Qt::Key_Right},
        {"Home", Qt::Key_Home},
        {"End", Qt::Key_End},
        {"PageUp", Qt::Key_PageUp},
        {"PageDown", Qt::Key_PageDown},
        {"Escape", Qt::Key_Escape},
        {"Backspace", Qt::Key_Backspace},
        {"Delete", Qt::Key_Delete},
        {"Space", Qt::Key_Space},
    };
    for (const QString& nome : nomes) {
        Qt::KeyboardModifiers mods;
        QStringList partes = nome.split('+');
        const QString base = partes.takeLast();
        bool ok = true;
        for (const auto& m : partes) {
            if (m == QLatin1String("Shift"))
                mods |= Qt::ShiftModifier;
            else if (m == QLatin1String("Ctrl"))
                mods |= Qt::ControlModifier;
            else if (m == QLatin1String("Alt"))
                mods |= Qt::AltModifier;
            else
                ok = false;
        }
        Qt::Key k = Qt::Key_unknown;
        if (auto it = mapa.find(base); it != mapa.end())
            k = it->second;
        else if (base.size() == 1 && base[0].isLetterOrNumber())
            k = static_cast<Qt::Key>(base[0].toUpper().unicode());
        if (!ok || k == Qt::Key_unknown) {
            registraErro(QStringLiteral("unknown key %1").arg(nome));
            continue;
        }
        if (k == Qt::Key_Tab && (mods & Qt::ShiftModifier)) k = Qt::Key_Backtab;
        QWidget* w = alvoDoTeclado();
        if (!w) {
            registraErro(QStringLiteral("no widget has the focus for key %1").arg(nome));
            continue;
        }
        QTest::keyClick(w, k, mods);
    }
}
