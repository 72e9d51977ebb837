#include "Host.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

namespace apoio {

QList<QJsonObject> ExecucaoHost::eventos(const char* tipo) const {
    QList<QJsonObject> l;
    for (const auto& o : log)
        if (o["event"].toString() == QLatin1String(tipo)) l << o;
    return l;
}

QList<QJsonObject> ExecucaoHost::dumps(const QString& nome) const {
    QList<QJsonObject> l;
    for (const auto& o : eventos("dump"))
        if (o["name"].toString() == nome) l << o;
    return l;
}

QStringList ExecucaoHost::erros() const {
    QStringList l;
    for (const auto& o : eventos("error"))
        l << o["text"].toString();
    return l;
}

ExecucaoHost rodaHost(const DirTemp& dir, std::vector<std::string> argumentos,
                      const std::string& roteiro, std::map<std::string, std::string> ambiente) {
    std::vector<std::string> argv = {binario("notera-host")};
    argv.insert(argv.end(), argumentos.begin(), argumentos.end());
    argv.insert(argv.end(), {"--script", dir / "roteiro.txt", "--log", dir / "log.jsonl"});
    gravaArquivo(dir / "roteiro.txt", roteiro);
    ambiente.emplace("QT_QPA_PLATFORM", "offscreen");
    ambiente.emplace("XDG_RUNTIME_DIR", dir.caminho());
    ambiente.emplace("XDG_CONFIG_HOME", dir / "config");
    ambiente.emplace("TMPDIR", dir.caminho());
    ExecucaoHost e;
    e.r = executa(argv, ambiente);
    const std::string texto = leArquivo(dir / "log.jsonl");
    for (const auto& linha : QByteArray::fromStdString(texto).split('\n'))
        if (!linha.isEmpty()) e.log << QJsonDocument::fromJson(linha).object();
    return e;
}

std::string sql(const std::string& arquivo, const std::string& comando) {
    auto r = executa({"/usr/bin/sqlite3", arquivo, comando});
    EXPECT_EQ(r.saida, 0) << comando << "\n" << r.err;
    return r.out;
}

} // namespace apoio
