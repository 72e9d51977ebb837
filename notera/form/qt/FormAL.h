#pragma once
// The window "Transferência de Recursos". It only lays out the controls and forwards
// their events to LogicaAL; the behaviour lives there.

#include "notera/form/LogicaAL.h"

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
    std::string texto(std::string_view controle) const override;
    void defineTexto(std::string_view controle, const std::string& texto) override;
    void selecionaTudo(std::string_view controle) override;
    bool visivelNaPagina(std::string_view controle) const override;
    void defineVisivel(std::string_view controle, bool visivel) override;
    int paginaAtual() const override;
    void mostraPagina(int pagina) override;
    bool formularioVisivel() const override;
    void aplicaFoco(std::string_view controle) override;
    void fecha() override;
    void cursorDeEspera(bool ligado) override;
    void botaoOkPressionado(bool pressionado) override;
    void processaMensagens() override;
    int colunasGrade() const override;
    void defineColunasGrade(int n) override;
    int linhasGrade() const override;
    void defineLinhasGrade(int n) override;
    std::string celula(int col, int lin) const override;
    void fechaEdicao() override;
    void defineCelula(int col, int lin, const std::string& texto) override;
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
    QWidget* campo(QWidget* pai, std::string_view nome, const char* rotulo,
                   std::string_view nomeRotulo, int x, int y, int largura);
    int px(double medidaDeProjeto) const;
    std::string nomeDoControle(QObject* o) const;
    bool teclaNaGrade(QKeyEvent* k, QWidget* editor);
    bool teclaNoSeletor(QKeyEvent* k);
    // Errors of the store raised by a handler are shown, as the form's message loop did.
    template <class F> void protege(F f);

    LogicaAL logica_;
    double escala_ = 1.0;
    QTabWidget* pagina_ = nullptr;
    GradeCheques* grade_ = nullptr;
    QComboBox* situacao_ = nullptr;
    std::string arquivoIni_;
    bool mostrada_ = false;
};

} // namespace notera
