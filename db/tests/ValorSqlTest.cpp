#include "db/Sql.h"
#include "db/Valor.h"

#include <gtest/gtest.h>

#include <cmath>

using db::Valor;

TEST(Valor, NuloLeComoZeroOuVazio) {
    Valor v;
    EXPECT_EQ(v.comoInteiro(), 0);
    EXPECT_EQ(v.comoDouble(), 0.0);
    EXPECT_EQ(v.comoTexto(), "");
    EXPECT_EQ(v.comoDinheiro().dezMilesimos(), 0);
    EXPECT_EQ(v.comoDataHora(), 0.0);
    EXPECT_TRUE(v.comoBytes().empty());
}

TEST(Valor, DinheiroArredondaAQuatroCasas) {
    struct Caso {
        Valor guardado;
        std::int64_t dezMilesimos;
    } casos[] = {
        {Valor(0.1 + 0.2), 3000}, {Valor(12.34565), 123457}, {Valor(-12.34565), -123457},
        {Valor(150.25), 1502500}, {Valor(7), 70000},         {Valor(1e300), 0},
    };
    for (auto& c : casos)
        EXPECT_EQ(c.guardado.comoDinheiro().dezMilesimos(), c.dezMilesimos)
            << c.guardado.comoTexto();
}

TEST(Valor, DinheiroGuardadoExatamente) {
    // Counts a double cannot hold exactly keep every digit while in memory; the other
    // readings are those of the REAL reais the amount is stored as.
    struct Caso {
        std::int64_t dezMilesimos;
        std::int64_t inteiro;
        const char* texto;
    } casos[] = {
        {123456789012345678, 12345678901234, "12345678901234.568"},
        {-9007199254740993, -900719925474, "-900719925474.0992"},
        {-15000, -1, "-1.5"},
        {0, 0, "0"},
    };
    for (const auto& c : casos) {
        const Valor v(base::Dinheiro::deDezMilesimos(c.dezMilesimos));
        EXPECT_EQ(v.comoDinheiro().dezMilesimos(), c.dezMilesimos);
        ASSERT_TRUE(std::holds_alternative<base::Dinheiro>(v.dado()));
        EXPECT_EQ(v.comoInteiro(), c.inteiro) << c.dezMilesimos;
        EXPECT_EQ(v.comoTexto(), c.texto) << c.dezMilesimos;
        EXPECT_EQ(v.comoDouble(), static_cast<double>(c.dezMilesimos) / 10000) << c.dezMilesimos;
    }
}

TEST(Valor, DataHoraIdaEVolta) {
    struct Caso {
        double dias;
        const char* texto;
    } casos[] = {
        {0.0, "1899-12-30"},
        {38000.0, "2004-01-14"},
        {38000.5, "2004-01-14 12:00:00"},
        {38000.0 + (13 * 3600 + 14 * 60 + 15) / 86400.0, "2004-01-14 13:14:15"},
        {38000.99999999, "2004-01-15"}, // rounds to the next midnight
        {45351.0, "2024-02-29"},
        {-1.25, "1899-12-29 06:00:00"},
    };
    for (auto& c : casos) {
        EXPECT_EQ(db::textoDeDataHora(c.dias), c.texto);
        auto volta = db::dataHoraDeTexto(c.texto);
        ASSERT_TRUE(volta) << c.texto;
        EXPECT_NEAR(*volta, c.dias, 1.0 / 86400) << c.texto;
        EXPECT_EQ(Valor::dataHora(c.dias).comoTexto(), c.texto);
    }
    for (const char* ruim : {"", "2004-13-01", "2004-02-30", "14/01/2004", "2004-01-14 25:00"})
        EXPECT_FALSE(db::dataHoraDeTexto(ruim)) << ruim;
    EXPECT_EQ(Valor(base::Data{2003, 12, 15}).comoTexto(), "2003-12-15");
    EXPECT_EQ(Valor("2003-12-15").comoData(), (base::Data{2003, 12, 15}));
}

TEST(Sql, ReescreveExtract) {
    struct Caso {
        const char* entrada;
        const char* saida;
    } casos[] = {
        {"SELECT EXTRACT(YEAR FROM FIM_PER) ANO",
         "SELECT CAST(strftime('%Y', FIM_PER) AS INTEGER) ANO"},
        {"extract ( month from dat_lan )", "CAST(strftime('%m', dat_lan ) AS INTEGER)"},
        {"EXTRACT(DAY FROM max(a, b))", "CAST(strftime('%d', max(a, b)) AS INTEGER)"},
        {"SELECT 'EXTRACT(YEAR FROM x)'", "SELECT 'EXTRACT(YEAR FROM x)'"},
        {"SELECT extracted FROM t", "SELECT extracted FROM t"},
    };
    for (auto& c : casos)
        EXPECT_EQ(db::sql::reescreve(c.entrada), c.saida);
}

TEST(Sql, ReconheceConsultaDeUmaTabela) {
    struct Caso {
        const char* texto;
        bool simples;
        const char* tabela;
        const char* condicao;
    } casos[] = {
        {"Select cod_cli, nom_cli\nFrom TbCli\n", true, "TbCli", ""},
        {"Select *\nFrom \"TbEmp.db\"", true, "TbEmp", ""},
        {"SELECT a FROM T WHERE (x <= :D) AND\n (y >= :D) ;", true, "T",
         "(x <= :D) AND\n (y >= :D)"},
        {"SELECT a FROM T WHERE a IN (SELECT max(b) FROM U)", true, "T",
         "a IN (SELECT max(b) FROM U)"},
        {"SELECT count(*) FROM T", false, "", ""},
        {"SELECT a FROM T ORDER BY a", false, "", ""},
        {"SELECT a FROM T, U", false, "", ""},
        {"SELECT a FROM T x", false, "", ""},
        {"SELECT a FROM T JOIN U ON 1", false, "", ""},
        {"SELECT DISTINCT a FROM T", false, "", ""},
        {"SELECT a FROM T GROUP BY a", false, "", ""},
    };
    for (auto& c : casos) {
        auto f = db::sql::formaSimples(c.texto);
        ASSERT_EQ(f.has_value(), c.simples) << c.texto;
        if (!f) continue;
        EXPECT_EQ(f->tabela, c.tabela);
        EXPECT_EQ(f->condicao, c.condicao);
    }
}
