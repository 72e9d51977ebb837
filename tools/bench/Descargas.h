#pragma once
// Counts the synchronous flushes (fsync) SQLite asks of the file system in this process:
// a VFS that passes everything to the default one and counts xSync.

#include <cstdint>

namespace bench {

// Makes the counting VFS the default; call before any connection opens.
void instalaContador();
std::int64_t descargas();

} // namespace bench
