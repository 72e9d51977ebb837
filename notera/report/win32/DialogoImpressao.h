#pragma once
// The report's print dialog on Windows: a printer of the system, the number of copies, and
// optionally a file to print into. A window of its own, modal on the calling thread, each
// control carrying its component name in the window property "Nome" so that a robot finds
// it: DialogoImpressao (the window, caption "Imprimir"), CbImpressora, EdCopias, CkArquivo,
// EdArquivo, BtOk and BtCancelar.

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace report {

struct EscolhaImpressao {
    std::wstring impressora;
    int copias = 1;
    bool emArquivo = false;
    std::wstring arquivo; // when emArquivo
};

class DialogoImpressao {
public:
    // The printers EnumPrinters gives, the default one first chosen.
    DialogoImpressao();

    // Runs the dialog over |dono| (may be null), proposing |copias|; nothing when cancelled.
    std::optional<EscolhaImpressao> mostra(HWND dono, int copias);

    const std::vector<std::wstring>& impressoras() const { return impressoras_; }

private:
    static LRESULT CALLBACK procedimento(HWND janela, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT trata(HWND janela, UINT msg, WPARAM wp, LPARAM lp);
    void cria(HWND janela);
    void atualiza();
    bool aceita();
    void termina(bool aceito);

    std::vector<std::wstring> impressoras_;
    std::wstring padrao_;
    int copiasPropostas_ = 1;
    HWND janela_ = nullptr;
    HWND impressora_ = nullptr, copias_ = nullptr, emArquivo_ = nullptr, arquivo_ = nullptr;
    bool fim_ = false;
    std::optional<EscolhaImpressao> escolha_;
};

} // namespace report
