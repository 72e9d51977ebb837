#pragma once
// The window "Transferência de Recursos" on Windows: native and common controls laid out as
// the Qt view lays them out, their events forwarded to LogicaAL. The form runs its own modal
// loop and reads the keys before the controls do, so that it owns the focus moves.

#include "notera/form/LogicaAL.h"

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace notera::win32 {

class GradeWin32;

class FormAL : public VisaoAL {
public:
    // Owned by |dono| (the host's window, may be null), which is disabled while the form runs.
    explicit FormAL(HWND dono = ::GetActiveWindow());
    ~FormAL() override;
    FormAL(const FormAL&) = delete;
    FormAL& operator=(const FormAL&) = delete;

    LogicaAL& logica() { return logica_; }
    HWND janela() const { return form_; }
    // Shows the form and runs its messages until it closes.
    void executaModal();

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

private:
    struct Fonte {
        void operator()(HFONT f) const { ::DeleteObject(f); }
    };
    using FontePtr = std::unique_ptr<std::remove_pointer_t<HFONT>, Fonte>;

    static LRESULT CALLBACK procedimento(HWND h, UINT msg, WPARAM w, LPARAM l);
    LRESULT trata(UINT msg, WPARAM w, LPARAM l);
    void monta();
    void disposicao();
    HWND controle(const wchar_t* classe, const wchar_t* texto, DWORD estilo, HWND pai,
                  std::string_view nome, int x, int y, int largura, int altura, DWORD exEstilo = 0);
    HWND painel(HWND pai, std::string_view nome, const wchar_t* titulo = L"");
    HWND campo(HWND pai, std::string_view nome, const wchar_t* rotulo, std::string_view nomeRotulo,
               int x, int y, int largura);
    HWND janelaDe(std::string_view controle) const;
    std::string nomeDoControle(HWND h) const;
    int px(double medidaDeProjeto) const;
    void mostraPaginaInterna(int pagina);
    bool pronto() const;

    // The form's keyboard and mouse, read before the controls get them: true when taken.
    bool preTraduz(MSG& m);
    bool teclaAbaixada(MSG& m);
    bool caractere(MSG& m);
    bool clique(MSG& m);
    bool teclaNaGrade(WPARAM vk, bool editor);
    bool caractereNaGrade(wchar_t c, bool editor);
    bool teclaNoSeletor(WPARAM vk);
    // Errors of the store raised by a handler are shown, as the form's message loop did.
    template <class F> void protege(F f);

    LogicaAL logica_;
    HWND dono_;
    HWND form_ = nullptr;
    HWND pagina_ = nullptr, seletor_ = nullptr, btOk_ = nullptr, btSair_ = nullptr;
    HWND paginas_[2] = {};
    std::unique_ptr<GradeWin32> grade_;
    std::map<std::string, HWND, std::less<>> janelas_;
    FontePtr fonte_, fonteSair_, fonteNegrito_;
    double escala_ = 1.0;
    std::string arquivoIni_;
    bool ativado_ = false; // the first activation ran
    bool fechado_ = false;
    bool espera_ = false;
};

} // namespace notera::win32
