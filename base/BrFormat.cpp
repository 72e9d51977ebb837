#include "BrFormat.h"

#include "Money.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace base {

namespace {

// Days since 1970-01-01 to civil date (proleptic Gregorian).
Data civilDeDias(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return Data{static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

long long diasDeCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153LL * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr long long DiasDe1899Ate1970 = 25569;

std::string formataCentavos(double valor, bool agrupar) {
    auto cent = roundScaled(valor, 2);
    if (!cent) {
        if (std::isnan(valor)) return "NAN";
        if (std::isinf(valor)) return valor < 0 ? "-INF" : "INF";
        // Beyond 63 bits of cents a double holds no cents at all.
        char buf[400];
        auto r = std::to_chars(buf, buf + sizeof buf, valor, std::chars_format::fixed, 2);
        std::string s(buf, r.ptr);
        auto dot = s.find('.');
        if (dot != std::string::npos) s[dot] = ',';
        return s;
    }
    long long n = *cent;
    bool neg = n < 0;
    unsigned long long m = neg ? 0ULL - static_cast<unsigned long long>(n) : n;
    std::string inteira = std::to_string(m / 100);
    if (agrupar) {
        for (int i = static_cast<int>(inteira.size()) - 3; i > 0; i -= 3)
            inteira.insert(static_cast<std::size_t>(i), ".");
    }
    char dec[4];
    std::snprintf(dec, sizeof dec, "%02llu", m % 100);
    return (neg && m != 0 ? "-" : "") + inteira + "," + dec;
}

} // namespace

Data Data::deDiasDelphi(double dias) {
    if (!std::isfinite(dias)) return Data{};
    return civilDeDias(static_cast<long long>(std::trunc(dias)) - DiasDe1899Ate1970);
}

double Data::emDiasDelphi() const {
    return static_cast<double>(diasDeCivil(ano, mes, dia) + DiasDe1899Ate1970);
}

bool Data::valida(int ano, int mes, int dia) {
    if (ano < 1 || ano > 9999 || mes < 1 || mes > 12 || dia < 1) return false;
    static constexpr int dias[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool bissexto = (ano % 4 == 0 && ano % 100 != 0) || ano % 400 == 0;
    int max = dias[mes - 1] + (mes == 2 && bissexto ? 1 : 0);
    return dia <= max;
}

std::string formata0_00(double valor) {
    return formataCentavos(valor, false);
}
std::string formataMilhar0_00(double valor) {
    return formataCentavos(valor, true);
}

std::string formataDataCurta(const Data& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d", d.dia, d.mes, ((d.ano % 100) + 100) % 100);
    return buf;
}

std::string formataDataLonga(const Data& d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.dia, d.mes, d.ano);
    return buf;
}

} // namespace base
