#pragma once
// A text field of fixed capacity, as the form's state and the transfer hold codes and accounts.

#include <QString>

namespace notera {

// Longer values are cut to the capacity.
template <int Capacidade> class TextoFixo {
public:
    TextoFixo() = default;
    TextoFixo(const QString& s) : s_(s.left(Capacidade)) {} // NOLINT: assigned like a text
    const QString& texto() const { return s_; }
    operator const QString&() const { return s_; } // NOLINT
    bool vazio() const { return s_.isEmpty(); }
    bool operator==(const TextoFixo&) const = default;

private:
    QString s_;
};

} // namespace notera
