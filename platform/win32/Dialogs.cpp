// Message boxes on Windows: MessageBoxA with the conventions' icons and buttons, texts in
// code page 1252, over the window that has the keyboard.

#include "platform/Dialogs.h"

#include "base/Cp1252.h"

#include <windows.h>

#include <filesystem>

namespace platform {

namespace {

UINT estilo(Icone icone) {
    switch (icone) {
    case Icone::Informacao:
        return MB_ICONINFORMATION;
    case Icone::Aviso:
        return MB_ICONWARNING;
    case Icone::Erro:
        return MB_ICONERROR;
    case Icone::Pergunta:
        return MB_ICONQUESTION;
    case Icone::Nenhum:
        break;
    }
    return 0;
}

} // namespace

struct SessaoDeJanelas::Impl {};

SessaoDeJanelas::SessaoDeJanelas() = default;
SessaoDeJanelas::~SessaoDeJanelas() = default;
bool SessaoDeJanelas::disponivel() const {
    return true;
}

int caixaMensagem(Icone icone, const std::string& titulo, const std::string& texto,
                  const std::vector<std::string>& botoes, int padrao, int escapeIndex) {
    // The boxes of this system ask Yes/No or tell with OK.
    const bool simNao = botoes.size() == 2 && botoes[0] == BotaoSim && botoes[1] == BotaoNao;
    UINT tipo = estilo(icone) | MB_TASKMODAL | (simNao ? MB_YESNO : MB_OK);
    if (simNao && padrao == 1) tipo |= MB_DEFBUTTON2;
    HWND dono = ::GetActiveWindow();
    const int r = ::MessageBoxA(dono, base::utf8ParaCp1252(texto).c_str(),
                                base::utf8ParaCp1252(titulo).c_str(), tipo);
    if (dono) ::SetActiveWindow(dono);
    if (r == 0) return escapeIndex;
    if (simNao) return r == IDYES ? 0 : 1;
    return 0;
}

std::string tituloDoPrograma() {
    // The application's title is its executable's name, as the host's runtime gives it.
    wchar_t buf[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    const std::u8string s = std::filesystem::path(std::wstring(buf, n)).stem().u8string();
    return std::string(s.begin(), s.end());
}

} // namespace platform
