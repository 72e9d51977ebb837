#include "platform/Memoria.h"

namespace platform {

std::string arquivoIniPara(const std::string& executavel, const std::string& pasta) {
    std::string nome = executavel.substr(executavel.find_last_of("/\\") + 1);
    if (nome.empty()) nome = "notera";
    // Cut at the file name's last ".", never at a "." of a folder.
    const auto ponto = nome.rfind('.');
    if (ponto != std::string::npos && ponto > 0) nome.resize(ponto);
    return pasta + '/' + nome + ".ini";
}

} // namespace platform
