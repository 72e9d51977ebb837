#include "Descargas.h"

#include "tools/VfsRepasse.h"

#include <sqlite3.h>

#include <atomic>

namespace bench {

namespace {

std::atomic<std::int64_t> total{0};

int conta(repasse::Operacao o) {
    if (o == repasse::Operacao::Sincronia) ++total;
    return SQLITE_OK;
}

} // namespace

void instalaContador() {
    repasse::instala("notera-contador", conta);
}

std::int64_t descargas() {
    return total.load();
}

} // namespace bench
