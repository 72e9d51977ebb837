#include "platform/CapsLock.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QVariant>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <memory>

namespace platform {

namespace {

constexpr const char* Propriedade = "notera.capslock";

struct FechaDisplay {
    void operator()(Display* d) const {
        if (d) XCloseDisplay(d);
    }
};
using DisplayPtr = std::unique_ptr<Display, FechaDisplay>;

DisplayPtr abreX11() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app || QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    return DisplayPtr(XOpenDisplay(nullptr));
}

bool estadoX11(Display* d) {
    XkbStateRec estado{};
    XkbGetState(d, XkbUseCoreKbd, &estado);
    return (estado.locked_mods & LockMask) != 0;
}

} // namespace

bool capsLockLigado() {
    if (auto d = abreX11()) return estadoX11(d.get());
    auto* app = QCoreApplication::instance();
    return app && app->property(Propriedade).toBool();
}

void defineCapsLock(bool ligado) {
    if (auto d = abreX11()) {
        if (estadoX11(d.get()) == ligado) return;
        KeyCode k = XKeysymToKeycode(d.get(), XK_Caps_Lock);
        XTestFakeKeyEvent(d.get(), k, True, CurrentTime);
        XTestFakeKeyEvent(d.get(), k, False, CurrentTime);
        XSync(d.get(), False);
        return;
    }
    if (auto* app = QCoreApplication::instance()) app->setProperty(Propriedade, ligado);
}

void AjustaCapsLock(bool ligado) {
    if (capsLockLigado() != ligado) defineCapsLock(ligado);
}

} // namespace platform
