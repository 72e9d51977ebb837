// Window bounds on Windows, through the profile API: a bare file name puts the INI file in the
// Windows directory, as the host's own settings are.

#include "platform/Memoria.h"

#include "base/Cp1252.h"

#include <windows.h>

#include <filesystem>
#include <vector>

namespace platform {

std::string arquivoIniDoPrograma() {
    wchar_t buf[MAX_PATH];
    const DWORD n = ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::u8string nome = n == 0 || n >= MAX_PATH
                             ? std::u8string(u8"notera")
                             : std::filesystem::path(std::wstring(buf, n)).stem().u8string();
    return std::string(nome.begin(), nome.end()) + ".ini";
}

std::optional<Limites> leLimites(const std::string& arquivoIni, const std::string& secao,
                                 const Limites& atuais) {
    const std::string arquivo = base::utf8ParaCp1252(arquivoIni);
    const std::string s = base::utf8ParaCp1252(secao);
    std::vector<char> chaves(4096);
    const DWORD n = ::GetPrivateProfileStringA(s.c_str(), nullptr, "", chaves.data(),
                                               static_cast<DWORD>(chaves.size()), arquivo.c_str());
    if (n == 0) return std::nullopt;
    auto le = [&](const char* chave, int atual) {
        return static_cast<int>(::GetPrivateProfileIntA(s.c_str(), chave, atual, arquivo.c_str()));
    };
    return Limites{le("Left", atuais.esquerda), le("Top", atuais.topo), le("Width", atuais.largura),
                   le("Height", atuais.altura)};
}

void gravaLimites(const std::string& arquivoIni, const std::string& secao, const Limites& r) {
    const std::string arquivo = base::utf8ParaCp1252(arquivoIni);
    const std::string s = base::utf8ParaCp1252(secao);
    const std::pair<const char*, int> valores[] = {
        {"Top", r.topo}, {"Left", r.esquerda}, {"Width", r.largura}, {"Height", r.altura}};
    for (const auto& [chave, valor] : valores)
        ::WritePrivateProfileStringA(s.c_str(), chave, std::to_string(valor).c_str(),
                                     arquivo.c_str());
}

} // namespace platform
