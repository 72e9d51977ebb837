#include "Host.h"

#include <QJsonDocument>

#include <cstdlib>
#include <filesystem>

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

bool hostWindows() {
    const char* exe = std::getenv("NOTERA_HOST_EXE");
    return exe != nullptr && *exe != '\0';
}

std::string caminhoNoHost(const std::string& caminho) {
    return hostWindows() && !caminho.empty() && caminho.front() == '/' ? "Z:" + caminho : caminho;
}

std::string arquivoIniDoHost(const DirTemp& dir) {
    if (!hostWindows()) return dir / "config/notera-host.ini";
    const char* prefixo = std::getenv("WINEPREFIX");
    return std::string(prefixo != nullptr ? prefixo : "") + "/drive_c/windows/notera-host.ini";
}

void avisoEmPdf(const std::string& arquivo) {
    if (!hostWindows()) return;
    const std::string ps = arquivo + ".ps";
    std::filesystem::rename(arquivo, ps);
    auto r = executa({"/usr/bin/ps2pdf", ps, arquivo});
    EXPECT_EQ(r.saida, 0) << "ps2pdf " << ps << ": " << r.err;
}

ExecucaoHost rodaHost(const DirTemp& dir, std::vector<std::string> argumentos,
                      const std::string& roteiro, std::map<std::string, std::string> ambiente) {
    std::vector<std::string> argv;
    std::string texto = roteiro;
    if (hostWindows()) {
        const char* wine = std::getenv("NOTERA_WINE");
        argv = {wine != nullptr ? wine : "wine", std::getenv("NOTERA_HOST_EXE")};
        // The script's paths are the test directory's files.
        const std::string de = dir.caminho(), para = caminhoNoHost(de);
        for (std::size_t i = 0; (i = texto.find(de, i)) != std::string::npos; i += para.size())
            texto.replace(i, de.size(), para);
    } else {
        argv = {binario("notera-host")};
    }
    for (const auto& a : argumentos)
        argv.push_back(caminhoNoHost(a));
    argv.insert(argv.end(), {"--script", caminhoNoHost(dir / "roteiro.txt"), "--log",
                             caminhoNoHost(dir / "log.jsonl")});
    gravaArquivo(dir / "roteiro.txt", texto);
    ambiente.emplace("QT_QPA_PLATFORM", "offscreen");
    ambiente.emplace("XDG_RUNTIME_DIR", dir.caminho());
    ambiente.emplace("XDG_CONFIG_HOME", dir / "config");
    ambiente.emplace("TMPDIR", dir.caminho());
    ExecucaoHost e;
    e.r = executa(argv, ambiente);
    const std::string registro = leArquivo(dir / "log.jsonl");
    for (const auto& linha : QByteArray::fromStdString(registro).split('\n'))
        if (!linha.isEmpty()) e.log << QJsonDocument::fromJson(linha).object();
    return e;
}

std::string sql(const std::string& arquivo, const std::string& comando) {
    auto r = executa({"/usr/bin/sqlite3", arquivo, comando});
    EXPECT_EQ(r.saida, 0) << comando << "\n" << r.err;
    return r.out;
}

} // namespace apoio
