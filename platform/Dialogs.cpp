// The boxes of the conventions, over each platform's message box.

#include "platform/Dialogs.h"

namespace platform {

bool confirma(const std::string& texto) {
    return caixaMensagem(Icone::Pergunta, "Confirme", texto, {BotaoSim, BotaoNao}, 0, 1) == 0;
}

void avisa(const std::string& titulo, const std::string& texto) {
    caixaMensagem(Icone::Aviso, titulo, texto, {BotaoOK}, 0, 0);
}

void mostraErro(const std::string& texto) {
    caixaMensagem(Icone::Erro, "Erro", texto, {BotaoOK}, 0, 0);
}

void informa(const std::string& texto) {
    caixaMensagem(Icone::Informacao, "Informação", texto, {BotaoOK}, 0, 0);
}

void mostraMensagem(const std::string& texto) {
    caixaMensagem(Icone::Nenhum, tituloDoPrograma(), texto, {BotaoOK}, 0, 0);
}

} // namespace platform
