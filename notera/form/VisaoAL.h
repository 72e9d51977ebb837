#pragma once
// What the form's behaviour needs of its window.

#include <string>
#include <string_view>

namespace notera {

// What the behaviour needs of the window. Controls are named by their names in Nomes.h; texts
// are UTF-8.
class VisaoAL {
public:
    virtual ~VisaoAL() = default;
    virtual std::string texto(std::string_view controle) const = 0;
    virtual void defineTexto(std::string_view controle, const std::string& texto) = 0;
    virtual void selecionaTudo(std::string_view controle) = 0;
    // Shown on its page (the page itself may be the other one).
    virtual bool visivelNaPagina(std::string_view controle) const = 0;
    virtual void defineVisivel(std::string_view controle, bool visivel) = 0;
    virtual int paginaAtual() const = 0;
    virtual void mostraPagina(int pagina) = 0;
    virtual bool formularioVisivel() const = 0;
    // Gives the keyboard focus to the control's widget; runs no handler.
    virtual void aplicaFoco(std::string_view controle) = 0;
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
    virtual std::string celula(int col, int lin) const = 0;
    // Stores an open cell editor's text in its cell and closes the editor.
    virtual void fechaEdicao() = 0;
    virtual void defineCelula(int col, int lin, const std::string& texto) = 0;
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

} // namespace notera
