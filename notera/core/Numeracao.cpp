#include "Numeracao.h"

namespace notera {

std::int64_t ProximoNumero(db::Tabela& tabela, const char* campo) {
    tabela.ordena(campo);
    tabela.releia();
    tabela.ultimo();
    return tabela.vazio() ? 1 : tabela.campo(campo).comoInteiro() + 1;
}

} // namespace notera
