#pragma once
// The transfer form's behaviour, apart from its widgets: focus moves with their exit and
// enter handlers, the keyboard rules, the start and end of a run. The window forwards its
// events here and shows what this asks of it through VisaoAL, so tests can drive it
// without any widget.

#include "EstadoAL.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>

namespace notera {

struct Execucao;

// What the behaviour needs of the window. Controls are named by their object names.
class VisaoAL {
public:
    virtual ~VisaoAL() = default;
    virtual QString texto(const QString& controle) const = 0;
    virtual void defineTexto(const QString& controle, const QString& texto) = 0;
    // Shown on its page (the page itself may be the other one).
    virtual bool visivelNaPagina(const QString& controle) const = 0;
    virtual void defineVisivel(const QString& controle, bool visivel) = 0;
    virtual int paginaAtual() const = 0;
    virtual void mostraPagina(int pagina) = 0;
    // Gives the keyboard focus to the control's widget; runs no handler.
    virtual void aplicaFoco(const QString& controle) = 0;
    virtual void fecha() = 0;

    // The cheque grid, in its own coordinates: row 0 holds the titles.
    virtual int colunasGrade() const = 0;
    virtual void defineColunasGrade(int n) = 0;
    virtual int linhasGrade() const = 0;
    virtual void defineLinhasGrade(int n) = 0;
    virtual QString celula(int col, int lin) const = 0;
    virtual void defineCelula(int col, int lin, const QString& texto) = 0;
    virtual int larguraColuna(int col) const = 0;
    virtual void defineLarguraColuna(int col, int largura) = 0;
    virtual int colunaAtual() const = 0;
    virtual int linhaAtual() const = 0;
    virtual void defineCelulaAtual(int col, int lin) = 0;
    virtual void rolaGradeParaColuna(int col) = 0;
    // Shows the situation selector over a cell, or hides it (col < 0).
    virtual void posicionaSeletorSituacao(int col, int lin) = 0;
};

// Virtual keys the form reacts to.
enum class Tecla { Cima, PageDown, Outra };

class LogicaAL {
public:
    static const QString Pagina;
    static const QString GradeChq;
    static constexpr int PaginaOrigem = 0;
    static constexpr int PaginaDestino = 1;
    static constexpr int ColunaSituacao = 5;

    explicit LogicaAL(VisaoAL& visao);

    // The run the form belongs to: environment, data modules, host services.
    void defineExecucao(Execucao* ex) { execucao_ = ex; }
    Execucao* execucao() const { return execucao_; }

    EstadoAL& estado() { return estado_; }
    const EstadoAL& estado() const { return estado_; }
    VisaoAL& visao() { return visao_; }

    // Handlers bound by name; the field lookups add theirs.
    using Handler = std::function<void()>;
    void defineEntrada(const QString& controle, Handler h) { entradas_[controle] = std::move(h); }
    void defineSaida(const QString& controle, Handler h) { saidas_[controle] = std::move(h); }
    void defineAcaoOk(Handler h) { acaoOk_ = std::move(h); }

    void FormCreate();
    void FormActivate(); // runs once per run; later activations only give the focus back
    void BtSairClick();
    void BtOkClick();

    // The active control, the one the form considers focused.
    const QString& ativo() const { return ativo_; }
    // A request to move the focus (Tab, Enter, Up, a click, the robot): runs the active
    // control's exit handler, moves unless that handler moved the focus itself, then runs
    // the new control's enter handler.
    void solicitaFoco(const QString& destino);
    // SetFocus from inside a handler: the focus goes there with its enter handler, and a
    // move under way stops.
    void focaliza(const QString& destino);
    void proximo();
    void anterior();
    // A page chosen with the mouse: the focus goes to the page control.
    void paginaEscolhida(int pagina);

    // Key handlers; true when the key was swallowed.
    bool teclaPressionada(const QString& controle, QChar tecla);
    bool teclaAbaixada(const QString& controle, Tecla tecla);

    // A copy of what the posting needs, read from the state and the window.
    DadosTransferencia dadosDaTransferencia() const;

    // Grid helpers needed at the start of a run.
    void TitulosGrade();
    void LimpaGrade();
    void MostraSituacao(int col, int lin);

    // The controls of a page in tab order, the page control first.
    static QStringList ordemDeTab(int pagina);
    static int paginaDe(const QString& controle);

private:
    QString vizinho(int passo) const;
    void executa(const std::map<QString, Handler>& tabela, const QString& controle);

    VisaoAL& visao_;
    Execucao* execucao_ = nullptr;
    EstadoAL estado_;
    QString ativo_;
    unsigned geracaoFoco_ = 0;
    bool ativada_ = false;
    std::map<QString, Handler> entradas_, saidas_;
    Handler acaoOk_;
};

} // namespace notera
