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
    if (!p.log.empty() && !s.log.abre(p.log)) {
        std::fprintf(stderr, "notera-host: não foi possível criar %s\n", p.log.c_str());
        return SaidaUso;
    }
    std::vector<Acao> acoes;
    if (!p.script.empty()) {
        bool ok = false;
        std::string texto = leArquivo(p.script, ok);
        if (!ok) {
            std::fprintf(stderr, "notera-host: não foi possível ler %s\n", p.script.c_str());
            return SaidaUso;
        }
        RoteiroLido r = leRoteiro(texto);
        if (!r.erro.empty()) {
            s.log.escreve({{"event", "error"}, {"text", r.erro}});
            std::fprintf(stderr, "notera-host: %s\n", r.erro.c_str());
            return SaidaRoteiro;
        }
        acoes = std::move(r.acoes);
        s.comRoteiro = true;
    }
    s.robo = std::make_unique<Robo>(std::move(acoes), s.log);
    // Without a script the user answers the dialogs; the robot only logs.
    if (s.comRoteiro) s.robo->instala();
    return 0;
}

} // namespace host
