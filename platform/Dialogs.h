#pragma once
// Message boxes with the system's captions and buttons.

#include <QString>
#include <QStringList>

#include <memory>

class QApplication;

namespace platform {

enum class Icone { Nenhum, Informacao, Aviso, Erro, Pergunta };

inline const QString BotaoSim = QStringLiteral("&Sim");
inline const QString BotaoNao = QStringLiteral("&Não");
inline const QString BotaoOK = QStringLiteral("OK");

// Shows a modal box and returns the index of the button chosen; the escape button's index
// when the box is closed otherwise. Answers escapeIndex when no widget application can run.
int caixaMensagem(Icone icone, const QString& titulo, const QString& texto,
                  const QStringList& botoes, int padrao, int escapeIndex);

// Confirmation box "Confirme" with "&Sim" and "&Não"; true on Yes.
bool confirma(const QString& texto);
void avisa(const QString& titulo, const QString& texto);
void mostraErro(const QString& texto);
void informa(const QString& texto);
// Plain box: no icon, the running program's title as caption, one OK button.
void mostraMensagem(const QString& texto);

// Makes sure a widget application exists while it lives: uses the host's when there is
// one, otherwise creates its own and destroys it at the end of its scope.
class AplicacaoQt {
public:
    AplicacaoQt();
    ~AplicacaoQt();
    AplicacaoQt(const AplicacaoQt&) = delete;
    AplicacaoQt& operator=(const AplicacaoQt&) = delete;
    // False when no widget application can run here (no display and no platform chosen).
    bool disponivel() const;

private:
    int argc_ = 1;
    char nome_[8] = "Notera";
    char* argv_[2] = {nome_, nullptr};
    std::unique_ptr<QApplication> propria_;
};

} // namespace platform
