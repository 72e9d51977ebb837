#pragma once
// The keys the transfer form reacts to.

namespace notera {

enum class Tecla { Cima, Baixo, Esquerda, Direita, Inicio, Fim, PageDown, Apaga, Outra };

} // namespace notera
