#include "FalhaVfs.h"

#include <sqlite3.h>

#include <cstring>

namespace torture {

namespace {

// The shim's state: one armed failure at a time, in one harness process.
struct Estado {
    sqlite3_vfs* base = nullptr;
    bool armado = false;
    Operacao tipo = Operacao::Escrita;
    std::int64_t alvo = 0;
    std::int64_t vistas = 0;
    bool dada = false;
};

Estado& estado() {
    static Estado e;
    return e;
}

// True when this operation is the one to fail.
bool falha(Operacao o) {
    Estado& e = estado();
    if (!e.armado) return false;
    const bool escrita = o == Operacao::Escrita;
    const bool conta = e.tipo == o || (e.tipo == Operacao::DiscoCheio && escrita);
    if (!conta) return false;
    ++e.vistas;
    // A full disk stays full: every write from the Nth on fails.
    if (e.tipo == Operacao::DiscoCheio && e.alvo > 0 && e.vistas >= e.alvo) {
        e.dada = true;
        return true;
    }
    if (e.alvo > 0 && e.vistas == e.alvo) {
        e.dada = true;
        return true;
    }
    return false;
}

struct Arquivo {
    sqlite3_file base; // must come first: SQLite sees this as a sqlite3_file
    sqlite3_file* real;
};

sqlite3_file* real(sqlite3_file* f) {
    return reinterpret_cast<Arquivo*>(f)->real;
}

int xClose(sqlite3_file* f) {
    sqlite3_file* r = real(f);
    const int rc = r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
    sqlite3_free(r);
    return rc;
}
int xRead(sqlite3_file* f, void* p, int n, sqlite3_int64 o) {
    if (falha(Operacao::Leitura)) return SQLITE_IOERR_READ;
    return real(f)->pMethods->xRead(real(f), p, n, o);
}
int xWrite(sqlite3_file* f, const void* p, int n, sqlite3_int64 o) {
    if (falha(Operacao::Escrita))
        return estado().tipo == Operacao::DiscoCheio ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    return real(f)->pMethods->xWrite(real(f), p, n, o);
}
int xTruncate(sqlite3_file* f, sqlite3_int64 n) {
    return real(f)->pMethods->xTruncate(real(f), n);
}
int xSync(sqlite3_file* f, int flags) {
    if (falha(Operacao::Sincronia)) return SQLITE_IOERR_FSYNC;
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file* f, sqlite3_int64* n) {
    return real(f)->pMethods->xFileSize(real(f), n);
}
int xLock(sqlite3_file* f, int l) {
    return real(f)->pMethods->xLock(real(f), l);
}
int xUnlock(sqlite3_file* f, int l) {
    return real(f)->pMethods->xUnlock(real(f), l);
}
int xCheckReservedLock(sqlite3_file* f, int* r) {
    return real(f)->pMethods->xCheckReservedLock(real(f), r);
}
int xFileControl(sqlite3_file* f, int op, void* a) {
    return real(f)->pMethods->xFileControl(real(f), op, a);
}
int xSectorSize(sqlite3_file* f) {
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file* f) {
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file* f, int i, int n, int w, void volatile** p) {
    return real(f)->pMethods->xShmMap(real(f), i, n, w, p);
}
int xShmLock(sqlite3_file* f, int o, int n, int fl) {
    return real(f)->pMethods->xShmLock(real(f), o, n, fl);
}
void xShmBarrier(sqlite3_file* f) {
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file* f, int d) {
    return real(f)->pMethods->xShmUnmap(real(f), d);
}

// Version 2: no memory-mapped reads, so every page read goes through xRead.
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

int xOpen(sqlite3_vfs* vfs, const char* nome, sqlite3_file* f, int flags, int* saida) {
    sqlite3_vfs* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
    auto* a = reinterpret_cast<Arquivo*>(f);
    a->base.pMethods = nullptr;
    a->real = static_cast<sqlite3_file*>(sqlite3_malloc(base->szOsFile));
    if (!a->real) return SQLITE_NOMEM;
    std::memset(a->real, 0, static_cast<std::size_t>(base->szOsFile));
    const int rc = base->xOpen(base, nome, a->real, flags, saida);
    if (rc != SQLITE_OK) {
        if (a->real->pMethods) a->real->pMethods->xClose(a->real);
        sqlite3_free(a->real);
        a->real = nullptr;
        return rc;
    }
    a->base.pMethods = &metodos;
    return SQLITE_OK;
}

#define REPASSA(nome, assinatura, chamada)                                                         \
    auto nome assinatura {                                                                         \
        sqlite3_vfs* b = static_cast<sqlite3_vfs*>(v->pAppData);                                   \
        return b->chamada;                                                                         \
    }
REPASSA(xDelete, (sqlite3_vfs * v, const char* z, int s)->int, xDelete(b, z, s))
REPASSA(xAccess, (sqlite3_vfs * v, const char* z, int fl, int* r)->int, xAccess(b, z, fl, r))
REPASSA(xFullPathname, (sqlite3_vfs * v, const char* z, int n, char* o)->int,
        xFullPathname(b, z, n, o))
REPASSA(xDlOpen, (sqlite3_vfs * v, const char* z)->void*, xDlOpen(b, z))
REPASSA(xDlError, (sqlite3_vfs * v, int n, char* z)->void, xDlError(b, n, z))
REPASSA(xDlSym, (sqlite3_vfs * v, void* p, const char* z)->void (*)(void), xDlSym(b, p, z))
REPASSA(xDlClose, (sqlite3_vfs * v, void* p)->void, xDlClose(b, p))
REPASSA(xRandomness, (sqlite3_vfs * v, int n, char* z)->int, xRandomness(b, n, z))
REPASSA(xSleep, (sqlite3_vfs * v, int n)->int, xSleep(b, n))
REPASSA(xCurrentTime, (sqlite3_vfs * v, double* t)->int, xCurrentTime(b, t))
REPASSA(xGetLastError, (sqlite3_vfs * v, int n, char* z)->int, xGetLastError(b, n, z))
REPASSA(xCurrentTimeInt64, (sqlite3_vfs * v, sqlite3_int64* t)->int, xCurrentTimeInt64(b, t))
#undef REPASSA

} // namespace

const char* nomeDe(Operacao o) {
    switch (o) {
    case Operacao::Escrita:
        return "escrita";
    case Operacao::Sincronia:
        return "sincronia";
    case Operacao::Leitura:
        return "leitura";
    case Operacao::DiscoCheio:
        return "disco-cheio";
    }
    return "?";
}

void instalaFalhaVfs() {
    static sqlite3_vfs vfs;
    Estado& e = estado();
    if (e.base) return;
    e.base = sqlite3_vfs_find(nullptr);
    vfs = *e.base;
    vfs.iVersion = 2;
    vfs.szOsFile = static_cast<int>(sizeof(Arquivo));
    vfs.zName = "notera-falha";
    vfs.pAppData = e.base;
    vfs.xOpen = xOpen;
    vfs.xDelete = xDelete;
    vfs.xAccess = xAccess;
    vfs.xFullPathname = xFullPathname;
    vfs.xDlOpen = xDlOpen;
    vfs.xDlError = xDlError;
    vfs.xDlSym = xDlSym;
    vfs.xDlClose = xDlClose;
    vfs.xRandomness = xRandomness;
    vfs.xSleep = xSleep;
    vfs.xCurrentTime = xCurrentTime;
    vfs.xGetLastError = xGetLastError;
    vfs.xCurrentTimeInt64 = xCurrentTimeInt64;
    sqlite3_vfs_register(&vfs, 1);
}

void armaFalha(Operacao o, std::int64_t n) {
    Estado& e = estado();
    e.armado = true;
    e.tipo = o;
    e.alvo = n;
    e.vistas = 0;
    e.dada = false;
}

std::int64_t desarmaFalha() {
    Estado& e = estado();
    e.armado = false;
    return e.vistas;
}

bool falhaDada() {
    return estado().dada;
}

} // namespace torture
