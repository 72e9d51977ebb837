#pragma once
// Amount in Portuguese words, in unaccented capitals, as printed on cheque copies and
// posting notices.

#include <string>
#include <string_view>

class TExtenso {
public:
    // Amount in reais; the fraction is the cents.
    double Valor = 0;

    // Words for the current Valor, rounded to cents (halves away from zero); the sign is
    // ignored. Empty for values that are not finite or reach 10^12.
    std::string PorExtenso();

    // Words for one group of three digits "000".."999"; empty for "000" or a malformed group.
    static std::string Centena(std::string_view grupo);

private:
    std::string figura_; // the amount as "000000000000,00", rebuilt on every call
};
