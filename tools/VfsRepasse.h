#pragma once
// A SQLite VFS over the default one that shows every read, write and sync of the files it
// opens to a hook first, for the benchmarks and the fault harness only: nothing else in the
// system registers it.

namespace repasse {

enum class Operacao { Leitura, Escrita, Sincronia };

// Answers SQLITE_OK to let the operation through, or the error to give in its place.
using Gancho = int (*)(Operacao);

// Registers the VFS as the process's default, with |gancho| (once per process; later calls
// change nothing). Reads go through xRead only: no memory-mapped pages.
void instala(const char* nome, Gancho gancho);

} // namespace repasse
