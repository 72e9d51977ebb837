#include "ModulosDados.h"

#include "notera/core/Contas.h"

namespace notera {

std::string textoDoCampo(const db::Conjunto& conjunto, const char* campo) {
    return conjunto.campo(campo).comoTexto();
}

db::Valor QTbPlaCalcFields(const db::Registro& conta, const std::string& configuracao) {
    const auto reduzido = conta["cdr_pla"].comoInteiro();
    if (reduzido < 1) return db::Valor(std::string());
    return db::Valor(FormataReduzido(reduzido, configuracao));
}

void CalculaCodigo(db::Consulta& plano, const std::string& configuracao) {
    plano.adicionaCalculado(
        "Codigo", db::Tipo::Texto,
        [&configuracao](const db::Registro& r) { return QTbPlaCalcFields(r, configuracao); }, 0);
}

} // namespace notera
