#include "Valor.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace db {

namespace {

template <class... F> struct Visita : F... { using F::operator()...; };
// clang before 17 deduces no aggregate's arguments without a guide.
template <class... F> Visita(F...) -> Visita<F...>;

bool digitos(std::string_view s, std::size_t pos, std::size_t n, int& saida) {
    if (pos + n > s.size()) return false;
    int v = 0;
    for (std::size_t i = pos; i < pos + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        v = v * 10 + (s[i] - '0');
    }
    saida = v;
    return true;
}

} // namespace

std::string textoDeDataHora(double dias) {
    if (!std::isfinite(dias)) return {};
    double inteiro = std::trunc(dias);
    auto segundos = static_cast<long long>(std::llround(std::fabs(dias - inteiro) * 86400.0));
    if (segundos >= 86400) { // rounding reached the next day
        segundos = 0;
        inteiro += dias < 0 ? -1 : 1;
    }
    base::Data d = base::Data::deDiasDelphi(inteiro);
    char buf[40];
    if (segundos == 0)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.ano, d.mes, d.dia);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02lld:%02lld:%02lld", d.ano, d.mes, d.dia,
                      segundos / 3600, segundos / 60 % 60, segundos % 60);
    return buf;
}

std::optional<double> dataHoraDeTexto(std::string_view s) {
    int a, m, d, h = 0, mi = 0, se = 0;
    if (!digitos(s, 0, 4, a) || s.size() < 10 || s[4] != '-' || !digitos(s, 5, 2, m) ||
        s[7] != '-' || !digitos(s, 8, 2, d) || !base::Data::valida(a, m, d))
        return std::nullopt;
    if (s.size() > 10) {
        if ((s[10] != ' ' && s[10] != 'T') || !digitos(s, 11, 2, h) || s.size() < 16 ||
            s[13] != ':' || !digitos(s, 14, 2, mi))
            return std::nullopt;
        if (s.size() > 16 && (s[16] != ':' || !digitos(s, 17, 2, se))) return std::nullopt;
        if (h > 23 || mi > 59 || se > 59) return std::nullopt;
    }
    double dia = base::Data{a, m, d}.emDiasDelphi();
    double fracao = (h * 3600 + mi * 60 + se) / 86400.0;
    // Days before 1899-12-30 carry the time as a positive fraction below the whole day.
    return dia < 0 ? dia - fracao : dia + fracao;
}

Valor::Valor(base::Data v) : dado_(textoDeDataHora(v.emDiasDelphi())) {}

Valor Valor::dataHora(double dias) {
    return Valor(textoDeDataHora(dias));
}

std::int64_t Valor::comoInteiro() const {
    return std::visit(Visita{[](std::monostate) -> std::int64_t { return 0; },
                             [](std::int64_t v) { return v; },
                             [](double v) -> std::int64_t {
                                 if (!std::isfinite(v) || std::fabs(v) > 9.2e18) return 0;
                                 return static_cast<std::int64_t>(v);
                             },
                             [](const std::string& v) -> std::int64_t {
                                 std::int64_t n = 0;
                                 std::from_chars(v.data(), v.data() + v.size(), n);
                                 return n;
                             },
                             [](const Bytes&) -> std::int64_t { return 0; },
                             [](base::Dinheiro v) -> std::int64_t {
                                 return v.dezMilesimos() / base::Dinheiro::Escala;
                             }},
                      dado_);
}

double Valor::comoDouble() const {
    return std::visit(
        Visita{[](std::monostate) { return 0.0; },
               [](std::int64_t v) { return static_cast<double>(v); }, [](double v) { return v; },
               [](const std::string& v) {
                   double n = 0;
                   std::from_chars(v.data(), v.data() + v.size(), n);
                   return n;
               },
               [](const Bytes&) { return 0.0; }, [](base::Dinheiro v) { return v.emReais(); }},
        dado_);
}

std::string Valor::comoTexto() const {
    return std::visit(Visita{[](std::monostate) { return std::string(); },
                             [](std::int64_t v) { return std::to_string(v); },
                             [](double v) {
                                 char buf[64];
                                 auto r = std::to_chars(buf, buf + sizeof buf, v);
                                 return std::string(buf, r.ptr);
                             },
                             [](const std::string& v) { return v; },
                             [](const Bytes& v) { return std::string(v.begin(), v.end()); },
                             [](base::Dinheiro v) {
                                 // As the REAL it is stored as reads back.
                                 char buf[64];
                                 auto r = std::to_chars(buf, buf + sizeof buf, v.emReais());
                                 return std::string(buf, r.ptr);
                             }},
                      dado_);
}

base::Dinheiro Valor::comoDinheiro() const {
    if (auto* d = std::get_if<base::Dinheiro>(&dado_)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&dado_))
        return base::Dinheiro::deDezMilesimos(*i * base::Dinheiro::Escala);
    return base::Dinheiro::deDouble(comoDouble()).value_or(base::Dinheiro{});
}

double Valor::comoDataHora() const {
    if (auto* s = std::get_if<std::string>(&dado_)) return dataHoraDeTexto(*s).value_or(0.0);
    if (std::holds_alternative<Bytes>(dado_)) return 0.0;
    return comoDouble();
}

base::Data Valor::comoData() const {
    return base::Data::deDiasDelphi(comoDataHora());
}

Bytes Valor::comoBytes() const {
    if (auto* b = std::get_if<Bytes>(&dado_)) return *b;
    if (auto* s = std::get_if<std::string>(&dado_)) return Bytes(s->begin(), s->end());
    return {};
}

} // namespace db
