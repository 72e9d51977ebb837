#pragma once
// Window bounds remembered between runs, in an INI file named after the running program.

#include <QRect>
#include <QString>

#include <optional>

namespace platform {

// $XDG_CONFIG_HOME (default ~/.config) / executable file name up to its last "." + ".ini".
QString arquivoIniDoPrograma();
QString arquivoIniPara(const QString& executavel, const QString& pastaDeConfiguracao);

// The section's bounds; keys missing in a section that has any take the current value.
// Nothing when the file or the section has no value.
std::optional<QRect> leLimites(const QString& arquivoIni, const QString& secao,
                               const QRect& atuais);
void gravaLimites(const QString& arquivoIni, const QString& secao, const QRect& limites);

} // namespace platform
