#include "ModulosDados.h"

#include "notera/core/Contas.h"

namespace notera {

QString textoDoCampo(const db::Conjunto& conjunto, const char* campo) {
    return QString::fromStdString(conjunto.campo(campo).comoTexto());
}

db::Valor QTbPlaCalcFields(const db::Registro& conta, const QString& configuracao) {
    const auto reduzido = conta["cdr_pla"].comoInteiro();
    if (reduzido < 1) return db::Valor(std::string());
    return db::Valor(FormataReduzido(reduzido, configuracao).toStdString());
}

void CalculaCodigo(db::Consulta& plano, const QString& configuracao) {
    plano.adicionaCalculado(
        "Codigo", db::Tipo::Texto,
        [&configuracao](const db::Registro& r) { return QTbPlaCalcFields(r, configuracao); }, 0);
}

} // namespace notera
