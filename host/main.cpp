// notera-host: plays the host application of the two libraries, for demos and tests.

#include "Comum.h"

#include <QApplication>

#include <cstdlib>
#include <cstring>

namespace {

// Unattended runs need no screen: fall back to the offscreen platform when there is none.
void escolhePlataforma() {
    for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (const char* s = std::getenv(v); s && *s) return;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The offscreen platform's chatter is not the libraries' business.
void filtraMensagensQt(QtMsgType tipo, const QMessageLogContext&, const QString& msg) {
    if (tipo == QtDebugMsg || tipo == QtInfoMsg) return;
    if (msg.contains(QLatin1String("propagateSizeHints")) ||
        msg.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    std::fprintf(stderr, "%s\n", msg.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return host::uso("falta o comando");
    if (host::pedeAjuda(argv[1])) return host::ajuda();
    const std::string comando = argv[1];
    if (comando != "cheque" && comando != "transferencia")
        return host::uso("comando desconhecido: " + comando);
    escolhePlataforma();
    qInstallMessageHandler(filtraMensagensQt);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("notera-host"));
    const std::vector<std::string> args(argv, argv + argc);
    return comando == "cheque" ? host::comandoCheque(args) : host::comandoTransferencia(args);
}
