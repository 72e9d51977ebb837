#pragma once
// Timing helpers shared by the benchmark programs.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace bench {

using Relogio = std::chrono::steady_clock;

// Median of |vezes| runs of f, in microseconds.
inline double mediana(int vezes, const std::function<void()>& f) {
    std::vector<double> t;
    for (int i = 0; i < vezes; ++i) {
        auto ini = Relogio::now();
        f();
        t.push_back(std::chrono::duration<double, std::micro>(Relogio::now() - ini).count());
    }
    std::sort(t.begin(), t.end());
    return t.empty() ? 0 : t[t.size() / 2];
}

inline double mediana(std::vector<double> t) {
    std::sort(t.begin(), t.end());
    return t.empty() ? 0 : t[t.size() / 2];
}

// Peak resident memory of this process (VmHWM), in kB.
inline long picoMemoriaKb() {
    std::FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return -1;
    char linha[256];
    long kb = -1;
    while (std::fgets(linha, sizeof linha, f))
        if (std::sscanf(linha, "VmHWM: %ld kB", &kb) == 1) break;
    std::fclose(f);
    return kb;
}

} // namespace bench
