#include "VfsRepasse.h"

#include <sqlite3.h>

namespace repasse {

namespace {

sqlite3_vfs* real = nullptr;
sqlite3_vfs vfs;
Gancho gancho = nullptr;

struct Arquivo {
    sqlite3_file base;    // must come first: SQLite sees this as a sqlite3_file
    sqlite3_file* dentro; // the default VFS's file, stored right after this struct
};

sqlite3_file* de(sqlite3_file* f) {
    return reinterpret_cast<Arquivo*>(f)->dentro;
}

int xClose(sqlite3_file* f) {
    return de(f)->pMethods->xClose(de(f));
}
int xRead(sqlite3_file* f, void* b, int n, sqlite3_int64 o) {
    if (const int rc = gancho(Operacao::Leitura); rc != SQLITE_OK) return rc;
    return de(f)->pMethods->xRead(de(f), b, n, o);
}
int xWrite(sqlite3_file* f, const void* b, int n, sqlite3_int64 o) {
    if (const int rc = gancho(Operacao::Escrita); rc != SQLITE_OK) return rc;
    return de(f)->pMethods->xWrite(de(f), b, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 n) {
    return de(f)->pMethods->xTruncate(de(f), n);
}
int xSync(sqlite3_file* f, int flags) {
    if (const int rc = gancho(Operacao::Sincronia); rc != SQLITE_OK) return rc;
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

// Version 2: no xFetch, so every page read goes through xRead.
const sqlite3_io_methods metodos = {2,
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
                                    nullptr,
                                    nullptr};

int xOpen(sqlite3_vfs*, sqlite3_filename nome, sqlite3_file* f, int flags, int* saida) {
    auto* a = reinterpret_cast<Arquivo*>(f);
    a->dentro = reinterpret_cast<sqlite3_file*>(a + 1);
    a->base.pMethods = nullptr;
    const int rc = real->xOpen(real, nome, a->dentro, flags, saida);
    // SQLite closes a file through its methods even after a failed open, when they are set.
    if (a->dentro->pMethods) a->base.pMethods = &metodos;
    return rc;
}

} // namespace

void instala(const char* nome, Gancho g) {
    if (real) return;
    real = sqlite3_vfs_find(nullptr);
    gancho = g;
    vfs = *real;
    vfs.zName = nome;
    vfs.szOsFile = static_cast<int>(sizeof(Arquivo)) + real->szOsFile;
    vfs.xOpen = xOpen;
    vfs.pNext = nullptr;
    sqlite3_vfs_register(&vfs, 1);
}

} // namespace repasse
