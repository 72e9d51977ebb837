#include "Descargas.h"

#include <sqlite3.h>

#include <atomic>

namespace bench {

namespace {

sqlite3_vfs* real = nullptr;
sqlite3_vfs contador;
sqlite3_io_methods metodos;
std::atomic<std::int64_t> total{0};

struct Arquivo {
    sqlite3_file base;
    sqlite3_file* dentro; // the default VFS's file, stored right after this struct
};

sqlite3_file* de(sqlite3_file* f) {
    return reinterpret_cast<Arquivo*>(f)->dentro;
}

int xClose(sqlite3_file* f) {
    return de(f)->pMethods->xClose(de(f));
}
int xRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    return de(f)->pMethods->xRead(de(f), b, n, o);
}
int xWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    return de(f)->pMethods->xWrite(de(f), b, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 n) {
    return de(f)->pMethods->xTruncate(de(f), n);
}
int xSync(sqlite3_file* f, int flags) {
    ++total;
    return de(f)->pMethods->xSync(de(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* n) {
    return de(f)->pMethods->xFileSize(de(f), n);
}
int xLock(sqlite3_file* f, int l) {
    return de(f)->pMethods->xLock(de(f), l);
}
int xUnlock(sqlite3_file* f, int l) {
    return de(f)->pMethods->xUnlock(de(f), l);
}
int xCheckReservedLock(sqlite3_file* f, int* r) {
    return de(f)->pMethods->xCheckReservedLock(de(f), r);
}
int xFileControl(sqlite3_file* f, int op, void* a) {
    return de(f)->pMethods->xFileControl(de(f), op, a);
}
int xSectorSize(sqlite3_file* f) {
    return de(f)->pMethods->xSectorSize(de(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return de(f)->pMethods->xDeviceCharacteristics(de(f));
}
int xShmMap(sqlite3_file* f, int i, int n, int e, void volatile** p) {
    return de(f)->pMethods->xShmMap(de(f), i, n, e, p);
}
int xShmLock(sqlite3_file* f, int o, int n, int fl) {
    return de(f)->pMethods->xShmLock(de(f), o, n, fl);
}
void xShmBarrier(sqlite3_file* f) {
    de(f)->pMethods->xShmBarrier(de(f));
}
int xShmUnmap(sqlite3_file* f, int d) {
    return de(f)->pMethods->xShmUnmap(de(f), d);
}
int xFetch(sqlite3_file* f, sqlite3_int64 o, int n, void** p) {
    return de(f)->pMethods->xFetch(de(f), o, n, p);
}
int xUnfetch(sqlite3_file* f, sqlite3_int64 o, void* p) {
    return de(f)->pMethods->xUnfetch(de(f), o, p);
}

int xOpen(sqlite3_vfs*, sqlite3_filename nome, sqlite3_file* f, int flags, int* saida) {
    auto* a = reinterpret_cast<Arquivo*>(f);
    a->dentro = reinterpret_cast<sqlite3_file*>(a + 1);
    a->base.pMethods = nullptr;
    int rc = real->xOpen(real, nome, a->dentro, flags, saida);
    if (a->dentro->pMethods) {
        // The default unix methods are version 3; what they lack stays absent here too.
        metodos.iVersion = a->dentro->pMethods->iVersion;
        a->base.pMethods = &metodos;
    }
    return rc;
}

} // namespace

void instalaContador() {
    if (real) return;
    real = sqlite3_vfs_find(nullptr);
    contador = *real;
    contador.zName = "notera-contador";
    contador.szOsFile = static_cast<int>(sizeof(Arquivo)) + real->szOsFile;
    contador.xOpen = xOpen;
    contador.pNext = nullptr;
    metodos = {3,
               xClose,
               xRead,
               xWrite,
               xTruncate,
               xSync,
               xFileSize,
               xLock,
               xUnlock,
               xCheckReservedLock,
               xFileControl,
               xSectorSize,
               xDeviceCharacteristics,
               xShmMap,
               xShmLock,
               xShmBarrier,
               xShmUnmap,
               xFetch,
               xUnfetch};
    sqlite3_vfs_register(&contador, 1);
}

std::int64_t descargas() {
    return total.load();
}

} // namespace bench
