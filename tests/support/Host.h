#pragma once
// Runs notera-host unattended and reads its log back.

#include "Apoio.h"

#include <QJsonObject>
#include <QList>

#include <map>
#include <string>
#include <vector>

namespace apoio {

struct ExecucaoHost {
    Resultado r;
    QList<QJsonObject> log;

    QList<QJsonObject> eventos(const char* tipo) const;
    // The dumps of one widget (or "focus"), in order.
    QList<QJsonObject> dumps(const QString& nome) const;
    QStringList erros() const;
};

// True when these tests drive the Windows host under Wine (the *HostWine cases):
// NOTERA_HOST_EXE names notera-host.exe and NOTERA_WINE the Wine loader.
bool hostWindows();
// A path of this machine as the host sees it: Wine maps the root to drive Z:.
std::string caminhoNoHost(const std::string& caminho);

// The INI file where the host's form keeps its window: in the run's configuration directory on
// Linux, in the Windows directory of Wine's prefix on Windows (a bare name of the profile API).
std::string arquivoIniDoHost(const DirTemp& dir);

// The notice that `print FILE` wrote, as a PDF in FILE: the Windows host prints through Wine's
// PostScript printer, which this turns into a PDF in place (ps2pdf). A no-op on Linux.
void avisoEmPdf(const std::string& arquivo);

// notera-host with the script's text, in dir (which receives script and log files).
ExecucaoHost rodaHost(const DirTemp& dir, std::vector<std::string> argumentos,
                      const std::string& roteiro, std::map<std::string, std::string> ambiente = {});

// sqlite3 on a store file; fails the calling test on an error.
std::string sql(const std::string& arquivo, const std::string& comando);

} // namespace apoio
