#include "Mensagens.h"

#include <QCoreApplication>

namespace notera {

int MensagensQt::mostra(platform::Icone icone, const QString& texto, const QStringList& botoes) {
    QString titulo;
    switch (icone) {
    case platform::Icone::Aviso:
        titulo = QStringLiteral("Atenção");
        break;
    case platform::Icone::Erro:
        titulo = QStringLiteral("Erro");
        break;
    case platform::Icone::Informacao:
        titulo = QStringLiteral("Informação");
        break;
    case platform::Icone::Pergunta:
        titulo = QStringLiteral("Confirme");
        break;
    case platform::Icone::Nenhum:
        titulo = QCoreApplication::applicationName();
        break;
    }
    // Escape answers No on a question, OK on a notice.
    const int escape = static_cast<int>(botoes.size()) - 1;
    return platform::caixaMensagem(icone, titulo, texto, botoes, 0, escape);
}

} // namespace notera
