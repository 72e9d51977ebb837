#pragma once
// What both robots share: the script's actions still to run, the queued answers to the
// dialogs, and the failure of the script. Not thread-safe: a robot that runs on its own
// thread guards it.

#include "Log.h"
#include "Script.h"

#include <deque>
#include <optional>
#include <string>

class Roteiro {
public:
    Roteiro(std::vector<Acao> acoes, Registro& log);

    // Queue actions store an answer, observations read state, interactive actions drive the
    // windows (and may open the dialogs that take the answers).
    enum class Tipo { Fila, Observacao, Interativa };
    static Tipo tipoDe(const Acao& a);

    std::deque<Acao>& acoes() { return acoes_; }
    bool pedeImpressao() const; // a print answer is somewhere in the script

    // Stores the answer of a queue action; false when the action is none of those.
    bool enfileira(const Acao& a);
    std::optional<std::string> proximaCaixa();     // the button's text ("&Sim", "&Não", "OK")
    std::optional<std::string> proximaSelecao();   // the key, or "cancel"
    std::optional<std::string> proximaImpressao(); // the file; empty text: cancel
    bool proximaReservaRecusada();
    // Answers left over at the end of the run are errors; the queues are emptied.
    void confereSobras();

    void registraErro(const std::string& texto);
    bool falhou() const { return falhou_; }
    Registro& log() { return log_; }

private:
    std::deque<Acao> acoes_;
    Registro& log_;
    std::deque<std::string> caixa_, selecao_, impressao_;
    int recusas_ = 0;
    bool falhou_ = false;
};

// Script answers name the buttons without "&" and accents.
std::string textoDoBotao(const std::string& resposta);
