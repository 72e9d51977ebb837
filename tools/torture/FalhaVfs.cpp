#include "FalhaVfs.h"

#include "tools/VfsRepasse.h"

#include <sqlite3.h>

namespace torture {

namespace {

// The shim's state: one armed failure at a time, in one harness process.
struct Estado {
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

// The shim's hook: the armed failure, with the engine's code for it.
int gancho(repasse::Operacao o) {
    switch (o) {
    case repasse::Operacao::Leitura:
        return falha(Operacao::Leitura) ? SQLITE_IOERR_READ : SQLITE_OK;
    case repasse::Operacao::Escrita:
        if (!falha(Operacao::Escrita)) return SQLITE_OK;
        return estado().tipo == Operacao::DiscoCheio ? SQLITE_FULL : SQLITE_IOERR_WRITE;
    case repasse::Operacao::Sincronia:
        return falha(Operacao::Sincronia) ? SQLITE_IOERR_FSYNC : SQLITE_OK;
    }
    return SQLITE_OK;
}

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
    repasse::instala("notera-falha", gancho);
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
