#pragma once
// Window bounds remembered between runs, in an INI file named after the running program.

#include <optional>
#include <string>

namespace platform {

struct Limites {
    int esquerda = 0, topo = 0, largura = 0, altura = 0;
    bool operator==(const Limites&) const = default;
};

// The INI file of the running program (on Linux: $XDG_CONFIG_HOME, default ~/.config, then
// the executable's file name up to its last "." and ".ini").
std::string arquivoIniDoPrograma();
std::string arquivoIniPara(const std::string& executavel, const std::string& pastaDeConfiguracao);

// The section's bounds; keys missing in a section that has any take the current value.
// Nothing when the file or the section has no value.
std::optional<Limites> leLimites(const std::string& arquivoIni, const std::string& secao,
                                 const Limites& atuais);
void gravaLimites(const std::string& arquivoIni, const std::string& secao, const Limites& limites);

} // namespace platform
