#pragma once
// Internal helpers of the posting code.

#include "db/Conjunto.h"

#include <exception>
#include <string>
#include <utility>

namespace notera::posting {

// Runs a write on a data set; when it fails, the pending insert or edit is dropped before
// the error goes on, so that no later move of the data set posts the half-made record.
template <class F> decltype(auto) semPendencia(db::Conjunto& conjunto, F&& escrita) {
    try {
        return std::forward<F>(escrita)();
    } catch (...) {
        conjunto.cancela();
        throw;
    }
}

// A box's text followed by the engine's own, so that the clerk learns what failed.
inline std::string comMotivo(const std::string& texto, const std::exception& e) {
    return texto + "\r\n" + e.what();
}

} // namespace notera::posting
