#pragma once
// The fixed Brazilian format: decimal ",", thousands ".", dates dd/mm/yyyy.
// Never the operating system's locale.

#include <string>

namespace base {

// A calendar date. Date-times cross the interfaces as days since 30 December 1899,
// the fraction being the time of day.
struct Data {
    int ano = 1899;
    int mes = 12;
    int dia = 30;

    static Data deDiasDelphi(double diasDesde1899);
    double emDiasDelphi() const;
    static bool valida(int ano, int mes, int dia);
    auto operator<=>(const Data&) const = default;
};

// "#0.00": at least one integer digit, two decimals, halves away from zero, no grouping.
std::string formata0_00(double valor);
// "#,0.00": as above with "." every three integer digits.
std::string formataMilhar0_00(double valor);
// "dd/mm/yy" and "dd/mm/yyyy".
std::string formataDataCurta(const Data& d);
std::string formataDataLonga(const Data& d);

} // namespace base
