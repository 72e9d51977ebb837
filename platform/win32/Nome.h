#pragma once
// The component name of a window, as robots and the host find it: the window property "Nome"
// holds a global atom whose name is the component name, so any thread or process can read it.

#include <windows.h>

#include <string>
#include <string_view>

namespace platform::win32 {

// Names |janela| (UTF-8 name, at most 255 bytes). The atom is removed with the window's
// property by tiraNome, which a window calls from its WM_NCDESTROY.
void defineNome(HWND janela, std::string_view nome);
void tiraNome(HWND janela);
// The window's name, empty when it has none.
std::string nomeDe(HWND janela);
// The first window named |nome| among |raiz| and its descendants, or null.
HWND achaPorNome(HWND raiz, std::string_view nome);

} // namespace platform::win32
