#pragma once
// Numbered tables take the highest number plus one.

#include "db/Conjunto.h"

#include <cstdint>

namespace notera {

// The next number of |campo| in |tabela| (1 for an empty table), read by the store. Inside a
// unit of work it is read under the store's write lock, so no other workstation takes it
// before the unit commits; the field's unique key is the backstop outside one.
std::int64_t ProximoNumero(db::Tabela& tabela, const char* campo);

} // namespace notera
