#pragma once
// A SQLite VFS that wraps the default one and makes the Nth write, sync or read of the
// files it opens fail, for the fault harness only. Registered as the default VFS by the
// harness process; nothing else in the system knows it.

#include <cstdint>

namespace torture {

enum class Operacao { Escrita, Sincronia, Leitura, DiscoCheio };

const char* nomeDe(Operacao o);

// Installs the shim as the process's default VFS (once).
void instalaFalhaVfs();

// From now on counts the operations of kind |o| and fails the |n|th (0: count only).
void armaFalha(Operacao o, std::int64_t n);
// Stops counting and failing; answers how many operations of that kind were seen.
std::int64_t desarmaFalha();
// Whether the armed failure was given.
bool falhaDada();

} // namespace torture
