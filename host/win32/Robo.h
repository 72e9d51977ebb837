#pragma once
// The Windows host's robot. The library's windows run on the caller's thread (the form's
// thread); the robot drives them from a thread of its own with posted messages only, and
// answers message boxes and the print dialog from hooks on the form's thread.

#include "host/Fila.h"
#include "host/Log.h"
#include "host/Script.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

class RoboWin32 {
public:
    // The hooks go on the calling thread, the one that will run the library's windows.
    RoboWin32(std::vector<Acao> acoes, Registro& log, bool comRoteiro);
    ~RoboWin32();
    RoboWin32(const RoboWin32&) = delete;
    RoboWin32& operator=(const RoboWin32&) = delete;

    // Starts the robot's thread, which drives the window named janela once it is ready.
    void iniciaPassos(const std::string& janela);
    // After the library returned: the thread ends, what is left of the script runs, and the
    // answers left over are errors.
    void conclui();
    bool falhou();
    bool comRoteiro() const { return comRoteiro_; }
    bool pedeImpressao();

    // For the host's own dialogs, on the form's thread.
    std::optional<std::string> proximaSelecao();
    bool proximaReservaRecusada();
    void registraErro(const std::string& texto);
    Registro& log() { return log_; }
    // A dialog opened: the script's leading queue actions and dumps run first, unless an
    // action of the robot is running (it opened the dialog; what follows comes after).
    void drenaSeParado();

    // The hooks' work, on the form's thread.
    void respondeCaixa(HWND caixa);
    void respondeImpressao(HWND dialogo);
    void aoRemover(const MSG& m);
    static RoboWin32* ativo() { return ativo_; }
    std::atomic<int> dialogosAbertos{0};

private:
    void corre(std::string janela);
    void executa(const Acao& a);
    std::optional<Acao> proximaSemInteracao();
    void esperaOcioso();
    HWND acha(const std::string& nome);
    HWND foco();
    void despeja(const std::string& nome, int linha);
    void teclas(const std::vector<std::string>& nomes, int linha);
    void clica(HWND w, bool botao);
    void clicaEm(HWND w, int x, int y);

    static RoboWin32* ativo_; // the hooks' way back to the robot
    Registro& log_;
    bool comRoteiro_;
    std::mutex trava_; // guards roteiro_ and ocupado_
    Roteiro roteiro_;
    bool ocupado_ = false;
    DWORD threadForm_;
    HHOOK cbt_ = nullptr, mensagens_ = nullptr;
    std::thread thread_;
    std::atomic<bool> fim_{false};
    std::atomic<HWND> janela_{nullptr};
    std::atomic<unsigned> marcaVista_{0}, outras_{0};
    std::atomic<bool> capsLock_{false};
    unsigned marca_ = 0;
};
