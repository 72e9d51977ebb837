#include "platform/Memoria.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace platform {

std::string arquivoIniDoPrograma() {
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return arquivoIniPara(
        QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toStdString(),
        base.toStdString());
}

std::optional<Limites> leLimites(const std::string& arquivoIni, const std::string& secao,
                                 const Limites& atuais) {
    const QString arquivo = QString::fromStdString(arquivoIni);
    if (!QFileInfo::exists(arquivo)) return std::nullopt;
    QSettings ini(arquivo, QSettings::IniFormat);
    ini.beginGroup(QString::fromStdString(secao));
    if (ini.childKeys().isEmpty()) return std::nullopt;
    auto le = [&](const char* chave, int atual) {
        bool ok = false;
        int v = ini.value(QLatin1String(chave), atual).toInt(&ok);
        return ok ? v : atual;
    };
    return Limites{le("Left", atuais.esquerda), le("Top", atuais.topo), le("Width", atuais.largura),
                   le("Height", atuais.altura)};
}

void gravaLimites(const std::string& arquivoIni, const std::string& secao, const Limites& r) {
    const QString arquivo = QString::fromStdString(arquivoIni);
    QDir().mkpath(QFileInfo(arquivo).absolutePath());
    QSettings ini(arquivo, QSettings::IniFormat);
    ini.beginGroup(QString::fromStdString(secao));
    ini.setValue(QStringLiteral("Top"), r.topo);
    ini.setValue(QStringLiteral("Left"), r.esquerda);
    ini.setValue(QStringLiteral("Width"), r.largura);
    ini.setValue(QStringLiteral("Height"), r.altura);
    ini.endGroup();
    ini.sync();
}

} // namespace platform
