#pragma once
// The transfer form's behaviour, apart from its widgets: focus moves with their exit and
// enter handlers, the keyboard rules, the field lookups, the accounts, the cheque grid and
// the origin company. The window forwards its events here and shows what this asks of it
// through VisaoAL, so tests can drive it without any widget.

#include "notera/core/ResultadoPostagem.h"
#include "notera/core/Transferencia.h"
#include "notera/form/EstadoAL.h"
#include "notera/form/TextosTransferencia.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>

namespace db {
class Conjunto;
class Consulta;
} // namespace db

namespace notera {

struct Execucao;
class Mensagens;

// What the behaviour needs of the window. Controls are named by their object names.
class VisaoAL {
public:
    virtual ~VisaoAL() = default;
    virtual QString texto(const QString& controle) const = 0;
    virtual void defineTexto(const QString& controle, const QString& texto) = 0;
    virtual void selecionaTudo(const QString& controle) = 0;
    // Shown on its page (the page itself may be the other one).
    virtual bool visivelNaPagina(const QString& controle) const = 0;
    virtual void defineVisivel(const QString& controle, bool visivel) = 0;
    virtual int paginaAtual() const = 0;
    virtual void mostraPagina(int pagina) = 0;
    virtual bool formularioVisivel() const = 0;
    // Gives the keyboard focus to the control's widget; runs no handler.
    virtual void aplicaFoco(const QString& controle) = 0;
    virtual void fecha() = 0;
    virtual void cursorDeEspera(bool ligado) = 0;
    virtual void botaoOkPressionado(bool pressionado) = 0;
    // Lets pending window messages run (the OK action does, and guards against re-entry).
    virtual void processaMensagens() = 0;

    // The cheque grid, in its own coordinates: row 0 holds the titles.
    virtual int colunasGrade() const = 0;
    virtual void defineColunasGrade(int n) = 0;
    virtual int linhasGrade() const = 0;
    virtual void defineLinhasGrade(int n) = 0;
    // A cell's text; the open cell editor's text for the cell being edited.
    virtual QString celula(int col, int lin) const = 0;
    // Stores an open cell editor's text in its cell and closes the editor.
    virtual void fechaEdicao() = 0;
    virtual void defineCelula(int col, int lin, const QString& texto) = 0;
    virtual int larguraColuna(int col) const = 0;
    virtual void defineLarguraColuna(int col, int largura) = 0;
    virtual int colunaAtual() const = 0;
    virtual int linhaAtual() const = 0;
    virtual void defineCelulaAtual(int col, int lin) = 0;
    virtual void rolaGradeParaColuna(int col) = 0;
    // The situation selector over a cell with an item chosen; hidden again (the grid takes
    // the focus back when the selector had it).
    virtual void mostraSeletor(int col, int lin, int item) = 0;
    virtual void escondeSeletor() = 0;
    virtual bool seletorVisivel() const = 0;
    virtual int itemDoSeletor() const = 0;
};

// Keys the form reacts to.
enum class Tecla { Cima, Baixo, Esquerda, Direita, Inicio, Fim, PageDown, Apaga, Outra };

class LogicaAL {
public:
    static const QString Pagina;
    static const QString GradeChq;
    static constexpr int PaginaOrigem = 0;
    static constexpr int PaginaDestino = 1;
    static const QStringList ItensSituacao;

    explicit LogicaAL(VisaoAL& visao);

    // The run the form belongs to: environment, data modules, host services.
    void defineExecucao(Execucao* ex) { execucao_ = ex; }
    Execucao* execucao() const { return execucao_; }

    EstadoAL& estado() { return estado_; }
    const EstadoAL& estado() const { return estado_; }
    VisaoAL& visao() { return visao_; }

    // Handlers bound by name; tests may replace them.
    using Handler = std::function<void()>;
    void defineEntrada(const QString& controle, Handler h) { entradas_[controle] = std::move(h); }
    void defineSaida(const QString& controle, Handler h) { saidas_[controle] = std::move(h); }
    // Replaces the whole OK action (tests of the keyboard rules).
    void defineAcaoOk(Handler h) { acaoOk_ = std::move(h); }
    // The posting steps of the OK action, after the entry checks: given the transfer as a
    // value, they answer the result the form applies (AL number, confirmation, a message,
    // whether the action goes on to its normal end).
    using Postagem = std::function<ResultadoPostagem(const DadosTransferencia&)>;
    void definePostagem(Postagem p) { postagem_ = std::move(p); }
    // Binds the handlers of the lookups, accounts and origin company.
    void ligaHandlers();

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
    // The control after `controle` in tab order (hidden ones skipped).
    QString seguinte(const QString& controle, int passo = 1) const;
    // A page chosen with the mouse: the focus goes to the page control.
    void paginaEscolhida(int pagina);

    // Key handlers of the edits; true when the key was swallowed.
    bool teclaPressionada(const QString& controle, QChar tecla);
    bool teclaAbaixada(const QString& controle, Tecla tecla);

    // Chart-of-accounts lookups.
    QString BuscaConta(std::int32_t empresa, const QString& texto, QChar tipo);
    bool SelecionaConta(db::Consulta& plano);
    // Enter typed in an account field (or handed on by a lookup, with its own field as sender).
    void teclaEnterConta(const QString& campo, const QString& remetente);
    void entradaConta(const QString& campo);

    // Catalogue lookups.
    bool LocalizaBanco(const QString& texto);
    void saidaCatalogo(const QString& campo);
    void entradaCatalogo(const QString& campo);

    // Origin company.
    void Ed_EmpresaEnter();
    void Ed_EmpresaExit();
    void trocaOrigem();

    // The cheque grid.
    void TitulosGrade();
    void LimpaGrade();
    void NovaLinhaCheque();
    void SincronizaGradeAux();
    bool LinhaSemData(int lin) const;
    bool UltimaLinha(int lin) const;
    bool ValidaCelula(int col, int lin);
    bool ValidaCheques();
    void TotalCheques();
    void MostraSituacao(int col, int lin);
    bool TrocaLinha(Tecla tecla);
    void NavegaGrade(Tecla tecla);
    void GradeChqSelectCell(int col, int lin);
    void GradeChqEnter();
    void vaiParaCelula(int col, int lin); // defaults of the target cell, then the move
    // The grid's keys; the view reports whether a cell editor is open.
    bool gradeTeclaAbaixada(Tecla tecla, bool editorAberto);
    // Enter and typed characters: the character to insert, or nothing when swallowed.
    std::optional<QChar> gradeTeclaPressionada(QChar tecla, const QString& textoDaCelula);
    void gradeClique(int col, int lin);
    QString mascaraDaColuna(int col) const;
    // The situation selector.
    void Cb_ChqSitChange(int item);
    bool seletorTeclaAbaixada(Tecla tecla, bool comModificador);
    bool seletorTeclaPressionada(QChar tecla);

    // The transfer as the form holds it, and read into a value for the posting.
    TextosTransferencia textosDaTransferencia() const;
    DadosTransferencia dadosDaTransferencia() const;

    // The controls of a page in tab order, the page control first.
    static QStringList ordemDeTab(int pagina);
    static int paginaDe(const QString& controle);

private:
    QString vizinho(int passo) const;
    void executa(const std::map<QString, Handler>& tabela, const QString& controle);
    Mensagens& mensagens();
    void saiDoSeletor();
    QString hoje() const;
    // Ed_Valor read as an amount, and the cheque total as Lb_ChqTotal shows it.
    base::Dinheiro valorDaTransferencia() const;
    base::Dinheiro totalMostrado() const;

    VisaoAL& visao_;
    Execucao* execucao_ = nullptr;
    EstadoAL estado_;
    QString ativo_;
    QString emSaida_; // the control whose exit handler runs
    unsigned geracaoFoco_ = 0;
    bool ativada_ = false;
    std::map<QString, Handler> entradas_, saidas_;
    Handler acaoOk_;
    Postagem postagem_;
    base::Dinheiro totalCheques_;
};

} // namespace notera
