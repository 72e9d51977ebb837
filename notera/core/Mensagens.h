#pragma once
// The library's message boxes, behind an interface so the behaviour can be driven in tests
// without a window. Captions follow the icon: "Atenção" for warnings, "Erro", "Informação",
// "Confirme" for questions; a box without icon takes the program's name.

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace notera {

class Mensagens {
public:
    virtual ~Mensagens() = default;
    // Shows the box and answers the index of the button chosen.
    virtual int mostra(platform::Icone icone, const QString& texto, const QStringList& botoes) = 0;

    void atencao(const QString& texto) {
        mostra(platform::Icone::Aviso, texto, {platform::BotaoOK});
    }
    void erro(const QString& texto) { mostra(platform::Icone::Erro, texto, {platform::BotaoOK}); }
    void informacao(const QString& texto) {
        mostra(platform::Icone::Informacao, texto, {platform::BotaoOK});
    }
    void mensagem(const QString& texto) {
        mostra(platform::Icone::Nenhum, texto, {platform::BotaoOK});
    }
    // Yes/No with the given icon; true on Yes.
    bool pergunta(platform::Icone icone, const QString& texto) {
        return mostra(icone, texto, {platform::BotaoSim, platform::BotaoNao}) == 0;
    }
    bool confirma(const QString& texto) { return pergunta(platform::Icone::Pergunta, texto); }
};

// The real boxes, on screen.
class MensagensQt : public Mensagens {
public:
    int mostra(platform::Icone icone, const QString& texto, const QStringList& botoes) override;
};

} // namespace notera
