#include "Numeracao.h"

namespace notera {

std::int64_t ProximoNumero(db::Tabela& tabela, const char* campo) {
    return tabela.proximoNumero(campo);
}

} // namespace notera
