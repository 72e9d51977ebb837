#pragma once
// What the data modules and their users share: a field as text and the charts' calculated
// reduced code.

#include "db/Conjunto.h"

#include <string>

namespace notera {

// A field of a data set's current record as text.
std::string textoDoCampo(const db::Conjunto& conjunto, const char* campo);

// Codigo of a chart row: the displayed reduced code, empty below 1.
db::Valor QTbPlaCalcFields(const db::Registro& conta, const std::string& configuracao);

// Adds the calculated field Codigo to a chart query; it reads |configuracao| where it stands.
void CalculaCodigo(db::Consulta& plano, const std::string& configuracao);

} // namespace notera
