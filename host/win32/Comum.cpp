#include "Comum.h"

#include "Texto16.h"

#include "host/Script.h"

#include <cstdio>

namespace host {

Biblioteca::Biblioteca(const std::string& nome) {
    std::wstring exe(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
        if (n < exe.size()) {
            exe.resize(n);
            break;
        }
        exe.resize(exe.size() * 2);
    }
    const std::wstring pasta = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    h_ = ::LoadLibraryW((pasta + paraUtf16(nome)).c_str());
    if (!h_) erro_ = "não foi possível carregar (erro " + std::to_string(::GetLastError()) + ")";
}

Biblioteca::~Biblioteca() {
    if (h_) ::FreeLibrary(h_);
}

void* Biblioteca::simbolo(const char* nome) const {
    return h_ ? reinterpret_cast<void*>(::GetProcAddress(h_, nome)) : nullptr;
}

int preparaSessao(const PedidoSessao& p, Sessao& s) {
    std::vector<Acao> acoes;
    if (int rc = abreSessao(p, s.log, acoes); rc != 0) return rc;
    // Without a script the user answers the dialogs: no hooks.
    s.robo = std::make_unique<RoboWin32>(std::move(acoes), s.log, !p.script.empty());
    return 0;
}

} // namespace host
