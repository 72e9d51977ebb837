#pragma once
// The robot: runs a script against the library's windows and answers its dialogs.
//
// Actions run one at a time. Queue actions (answer, choose, ...) only store an answer;
// interactive actions (focus, type, key, ...) drive widgets and may open dialogs, which
// are answered from the queues while the action is still running. A dialog that opens
// while the robot is idle first lets the script's leading queue actions and dumps run.

#include "Fila.h"
#include "Log.h"
#include "Script.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <deque>
#include <functional>
#include <map>
#include <optional>

class QDialog;
class QMessageBox;

class Robo : public QObject {
    Q_OBJECT
public:
    Robo(std::vector<Acao> acoes, Registro& log);
    ~Robo() override;

    // Watches every window of the application from now on.
    void instala();
    // Runs the script's actions whenever the application is idle (for a form-driven run).
    void iniciaPassos();
    // Runs what is left of the script and checks that no answer is left over.
    void conclui();
    bool falhou() const { return roteiro_.falhou(); }

    // A dialog of the host or a library, found by object name, is answered by its handler.
    using Tratador = std::function<void(QDialog*)>;
    void registraTratador(const QString& nomeDoObjeto, Tratador t);
    // The library's main window: a modal dialog too, but the one the script drives. Its
    // actions start once the window has set its property "notera.ativada".
    void registraJanelaPrincipal(const QString& nomeDoObjeto) { nomeJanela_ = nomeDoObjeto; }

    // Queued answers, taken by the dialogs' handlers.
    std::optional<std::string> proximaSelecao() { return roteiro_.proximaSelecao(); }
    // Empty text: cancel.
    std::optional<std::string> proximaImpressao() { return roteiro_.proximaImpressao(); }
    bool proximaReservaRecusada() { return roteiro_.proximaReservaRecusada(); }

    void registraErro(const std::string& texto) { roteiro_.registraErro(texto); }
    void registraErro(const QString& texto) { roteiro_.registraErro(texto.toStdString()); }
    Registro& log() { return roteiro_.log(); }

protected:
    bool eventFilter(QObject* alvo, QEvent* evento) override;

private:
    void agendaDialogos();
    void trataDialogos();
    void trataCaixa(QMessageBox* caixa);
    void dispensa(QDialog* d);
    void drenaFila();
    void passo();
    void executa(const Acao& a);
    void despeja(const QString& nome);
    QWidget* acha(const QString& nome);
    QWidget* alvoDoTeclado();
    void teclas(const QStringList& nomes);
    void clica(QWidget* w, QPoint ponto = {});

    Roteiro roteiro_;
    std::deque<Acao>& acoes_;
    bool ocupado_ = false;
    bool passando_ = false;
    bool dialogosAgendados_ = false;
    std::vector<QPointer<QDialog>> dialogos_;
    std::map<QString, Tratador> tratadores_;
    QString nomeJanela_;
    QPointer<QWidget> janela_;
};
