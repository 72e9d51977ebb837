#include "Memoria.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cstdlib>
#include <unistd.h>

namespace platform {

QString arquivoIniPara(const QString& executavel, const QString& pasta) {
    QString nome = QFileInfo(executavel).fileName();
    if (nome.isEmpty()) nome = QStringLiteral("notera");
    // Cut at the file name's last ".", never at a "." of a folder.
    const qsizetype ponto = nome.lastIndexOf('.');
    if (ponto > 0) nome.truncate(ponto);
    return pasta + '/' + nome + QStringLiteral(".ini");
}

QString arquivoIniDoPrograma() {
    QString base = QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
    return arquivoIniPara(QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(), base);
}

std::optional<QRect> leLimites(const QString& arquivoIni, const QString& secao,
                               const QRect& atuais) {
    if (!QFileInfo::exists(arquivoIni)) return std::nullopt;
    QSettings ini(arquivoIni, QSettings::IniFormat);
    ini.beginGroup(secao);
    if (ini.childKeys().isEmpty()) return std::nullopt;
    auto le = [&](const char* chave, int atual) {
        bool ok = false;
        int v = ini.value(QLatin1String(chave), atual).toInt(&ok);
        return ok ? v : atual;
    };
    QRect r(le("Left", atuais.left()), le("Top", atuais.top()), le("Width", atuais.width()),
            le("Height", atuais.height()));
    return r;
}

void gravaLimites(const QString& arquivoIni, const QString& secao, const QRect& r) {
    QDir().mkpath(QFileInfo(arquivoIni).absolutePath());
    QSettings ini(arquivoIni, QSettings::IniFormat);
    ini.beginGroup(secao);
    ini.setValue(QStringLiteral("Top"), r.top());
    ini.setValue(QStringLiteral("Left"), r.left());
    ini.setValue(QStringLiteral("Width"), r.width());
    ini.setValue(QStringLiteral("Height"), r.height());
    ini.endGroup();
    ini.sync();
}

} // namespace platform
