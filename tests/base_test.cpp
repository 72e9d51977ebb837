#include "base/BrFormat.h"
#include "base/Cp1252.h"
#include "base/Money.h"
#include "base/Texto.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace base;

TEST(Dinheiro, ArredondaComoODecimalDigitado) {
    struct Caso {
        double valor;
        int casas;
        std::optional<std::int64_t> esperado;
    };
    const Caso casos[] = {
        {1.005, 2, 101}, // binary 1.00499..., typed 1.005
        {2.675, 2, 268},
        {0.004, 2, 0},
        {0.005, 2, 1},
        {-1.005, 2, -101},
        {1.999, 2, 200},
        {1234.5, 2, 123450},
        {0.00495, 2, 0}, // no double rounding through four places
        {0.00005, 4, 1},
        {12.5, 4, 125000},
        {0, 2, 0},
        {std::nan(""), 2, std::nullopt},
        {std::numeric_limits<double>::infinity(), 2, std::nullopt},
        {1e300, 2, std::nullopt},
    };
    for (const auto& c : casos)
        EXPECT_EQ(roundScaled(c.valor, c.casas), c.esperado) << c.valor;
}

TEST(Dinheiro, CentavosEAritmetica) {
    auto a = Dinheiro::deDouble(10.125).value();
    EXPECT_EQ(a.dezMilesimos(), 101250);
    EXPECT_EQ(a.centavos(), 1013);
    EXPECT_EQ(Dinheiro::deDouble(-10.125)->centavos(), -1013);
    EXPECT_EQ((a + Dinheiro::deDezMilesimos(50)).dezMilesimos(), 101300);
    EXPECT_FALSE(Dinheiro::deDouble(std::nan("")).has_value());
}

TEST(Formato, ValoresComDuasCasas) {
    struct Caso {
        double valor;
        const char* simples;
        const char* milhar;
    };
    const Caso casos[] = {
        {1234.5, "1234,50", "1.234,50"},
        {0, "0,00", "0,00"},
        {0.5, "0,50", "0,50"},
        {-1234.567, "-1234,57", "-1.234,57"},
        {1500, "1500,00", "1.500,00"},
        {1234567.891, "1234567,89", "1.234.567,89"},
        {999.995, "1000,00", "1.000,00"},
        {100, "100,00", "100,00"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(formata0_00(c.valor), c.simples);
        EXPECT_EQ(formataMilhar0_00(c.valor), c.milhar);
    }
}

TEST(Formato, DatasDesde1899) {
    struct Caso {
        double dias;
        Data data;
        const char* curta;
        const char* longa;
    };
    const Caso casos[] = {
        {0, {1899, 12, 30}, "30/12/99", "30/12/1899"},
        {2, {1900, 1, 1}, "01/01/00", "01/01/1900"},
        {37685, {2003, 3, 5}, "05/03/03", "05/03/2003"},
        {37685.75, {2003, 3, 5}, "05/03/03", "05/03/2003"}, // the time of day is not a day
        {46022, {2025, 12, 31}, "31/12/25", "31/12/2025"},
        {36585, {2000, 2, 29}, "29/02/00", "29/02/2000"},
    };
    for (const auto& c : casos) {
        Data d = Data::deDiasDelphi(c.dias);
        EXPECT_EQ(d, c.data) << c.dias;
        EXPECT_EQ(formataDataCurta(d), c.curta);
        EXPECT_EQ(formataDataLonga(d), c.longa);
        EXPECT_EQ(c.data.emDiasDelphi(), std::trunc(c.dias));
    }
    EXPECT_TRUE(Data::valida(2024, 2, 29));
    EXPECT_FALSE(Data::valida(2023, 2, 29));
    EXPECT_FALSE(Data::valida(1900, 2, 29));
    EXPECT_FALSE(Data::valida(2023, 13, 1));
}

TEST(Cp1252, IdaEVolta) {
    EXPECT_EQ(utf8ParaCp1252("Março ção €"), "Mar\xE7o \xE7\xE3o \x80");
    EXPECT_EQ(cp1252ParaUtf8("Mar\xE7o \x80 \x93x\x94"), "Março € “x”");
    EXPECT_EQ(utf8ParaCp1252("日本"), "??");
    EXPECT_EQ(utf8ParaCp1252("\xC3"), "?"); // truncated sequence
    EXPECT_EQ(cp1252ParaUtf8("\x81"), "\xEF\xBF\xBD");
}

TEST(Texto, CaixaDasLetrasPortuguesas) {
    struct Caso {
        const char* texto;
        const char* maiusculas;
        const char* minusculas;
    };
    const Caso casos[] = {
        {"transferência ação", "TRANSFERÊNCIA AÇÃO", "transferência ação"},
        {"Ñandú ÿ œ š ž", "ÑANDÚ Ÿ Œ Š Ž", "ñandú ÿ œ š ž"},
        {"àáâãäåæçèéêëìíîïðòóôõöøùúûüýþ", "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÒÓÔÕÖØÙÚÛÜÝÞ",
         "àáâãäåæçèéêëìíîïðòóôõöøùúûüýþ"},
        {"ß ÷ × 1,5 µ €", "ß ÷ × 1,5 µ €", "ß ÷ × 1,5 µ €"}, // no single-letter capital
        {"\xff\xfe ok", "\xEF\xBF\xBD\xEF\xBF\xBD OK", "\xEF\xBF\xBD\xEF\xBF\xBD ok"},
    };
    for (const auto& c : casos) {
        EXPECT_EQ(maiusculas(c.texto), c.maiusculas) << c.texto;
        EXPECT_EQ(minusculas(c.texto), c.minusculas) << c.texto;
        EXPECT_TRUE(igualSemCaixa(c.maiusculas, c.minusculas)) << c.texto;
    }
    EXPECT_FALSE(igualSemCaixa("ação", "acao"));
    EXPECT_FALSE(igualSemCaixa("cod", "cod_cli"));
    EXPECT_TRUE(igualSemCaixa("COD_CLI", "cod_cli"));
}

TEST(Texto, ContaCortaEAparaPorCaractere) {
    EXPECT_EQ(caracteres("ação"), 4u);
    EXPECT_EQ(caracteres("€5"), 2u);
    EXPECT_EQ(inicio("ÇÃO123", 2), "ÇÃ");
    EXPECT_EQ(inicio("ab", 5), "ab");
    EXPECT_EQ(caractere("aç€𝄞", 1), U'ç');
    EXPECT_EQ(caractere("aç€𝄞", 3), U'𝄞');
    EXPECT_EQ(caractere("aç", 2), std::nullopt);
    EXPECT_EQ(codifica(decodifica("São Paulo €𝄞")), "São Paulo €𝄞");
    EXPECT_EQ(decodifica("a\xC3"), std::u32string(U"a\uFFFD"));                   // cut sequence
    EXPECT_EQ(decodifica("\xC0\xAF"), std::u32string(U"\uFFFD\uFFFD"));           // overlong
    EXPECT_EQ(decodifica("\xED\xA0\x80"), std::u32string(U"\uFFFD\uFFFD\uFFFD")); // surrogate
    EXPECT_TRUE(utf8Valido("São €𝄞 \xEF\xBF\xBD"));
    for (const char* invalido : {"a\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"})
        EXPECT_FALSE(utf8Valido(invalido)) << invalido;

    EXPECT_EQ(apara(" \t\r\n José \xC2\xA0"), "José");
    EXPECT_EQ(apara("  "), "");
    EXPECT_EQ(apara(""), "");
    EXPECT_EQ(apara("a b"), "a b");
    EXPECT_EQ(justificaDireita("7", 3, '0'), "007");
    EXPECT_EQ(justificaDireita("ção", 4), " ção");
    EXPECT_EQ(justificaDireita("12345", 3, '0'), "12345");
    EXPECT_TRUE(comecaCom("Ed_Cliente", "Ed_"));
    EXPECT_FALSE(comecaCom("Ed", "Ed_"));
}

TEST(Texto, LeInteiro) {
    struct Caso {
        const char* texto;
        std::optional<std::int64_t> esperado;
    };
    const Caso casos[] = {
        {"42", 42},
        {" -7 ", -7},
        {"+3", 3},
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"1a", std::nullopt},
        {"+-1", std::nullopt},
        {"9223372036854775807", INT64_MAX},
        {"9223372036854775808", std::nullopt},
        {"1.5", std::nullopt},
        {"-", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : casos)
        EXPECT_EQ(leInteiro64(c.texto), c.esperado) << '"' << c.texto << '"';
}
