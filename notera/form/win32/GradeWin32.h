#pragma once
// The cheque grid's window: a grid of texts drawn by itself whose row 0 holds the titles and
// stays in place while the data rows scroll, with an edit control opened over the current
// cell to change it. It only shows and edits texts; the form decides what the keys do.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace notera::win32 {

class GradeWin32 {
public:
    static constexpr const wchar_t* Classe = L"NoteraGrade";
    static void registra(HINSTANCE instancia);

    GradeWin32(HWND pai, HINSTANCE instancia, int linhas, int colunas, HFONT fonte, int alturaLinha,
               int larguraPadrao);
    GradeWin32(const GradeWin32&) = delete;
    GradeWin32& operator=(const GradeWin32&) = delete;

    HWND janela() const { return janela_; }

    int colunas() const { return static_cast<int>(larguras_.size()); }
    int linhas() const { return static_cast<int>(celulas_.size()); }
    void defineColunas(int n);
    void defineLinhas(int n);
    // A cell's text; the open editor's text for the cell it edits.
    std::string texto(int col, int lin) const;
    void defineTexto(int col, int lin, const std::string& texto);
    int largura(int col) const;
    void defineLargura(int col, int largura);
    int colunaAtual() const { return col_; }
    int linhaAtual() const { return lin_; }
    void defineAtual(int col, int lin);
    // Scrolls so that the cell shows (row 0 always does).
    void garanteVisivel(int col, int lin);
    // The cell's rectangle in the grid's client coordinates.
    RECT retangulo(int col, int lin) const;
    // The cell under a client point; false outside the cells.
    bool celulaEm(POINT p, int& col, int& lin) const;

    // Columns whose editor takes a date: "99/99/9999", blanks for the places not filled.
    void defineMascara(std::function<bool(int col)> mascarada) {
        mascarada_ = std::move(mascarada);
    }
    bool editando() const { return editor_ != nullptr; }
    HWND editor() const { return editor_; }
    std::string textoDoEditor() const;
    // Opens the current cell's editor (its text selected) when it is closed.
    void abreEditor();
    // Writes the open editor's text into its cell and closes it.
    void fechaEditor();
    // Opens the current cell's editor with a text typed into it over the selection.
    void editaCom(const std::wstring& texto);

private:
    static LRESULT CALLBACK procedimento(HWND h, UINT msg, WPARAM w, LPARAM l);
    static LRESULT CALLBACK procEditor(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id,
                                       DWORD_PTR dados);
    LRESULT trata(UINT msg, WPARAM w, LPARAM l);
    void pinta(HDC dc);
    void rola(int barra, int codigo);
    void atualiza();
    bool mascarado() const { return mascarada_ && mascarada_(col_); }
    // The masked editor's edits: a digit typed, Backspace, Delete.
    void digitaMascarado(wchar_t c);
    void apagaMascarado(bool paraTras);

    HWND janela_ = nullptr;
    HWND editor_ = nullptr;
    HFONT fonte_;
    int alturaLinha_, larguraPadrao_;
    std::vector<std::vector<std::string>> celulas_; // [row][col]
    std::vector<int> larguras_;
    int col_ = -1, lin_ = -1;
    int esquerda_ = 0; // first column shown
    int topo_ = 1;     // first data row shown below the titles
    std::function<bool(int)> mascarada_;
};

} // namespace notera::win32
