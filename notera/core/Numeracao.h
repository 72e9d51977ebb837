#pragma once
// Numbered tables take the highest number plus one.

#include "db/Conjunto.h"

#include <cstdint>

namespace notera {

// The next number of |campo| in |tabela| (1 for an empty table): the table is ordered by that
// field, re-read and left on its last record. Callers that share the table with other
// workstations hold its reservation.
std::int64_t ProximoNumero(db::Tabela& tabela, const char* campo);

} // namespace notera
