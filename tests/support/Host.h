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

// notera-host with the script's text, in dir (which receives script and log files).
ExecucaoHost rodaHost(const DirTemp& dir, std::vector<std::string> argumentos,
                      const std::string& roteiro, std::map<std::string, std::string> ambiente = {});

// sqlite3 on a store file; fails the calling test on an error.
std::string sql(const std::string& arquivo, const std::string& comando);

} // namespace apoio
