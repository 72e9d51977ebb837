#include "Comum.h"

#include "Script.h"

#include <QCoreApplication>

#include <cstdio>
#include <dlfcn.h>

namespace host {

Biblioteca::Biblioteca(const std::string& nome) {
    const std::string dir = (QCoreApplication::applicationDirPath() + "/../lib/").toStdString();
    h_ = ::dlopen((dir + nome).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h_) h_ = ::dlopen(nome.c_str(), RTLD_NOW | RTLD_LOCAL);
}

Biblioteca::~Biblioteca() {
    if (h_) ::dlclose(h_);
}

void* Biblioteca::simbolo(const char* nome) const {
    return h_ ? ::dlsym(h_, nome) : nullptr;
}

int preparaSessao(const PedidoSessao& p, Sessao& s) {
    std::vector<Acao> acoes;
    if (int rc = abreSessao(p, s.log, acoes); rc != 0) return rc;
    s.comRoteiro = !p.script.empty();
    s.robo = std::make_unique<Robo>(std::move(acoes), s.log);
    // Without a script the user answers the dialogs; the robot only logs.
    if (s.comRoteiro) s.robo->instala();
    return 0;
}

} // namespace host
