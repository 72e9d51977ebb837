#pragma once
// The Caps Lock toggle: the X server's when the application runs on X11, otherwise a state
// kept on the application object, so a host and the libraries it loads see the same one.

namespace platform {

bool capsLockLigado();
void defineCapsLock(bool ligado);
// Puts Caps Lock into the wanted state; nothing happens when it already is.
void AjustaCapsLock(bool ligado);

} // namespace platform
