#pragma once
// The form every cheque print file keeps: lines end in CR LF, an escape only opens a line,
// no other control character. Aborts the fuzz run otherwise.

#include <cstdlib>
#include <string>

inline void confereFormaDoArquivo(const std::string& f) {
    for (std::size_t i = 0; i < f.size(); ++i) {
        const auto c = static_cast<unsigned char>(f[i]);
        if (c == '\r') {
            if (i + 1 >= f.size() || f[i + 1] != '\n') std::abort();
        } else if (c == '\n') {
            if (i == 0 || f[i - 1] != '\r') std::abort();
        } else if (c == 0x1B) {
            if (i != 0 && (i < 2 || f.compare(i - 2, 2, "\r\n") != 0)) std::abort();
        } else if (c < ' ' || c == 0x7F) {
            std::abort();
        }
    }
}
