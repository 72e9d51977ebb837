#pragma once
// UTF-8 and the UTF-16 of the W functions.

#include "platform/win32/Utf16.h"

#include <windows.h>

#include <string>
#include <string_view>

inline std::wstring paraUtf16(std::string_view s) {
    return platform::win32::utf16(s);
}

inline std::string paraUtf8(std::wstring_view w) {
    return platform::win32::utf8(w);
}
