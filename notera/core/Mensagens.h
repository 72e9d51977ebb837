#pragma once
// The library's message boxes, behind an interface so the behaviour can be driven in tests
// without a window. Captions follow the icon: "Atenção" for warnings, "Erro", "Informação",
// "Confirme" for questions; a box without icon takes the program's name.

#include "platform/Dialogs.h"

#include <memory>
#include <string>
#include <vector>

namespace notera {

class Mensagens {
public:
    virtual ~Mensagens() = default;
    // Shows the box and answers the index of the button chosen.
    virtual int mostra(platform::Icone icone, const std::string& texto,
                       const std::vector<std::string>& botoes) = 0;

    void atencao(const std::string& texto) {
        mostra(platform::Icone::Aviso, texto, {platform::BotaoOK});
    }
    void erro(const std::string& texto) {
        mostra(platform::Icone::Erro, texto, {platform::BotaoOK});
    }
    void informacao(const std::string& texto) {
        mostra(platform::Icone::Informacao, texto, {platform::BotaoOK});
    }
    void mensagem(const std::string& texto) {
        mostra(platform::Icone::Nenhum, texto, {platform::BotaoOK});
    }
    // Yes/No with the given icon; true on Yes.
    bool pergunta(platform::Icone icone, const std::string& texto) {
        return mostra(icone, texto, {platform::BotaoSim, platform::BotaoNao}) == 0;
    }
    bool confirma(const std::string& texto) { return pergunta(platform::Icone::Pergunta, texto); }
};

// The real boxes, on screen, through the platform's message box.
class MensagensNaTela : public Mensagens {
public:
    int mostra(platform::Icone icone, const std::string& texto,
               const std::vector<std::string>& botoes) override;
};

} // namespace notera
