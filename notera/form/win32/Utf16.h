#pragma once
// UTF-8 texts of the form's behaviour to and from the UTF-16 of the W windows.

#include "platform/win32/Utf16.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace notera::win32 {

using platform::win32::utf16;
using platform::win32::utf8;

inline std::wstring textoDe(HWND janela) {
    const int n = ::GetWindowTextLengthW(janela);
    std::wstring w(static_cast<std::size_t>(n) + 1, L'\0');
    const int lidos = ::GetWindowTextW(janela, w.data(), n + 1);
    w.resize(static_cast<std::size_t>(lidos > 0 ? lidos : 0));
    return w;
}

// The private messages a robot sends to the form's controls.
inline constexpr UINT WM_CENTRO_CELULA = WM_APP + 1; // wParam col, lParam row: MAKELONG(x, y)
inline constexpr UINT WM_ESCOLHE_ABA = WM_APP + 2;   // wParam page, as a click on its tab
inline constexpr UINT WM_CELULA_ATUAL = WM_APP + 3;  // MAKELONG(col, row)
inline constexpr UINT WM_TEXTO_CELULA = WM_APP + 4;  // wParam col, lParam row: const char*
inline constexpr UINT WM_TAMANHO_GRADE = WM_APP + 5; // MAKELONG(cols, rows)

} // namespace notera::win32
