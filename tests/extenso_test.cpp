#include "Extenso.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

std::string porExtenso(double v) {
    TExtenso e;
    e.Valor = v;
    return e.PorExtenso();
}

} // namespace

TEST(Extenso, Centenas) {
    const std::pair<const char*, const char*> casos[] = {
        {"000", ""},
        {"005", "CINCO"},
        {"010", "DEZ"},
        {"019", "DEZENOVE"},
        {"021", "VINTE E UM"},
        {"100", "CEM"},
        {"101", "CENTO E UM"},
        {"110", "CENTO E DEZ"},
        {"120", "CENTO E VINTE"},
        {"121", "CENTO E VINTE E UM"},
        {"200", "DUZENTOS"},
        {"214", "DUZENTOS E QUATORZE"},
        {"999", "NOVECENTOS E NOVENTA E NOVE"},
        {"12", ""},
        {"1a0", ""},
    };
    for (const auto& [grupo, palavras] : casos)
        EXPECT_EQ(TExtenso::Centena(grupo), palavras) << grupo;
}

TEST(Extenso, ValoresPorExtenso) {
    const std::pair<double, const char*> casos[] = {
        {0, "ZERO"},
        {0.01, "UM CENTAVO"},
        {0.50, "CINQUENTA CENTAVOS"},
        {0.99, "NOVENTA E NOVE CENTAVOS"},
        {1.00, "UM REAL"},
        {1.01, "UM REAL E UM CENTAVO"},
        {2.50, "DOIS REAIS E CINQUENTA CENTAVOS"},
        {3, "TRES REAIS"},
        {21.00, "VINTE E UM REAIS"},
        {100.00, "CEM REAIS"},
        {115.00, "CENTO E QUINZE REAIS"},
        {120.50, "CENTO E VINTE REAIS E CINQUENTA CENTAVOS"},
        {1000.00, "UM MIL REAIS"},
        {1001.00, "UM MIL E UM REAIS"},
        {1001.50, "UM MIL, UM REAIS E CINQUENTA CENTAVOS"},
        {1100.00, "UM MIL E CEM REAIS"},
        {1500.00, "UM MIL E QUINHENTOS REAIS"},
        {100000.00, "CEM MIL REAIS"},
        {1000000.00, "UM MILHAO DE REAIS"},
        {1000000.50, "UM MILHAO DE REAIS E CINQUENTA CENTAVOS"},
        {1000001.00, "UM MILHAO E UM REAIS"},
        {1500000.00, "UM MILHAO, QUINHENTOS MIL REAIS"},
        {2000000000.00, "DOIS BILHOES DE REAIS"},
        {1000500000.00, "UM BILHAO, QUINHENTOS MIL REAIS"},
        {123456789.12, "CENTO E VINTE E TRES MILHOES, QUATROCENTOS E CINQUENTA E SEIS MIL, "
                       "SETECENTOS E OITENTA E NOVE REAIS E DOZE CENTAVOS"},
        {999999999999.99, "NOVECENTOS E NOVENTA E NOVE BILHOES, NOVECENTOS E NOVENTA E NOVE "
                          "MILHOES, NOVECENTOS E NOVENTA E NOVE MIL, NOVECENTOS E NOVENTA E "
                          "NOVE REAIS E NOVENTA E NOVE CENTAVOS"},
        // The sign is ignored; rounding to cents decides singulars, joints and zero.
        {-1.00, "UM REAL"},
        {1.999, "DOIS REAIS"},
        {0.004, "ZERO"},
        {0.995, "UM REAL"},
        {1.005, "UM REAL E UM CENTAVO"},
        // Outside the twelve-digit figure, and values that are not numbers: no words.
        {1e12, ""},
        {999999999999.995, ""},
        {std::nan(""), ""},
        {std::numeric_limits<double>::infinity(), ""},
        {-std::numeric_limits<double>::infinity(), ""},
    };
    for (const auto& [valor, palavras] : casos)
        EXPECT_EQ(porExtenso(valor), palavras) << valor;
}

TEST(Extenso, ChamadasRepetidasSeguemOValorAtual) {
    TExtenso e;
    e.Valor = 2;
    EXPECT_EQ(e.PorExtenso(), "DOIS REAIS");
    EXPECT_EQ(e.PorExtenso(), "DOIS REAIS");
    e.Valor = 1e13;
    EXPECT_EQ(e.PorExtenso(), "");
    e.Valor = 0.01;
    EXPECT_EQ(e.PorExtenso(), "UM CENTAVO");
}
