#include "Mensagens.h"

namespace notera {

int MensagensNaTela::mostra(platform::Icone icone, const std::string& texto,
                            const std::vector<std::string>& botoes) {
    std::string titulo;
    switch (icone) {
    case platform::Icone::Aviso:
        titulo = "Atenção";
        break;
    case platform::Icone::Erro:
        titulo = "Erro";
        break;
    case platform::Icone::Informacao:
        titulo = "Informação";
        break;
    case platform::Icone::Pergunta:
        titulo = "Confirme";
        break;
    case platform::Icone::Nenhum:
        titulo = platform::tituloDoPrograma();
        break;
    }
    // Escape answers No on a question, OK on a notice.
    const int escape = static_cast<int>(botoes.size()) - 1;
    return platform::caixaMensagem(icone, titulo, texto, botoes, 0, escape);
}

} // namespace notera
