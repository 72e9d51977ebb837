#pragma once
// The window "Transferência de Recursos". It only lays out the controls and forwards
// their events to LogicaAL; the behaviour lives there.

#include "LogicaAL.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QTabWidget;

namespace notera {

class GradeCheques;

class FormAL : public QDialog, public VisaoAL {
    Q_OBJECT
public:
    explicit FormAL(QWidget* pai = nullptr);
    ~FormAL() override;

    LogicaAL& logica() { return logica_; }

    // VisaoAL
    QString texto(const QString& controle) const override;
    void defineTexto(const QString& controle, const QString& texto) override;
    void selecionaTudo(const QString& controle) override;
    bool visivelNaPagina(const QString& controle) const override;
    void defineVisivel(const QString& controle, bool visivel) override;
    int paginaAtual() const override;
    void mostraPagina(int pagina) override;
    bool formularioVisivel() const override;
    void aplicaFoco(const QString& controle) override;
    void fecha() override;
    void cursorDeEspera(bool ligado) override;
    void botaoOkPressionado(bool pressionado) override;
    void processaMensagens() override;
    int colunasGrade() const override;
    void defineColunasGrade(int n) override;
    int linhasGrade() const override;
    void defineLinhasGrade(int n) override;
    QString celula(int col, int lin) const override;
    void fechaEdicao() override;
    void defineCelula(int col, int lin, const QString& texto) override;
    int larguraColuna(int col) const override;
    void defineLarguraColuna(int col, int largura) override;
    int colunaAtual() const override;
    int linhaAtual() const override;
    void defineCelulaAtual(int col, int lin) override;
    void rolaGradeParaColuna(int col) override;
    void mostraSeletor(int col, int lin, int item) override;
    void escondeSeletor() override;
    bool seletorVisivel() const override;
    int itemDoSeletor() const override;

protected:
    bool eventFilter(QObject* alvo, QEvent* evento) override;
    bool focusNextPrevChild(bool) override { return true; } // the form moves the focus
    void showEvent(QShowEvent* evento) override;
    bool event(QEvent* evento) override;
    void keyPressEvent(QKeyEvent* evento) override;

public slots:
    void done(int resultado) override;

private:
    void monta();
    QWidget* campo(QWidget* pai, const char* nome, const char* rotulo, const char* nomeRotulo,
                   int x, int y, int largura);
    int px(double medidaDeProjeto) const;
    QString nomeDoControle(QObject* o) const;
    bool teclaNaGrade(QKeyEvent* k, QWidget* editor);
    bool teclaNoSeletor(QKeyEvent* k);
    // Errors of the store raised by a handler are shown, as the form's message loop did.
    template <class F> void protege(F f);

    LogicaAL logica_;
    double escala_ = 1.0;
    QTabWidget* pagina_ = nullptr;
    GradeCheques* grade_ = nullptr;
    QComboBox* situacao_ = nullptr;
    QString arquivoIni_;
    bool mostrada_ = false;
};

} // namespace notera
