#pragma once
// Undoes a temporary change however the scope is left, an error of the store included.

#include <utility>

namespace notera {

template <class F> class AoSair {
public:
    explicit AoSair(F desfaz) : desfaz_(std::move(desfaz)) {}
    ~AoSair() { desfaz_(); }
    AoSair(const AoSair&) = delete;
    AoSair& operator=(const AoSair&) = delete;

private:
    F desfaz_;
};

} // namespace notera
