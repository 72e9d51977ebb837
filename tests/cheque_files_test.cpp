#include "cheque/PrintFiles.h"

#include <gtest/gtest.h>

using namespace cheque;

namespace {

std::string b(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

DadosCheque exemplo() {
    DadosCheque d;
    d.valor = 1234.5;
    d.banco = 1;
    d.nomeBanco = "Banco do Brasil";
    d.numero = 123;
    d.data = 37685.6; // 5 March 2003, afternoon
    d.portador = "Jos\xE9 da Silva";
    d.cidade = "Recife";
    d.empresa = "Empresa Um";
    return d;
}

} // namespace

TEST(Alinha, Modos) {
    struct Caso {
        const char* texto;
        int largura;
        char modo;
        const char* esperado;
    };
    const Caso casos[] = {
        {"ab", 5, 'R', "   ab"},  {"ab", 5, 'L', "ab   "},   {"ab", 5, 'C', "  ab "},
        {"ab", 6, 'C', "  ab  "}, {"abcdef", 3, 'R', "abc"}, {"abc", 3, 'L', "abc"},
        {"abc", 0, 'L', ""},      {"abc", -2, 'R', ""},      {"", 2, 'R', "  "},
    };
    for (const auto& c : casos)
        EXPECT_EQ(Alinha(c.texto, c.largura, c.modo), c.esperado);
    EXPECT_EQ(Espacos(0), "");
    EXPECT_EQ(Espacos(3), "   ");
}

TEST(Verso, CorteEmLinhas) {
    using V = std::vector<std::string>;
    EXPECT_EQ(linhasDoVerso("AAA\r\nBBB"), (V{"AAA", "BBB"}));
    EXPECT_EQ(linhasDoVerso("AAA\nBBB\n"), (V{"AAA", "BBB"}));
    EXPECT_EQ(linhasDoVerso("A\n\nB"), (V{"A", "", "B"}));
    EXPECT_EQ(linhasDoVerso("A\rB"), (V{"AB"}));
    EXPECT_EQ(linhasDoVerso(std::string("A\0B", 3)), (V{"A"}));
    EXPECT_EQ(linhasDoVerso(""), V{});
    EXPECT_EQ(linhasDoVerso(std::string(1100, 'x')), (V{std::string(1024, 'x')}));
}

TEST(ArquivoFrente, BytesExatos) {
    const std::string esperado = "\r\n"
                                 "\x1B@\r\n"
                                 "\x1B\xA3        1234,50\r\n"
                                 "\x1B\xA2  1\r\n"
                                 "\x1B\xA4"
                                 "05/03/03\r\n"
                                 "\x1B\xA6Jos\xE9 da Silva                           \r\n"
                                 "\x1B\xA7Recife                        \r\n"
                                 "\x1B\xB1\r\n"
                                 "\x1B\xB0\r\n";
    EXPECT_EQ(arquivoFrente(exemplo()), esperado);
}

TEST(ArquivoFrente, CamposLongosSaoCortados) {
    DadosCheque d = exemplo();
    d.portador = std::string(45, 'P');
    d.cidade = std::string(35, 'C');
    d.banco = 12345;
    d.valor = -123456789012345.0;
    const std::string f = arquivoFrente(d);
    EXPECT_NE(f.find("\x1B\xA6" + std::string(40, 'P') + "\r\n"), std::string::npos);
    EXPECT_NE(f.find("\x1B\xA7" + std::string(30, 'C') + "\r\n"), std::string::npos);
    EXPECT_NE(f.find("\x1B\xA2"
                     "123\r\n"),
              std::string::npos);
    EXPECT_NE(f.find("\x1B\xA3-12345678901234\r\n"), std::string::npos);
}

TEST(ArquivoVerso, QuebrasCRLFeLFDaoOMesmoArquivo) {
    const std::string esperado =
        "\x1B@\r\n" + b(10) + "AAA\r\n" + b(10) + "\r\n" + b(10) + "BBB\r\n";
    EXPECT_EQ(arquivoVerso("AAA\r\n\r\nBBB\r\n"), esperado);
    EXPECT_EQ(arquivoVerso("AAA\n\nBBB"), esperado);
}

TEST(ArquivoCopia, BytesExatos) {
    DadosCheque d = exemplo();
    d.verso = "AAA\r\nBBB";
    const std::string esperado = "\x1B@\r\n"
                                 "   COPIA DE CHEQUE\r\n"
                                 "   Empresa: Empresa Um" +
                                 b(50) +
                                 "\r\n"
                                 " \r\n"
                                 "   Banco :   1  Banco do Brasil" +
                                 b(15) + "Cheque No: 123\r\n" + b(46) +
                                 "Valor    :         1234,50\r\n"
                                 " \r\n"
                                 " \r\n" +
                                 b(9) +
                                 "UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA CENTAVOS\r\n"
                                 "   Portador: Jos\xE9 da Silva" +
                                 b(27) +
                                 "\r\n"
                                 " \r\n" +
                                 b(20) +
                                 "Local e Data: Recife,  5 de Mar\xE7o de 2003\r\n"
                                 " \r\n" +
                                 b(10) + "AAA\r\n" + b(10) + "BBB\r\n";
    EXPECT_EQ(arquivoCopia(d, "UM MIL, DUZENTOS E TRINTA E QUATRO REAIS E CINQUENTA CENTAVOS"),
              esperado);
}

TEST(ArquivoCopia, NomeDoBancoCidadeEVersoVazio) {
    DadosCheque d = exemplo();
    d.nomeBanco = "  Itau  "; // blanks around the name do not count in the fill
    d.cidade = "  Sao Paulo ";
    d.data = 46022; // 31/12/2025
    std::string c = arquivoCopia(d, "X");
    EXPECT_NE(c.find("Banco :   1    Itau  " + b(26) + "Cheque No: 123\r\n"), std::string::npos);
    EXPECT_NE(c.find("Local e Data: Sao Paulo, 31 de Dezembro de 2025\r\n"), std::string::npos);
    EXPECT_EQ(c.substr(c.size() - 3), " \r\n"); // ends with line 13

    d.nomeBanco = std::string(30, 'N');
    c = arquivoCopia(d, "X");
    EXPECT_NE(c.find(std::string(30, 'N') + "Cheque No: 123"), std::string::npos);
    // Longer names are cut to their column instead of pushing the line off the sheet.
    d.nomeBanco = std::string(31, 'N');
    EXPECT_NE(arquivoCopia(d, "X").find("  " + std::string(30, 'N') + "Cheque No: "),
              std::string::npos);
}

TEST(ArquivoCopia, TextosLongosCabemNoSeuEspaco) {
    DadosCheque d = exemplo();
    d.nomeBanco = std::string(5000, 'B');
    d.cidade = "  " + std::string(1000, 'C') + "  ";
    d.portador = std::string(1024, 'P');
    d.empresa = std::string(255, 'E');
    const std::string c = arquivoCopia(d, "X");
    EXPECT_NE(c.find("   Banco :   1  " + std::string(30, 'B') + "Cheque No: 123\r\n"),
              std::string::npos);
    EXPECT_NE(c.find(b(20) + "Local e Data: " + std::string(30, 'C') + ", "), std::string::npos);
    EXPECT_NE(c.find("   Portador: " + std::string(40, 'P') + "\r\n"), std::string::npos);
    EXPECT_NE(c.find("   Empresa: " + std::string(60, 'E') + "\r\n"), std::string::npos);
    // No line of the copy is longer than its widest field allows.
    std::size_t maior = 0, inicio = 0;
    for (std::size_t fim; (fim = c.find("\r\n", inicio)) != std::string::npos; inicio = fim + 2)
        maior = std::max(maior, fim - inicio);
    EXPECT_LE(maior, 100u);
}

// Control characters in the caller's texts: no extra line, no printer command of their own.
TEST(TextosDeControle, ViramBrancos) {
    DadosCheque d = exemplo();
    d.portador = "A\r\n\x1B\xA3   999,99\x7F"; // would set the value field
    d.cidade = "\tRio\x1B@\r\n";
    d.nomeBanco = "Banco\r\nPRINT /D:LPT1 /etc/passwd\x1B";
    d.empresa = "Emp\tresa\r\n;rm";
    d.verso = "Pague\x1B@ a\r\n\aFulano";
    const std::string pagador = "A   \xA3   999,99 ";
    EXPECT_NE(arquivoFrente(d).find("\x1B\xA6" + pagador + b(25) + "\r\n"), std::string::npos)
        << arquivoFrente(d);
    EXPECT_NE(arquivoFrente(d).find("\x1B\xA7 Rio @  " + b(22) + "\r\n"), std::string::npos);
    const std::string c = arquivoCopia(d, "X");
    EXPECT_NE(c.find("   Empresa: Emp resa  ;rm" + b(47) + "\r\n"), std::string::npos) << c;
    EXPECT_NE(c.find("  Banco  PRINT /D:LPT1 /etc/passCheque No: 123\r\n"), std::string::npos)
        << c; // cut to its column of 30
    EXPECT_NE(c.find("   Portador: " + pagador + b(25) + "\r\n"), std::string::npos);
    EXPECT_NE(c.find("Local e Data: Rio @, "), std::string::npos);
    EXPECT_EQ(arquivoVerso(d.verso), "\x1B@\r\n" + b(10) + "Pague @ a\r\n" + b(10) + " Fulano\r\n");
    // The only escapes left are the files' own commands, each at the start of a line.
    for (const std::string& f : {arquivoFrente(d), c, arquivoVerso(d.verso)})
        for (std::size_t i = f.find('\x1B'); i != std::string::npos; i = f.find('\x1B', i + 1))
            EXPECT_TRUE(i == 0 || f.compare(i - 2, 2, "\r\n") == 0) << i;
}

TEST(ArquivoLote, TresLinhas) {
    EXPECT_EQ(arquivoLote("/tmp/101010.TXT", "LPT1"),
              "MODE COM1:9600,N,8,1\r\nPRINT /D:LPT1 /tmp/101010.TXT\r\nEXIT\r\n");
}
