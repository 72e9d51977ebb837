// Chart-of-accounts code rules.

#include "notera/core/Contas.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace notera;

TEST(Contas, NiveisESinteticas) {
    EXPECT_EQ(SeparaNiveis("1.1.01.001"), (std::vector<std::string>{"1", "1", "01", "001"}));
    EXPECT_EQ(SeparaNiveis("1-2.3"), (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(SeparaNiveis("1. 1"), (std::vector<std::string>{"1", "01"})); // a blank counts as 0
    EXPECT_EQ(SeparaNiveis(""), std::vector<std::string>{""});

    std::string longa;
    for (int i = 0; i < 34; ++i)
        longa += "1.";
    const std::pair<std::string, bool> casos[] = {
        {"1.1.01.000", true},
        {"1.1.01.001", false},
        {"1.1.01.A", true},
        {"1.1.01.", true},
        {"5", false},
        {"1.1. 0", true},
        {"1.1.0-0", true},
        {"", true},
        {"1.1.99999999999", true}, // not a 32-bit number
        {longa + "7", false},      // more than 30 levels: the last still decides
        {longa + "0", true},
    };
    for (const auto& [codigo, sintetica] : casos)
        EXPECT_EQ(EhSintetica(codigo), sintetica) << codigo;
    EXPECT_EQ(SeparaNiveis(longa + "7").size(), 35u);
}

TEST(Contas, DigitoVerificador) {
    const std::string S = std::string(16, 'N') + "S", N = std::string(16, 'N') + "N",
                      Branco = std::string(16, 'N') + " ";
    const std::tuple<std::int64_t, std::string, std::string> casos[] = {
        {123, S, "123-6"},     {47, S, "47-7"},       {250, S, "250-0"}, {1958, S, "1958-5"},
        {12345, S, "12345-3"}, {12349, S, "12349-3"}, {123, N, "123"},   {123, Branco, "123-6"},
        {123, "", "123-6"},    {103, S, "103-1"},     {109, S, "109-0"}, {1, S, "1-9"},
    };
    for (const auto& [reduzido, cfg, esperado] : casos)
        EXPECT_EQ(FormataReduzido(reduzido, cfg), esperado) << reduzido << " '" << cfg << "'";
}

TEST(Contas, ClassificacaoDoTextoDigitado) {
    const std::string S = std::string(16, 'N') + "S", N = std::string(16, 'N') + "N",
                      Branco = std::string(16, ' ');
    using B = BuscaDeConta;
    const std::tuple<std::string, std::string, B, std::string> casos[] = {
        {"CAIXA 1.1", S, B::Descricao, "11"},
        {"CAIXA", N, B::Descricao, ""},
        {"1.1.01.001", S, B::Estrutural, "1101001"},
        {"1.1-01.001", S, B::Estrutural, "111001"}, // the digit after "-" is a check digit
        {"1.1", S, B::SoDialogo, "11"},
        {"123-6", S, B::Reduzido, "123"},
        {"123", S, B::SoDialogo, "123"},
        {"123", N, B::Reduzido, "123"},
        {"123-6", N, B::SoDialogo, "123"},
        {"123", Branco, B::Reduzido, "123"},
        {"123-6", Branco, B::SoDialogo, "123"},
        {"-5", S, B::Reduzido, ""}, // no digit left: not found, the dialog
        {"0123-6", S, B::Reduzido, "0123"},
        {"", S, B::SoDialogo, ""},
    };
    for (const auto& [texto, cfg, busca, digitos] : casos) {
        const auto r = classificaTextoDeConta(texto, cfg);
        EXPECT_EQ(r.busca, busca) << texto << " '" << cfg << "'";
        EXPECT_EQ(r.digitosReduzidos, digitos) << texto;
    }
}
