#pragma once
// Answers the report's print dialog from a second thread, as the host's robot does: it finds
// the window named "DialogoImpressao" among the dialog thread's windows and drives its
// controls with messages only.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace teste {

struct Resposta {
    bool imprime = true;        // false: BtCancelar
    std::wstring arquivo;       // CkArquivo checked and this path, when not empty
    std::wstring copias = L"1"; // into EdCopias
    std::wstring impressora = L"Notera PostScript";
    // Ends the dialog with this key posted to its focus instead of a click, when not 0.
    UINT tecla = 0;
    // When not empty: the copies first given are refused with a warning box, which is
    // answered with OK before these copies are given and OK clicked again.
    std::wstring copiasDepois;
};

// Prints into |arquivo| with |copias|, or cancels.
inline Resposta imprimeEm(std::wstring arquivo, std::wstring copias = L"1") {
    Resposta r;
    r.arquivo = std::move(arquivo);
    r.copias = std::move(copias);
    return r;
}
inline Resposta cancela() {
    Resposta r;
    r.imprime = false;
    return r;
}

// What the dialog showed before it was answered.
struct Visto {
    std::wstring titulo, impressora, copias;
    std::vector<std::wstring> impressoras;
    bool emArquivo = false, arquivoHabilitado = false;
};

class RoboImpressao {
public:
    // Answers dialogs of |thread|, one answer each, in order.
    RoboImpressao(DWORD thread, std::vector<Resposta> respostas);
    ~RoboImpressao();
    RoboImpressao(const RoboImpressao&) = delete;
    RoboImpressao& operator=(const RoboImpressao&) = delete;

    std::vector<Visto> vistos();
    // Dialogs that could not be answered (controls missing) and were closed instead.
    std::vector<std::string> falhas();
    // The texts of the warning boxes the dialog showed.
    std::vector<std::wstring> avisos();

private:
    void executa();
    void corrigeCopias(HWND dialogo, HWND copias, HWND ok, const std::wstring& novas);

    DWORD thread_;
    std::vector<Resposta> respostas_;
    std::atomic<bool> para_{false};
    std::mutex m_;
    std::vector<Visto> vistos_;
    std::vector<std::string> falhas_;
    std::vector<std::wstring> avisos_;
    std::thread trabalho_;
};

// The path of a new file in the temporary directory (not created).
std::wstring arquivoTemporario(const wchar_t* nome);
std::string lerArquivo(const std::wstring& caminho);

} // namespace teste
