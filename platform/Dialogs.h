#pragma once
// Message boxes with the system's captions and buttons. Texts are UTF-8; each platform's
// folder implements these with its own toolkit.

#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class Icone { Nenhum, Informacao, Aviso, Erro, Pergunta };

inline const std::string BotaoSim = "&Sim";
inline const std::string BotaoNao = "&Não";
inline const std::string BotaoOK = "OK";

// Shows a modal box and returns the index of the button chosen; the escape button's index
// when the box is closed otherwise. Answers escapeIndex when no window can be shown.
int caixaMensagem(Icone icone, const std::string& titulo, const std::string& texto,
                  const std::vector<std::string>& botoes, int padrao, int escapeIndex);

// Confirmation box "Confirme" with "&Sim" and "&Não"; true on Yes.
bool confirma(const std::string& texto);
void avisa(const std::string& titulo, const std::string& texto);
void mostraErro(const std::string& texto);
void informa(const std::string& texto);
// Plain box: no icon, the running program's title as caption, one OK button.
void mostraMensagem(const std::string& texto);
// The caption of a box without icon.
std::string tituloDoPrograma();

// Keeps what windows need (the toolkit's application object) alive while it lives: the
// host's when there is one, otherwise its own, destroyed at the end of its scope.
class SessaoDeJanelas {
public:
    SessaoDeJanelas();
    ~SessaoDeJanelas();
    SessaoDeJanelas(const SessaoDeJanelas&) = delete;
    SessaoDeJanelas& operator=(const SessaoDeJanelas&) = delete;
    // False when no window can be shown here (no display and no platform chosen).
    bool disponivel() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
