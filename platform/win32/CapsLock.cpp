// Caps Lock on Windows: the keyboard's toggle state, changed by a key press and release.

#include "platform/CapsLock.h"

#include <windows.h>

namespace platform {

bool capsLockLigado() {
    return (::GetKeyState(VK_CAPITAL) & 1) != 0;
}

void defineCapsLock(bool ligado) {
    if (capsLockLigado() == ligado) return;
    ::keybd_event(VK_CAPITAL, 0x3A, KEYEVENTF_EXTENDEDKEY, 0);
    ::keybd_event(VK_CAPITAL, 0x3A, KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP, 0);
}

void AjustaCapsLock(bool ligado) {
    if (capsLockLigado() != ligado) defineCapsLock(ligado);
}

} // namespace platform
