#pragma once
// UTF-8 texts of the report as the UTF-16 strings of the W functions, and back.

#include "platform/win32/Utf16.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace report::win32 {

inline std::wstring largo(std::string_view utf8) {
    return platform::win32::utf16(utf8);
}
inline std::string estreito(std::wstring_view w) {
    return platform::win32::utf8(w);
}

} // namespace report::win32
