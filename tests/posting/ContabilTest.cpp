// Ledger routines: the lot of a posting date, one entry under the reservation of
// ["TbLct"], the general and lot totals, and their failures.

#include "notera/posting/Contabil.h"
#include "Cenario.h"

#include <cstdio>
#include <filesystem>

namespace {

// A number with four decimals, as the engines write a money column here.
std::string fixo4(double v) {
    char t[64];
    std::snprintf(t, sizeof t, "%.4f", v);
    return t;
}

using base::Dinheiro;
using cenario::Caixa;
using cenario::dia;
using cenario::Reservas;
using notera::LancamentoContabil;

const std::string FalhaPeriodos =
    std::string("Não foi possível realizar consulta aos períodos de Lotes!");
const std::string FalhaTotais = std::string("Não foi possível atualizar os totais!");
const Caixa CaixaPeriodos{platform::Icone::Nenhum, FalhaPeriodos};
const std::vector<std::string> SoTbLct{std::string("TbLct")};
const char* QuebraPeriodos = "ALTER TABLE TBPERLOT RENAME COLUMN LOT_PER TO LOTE";

Dinheiro dm(std::int64_t dezMilesimos) {
    return Dinheiro::deDezMilesimos(dezMilesimos);
}

class Razao : public cenario::Cenario {
protected:
    Razao() {
        periodosPadrao(1);
        abreOrigem(true);
    }
    db::Tabela& lct() { return ex_->TabOrigem.TbLctOri; }
    db::Tabela& tot() { return ex_->TabOrigem.TbTotOri; }

    static LancamentoContabil lancamento(double data, char32_t lado, Dinheiro valor) {
        LancamentoContabil l;
        l.Documento = 77;
        l.Origem = std::string("FPA");
        if (lado == 'C') {
            l.ContaCredito = std::string("2.1.01");
            l.ContaCreditoG = std::string("G.2");
        } else {
            l.ContaDebito = std::string("1.1.01");
            l.ContaDebitoG = std::string("G.1");
        }
        l.CentroCusto = std::string("ADM");
        l.Historico = std::string("125 REF. PAGAMENTOS: NF 10 - TRANSF");
        l.Data = data;
        l.HistoricoPadrao = 11;
        l.Categoria = 5;
        l.Valor = valor;
        return l;
    }

    // As a writer does for one record: the entry, then the totals of its side.
    bool lanca(double data, char32_t lado, Dinheiro valor) {
        notera::GravaLancamentoContabil(*ex_, lancamento(data, lado, valor), lct());
        return notera::AtualizaTotaisContabeis(*ex_, lado, valor, data, tot(), lct());
    }

    // Key, sums, and whether each sum is exactly the decimal it prints as.
    std::vector<std::string> totais() const {
        return linhas(
            1, "SELECT ifnull(cod_tot, 'NULL'), printf('%.4f', deb_tot), printf('%.4f', cre_tot), "
               "deb_tot = round(deb_tot, 4) AND cre_tot = round(cre_tot, 4) FROM TbTot ORDER BY "
               "cod_tot");
    }
    std::vector<std::string> entradas() const {
        return linhas(1, "SELECT num_lct, dat_lct, lot_lct, cfd_lct, cfc_lct, cgd_lct, cgc_lct, "
                         "ccd_lct, ccc_lct, "
                         "chd_lct, hvd_lct, hvc_lct, printf('%.4f', val_lct), red_lct, orl_lct, "
                         "cor_lct, ass_opr, "
                         "ifnull(alt_lct, 'NULL') FROM TbLct ORDER BY num_lct");
    }
    std::string errosql() const { return diretorio(1) + "Errosql.txt"; }
};

TEST_F(Razao, LoteDoPeriodo) {
    struct Caso {
        const char* nome;
        double data;
        bool encontrado;
        const char* lote;
    } casos[] = {
        {"first day, year before the period's end", dia(2003, 12, 1), true, "007/2004"},
        {"inside, year before the period's end", dia(2003, 12, 15), true, "007/2004"},
        {"last day with a time of day", dia(2004, 1, 31) + 0.75, true, "007/2004"},
        {"two-digit lot", dia(2004, 2, 10), true, "012/2004"},
        {"four-digit lot", dia(2024, 3, 5), true, "1234/2024"},
        {"between periods", dia(2004, 3, 1), false, ""},
        {"before every period", dia(2003, 11, 30) + 0.99, false, ""},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        const auto r = notera::LoteDoPeriodo(*ex_, c.data, (diretorio(1)));
        EXPECT_EQ(r.encontrado, c.encontrado);
        EXPECT_EQ(r.lote, std::string(c.lote));
    }
    EXPECT_TRUE(caixas().empty());
    EXPECT_FALSE(apoio::existe(errosql()));
}

TEST_F(Razao, ConsultaDePeriodosQuebradaVaiParaErrosql) {
    sql(1, QuebraPeriodos);
    const auto r = notera::LoteDoPeriodo(*ex_, dia(2003, 12, 15), (diretorio(1)));
    EXPECT_FALSE(r.encontrado);
    EXPECT_TRUE(r.lote.empty());
    // Beside the company directory, named after it: .../Tabelas/001Errosql.txt
    EXPECT_EQ(errosql(), dir_ / "Tabelas/001Errosql.txt");
    EXPECT_EQ(apoio::leArquivo(errosql()),
              "SELECT FIM_PER, LOT_PER, EXTRACT(YEAR FROM FIM_PER) ANO\r\n"
              "FROM TBPERLOT\r\n"
              "WHERE (INI_PER <= :DATA_LAN) AND\r\n"
              "      (FIM_PER >= :DATA_LAN) \r\n");
    EXPECT_EQ(caixas(), std::vector<Caixa>{CaixaPeriodos});
}

TEST_F(Razao, ErrosqlQueNaoPodeSerGravadoAindaEAvisado) {
    const std::string ausente = dir_ / "nada/001";
    const auto r = notera::LoteDoPeriodo(*ex_, dia(2003, 12, 15), (ausente));
    EXPECT_FALSE(r.encontrado);
    ASSERT_EQ(caixas().size(), 2u);
    EXPECT_EQ(caixas()[0], CaixaPeriodos);
    EXPECT_EQ(caixas()[1].icone, platform::Icone::Erro);
    EXPECT_TRUE(caixas()[1].texto.starts_with((ausente + "Errosql.txt"))) << caixas()[1].texto;
}

struct CasoRazao {
    const char* nome;
    const char* preparo; // SQL on the company before the entry
    double data;
    char lado;
    std::int64_t valor; // ten-thousandths
    int numero;         // num_lct expected
    const char* lote;   // lot_lct expected
    std::vector<std::string> totais;
    int falhasPeriodos;
};

void PrintTo(const CasoRazao& c, std::ostream* os) {
    *os << c.nome;
}

class RazaoCasos : public Razao, public ::testing::WithParamInterface<CasoRazao> {};

TEST_P(RazaoCasos, LancamentoETotais) {
    const CasoRazao& c = GetParam();
    if (*c.preparo) sql(1, c.preparo);
    EXPECT_TRUE(lanca(c.data, c.lado, dm(c.valor)));

    const bool credito = c.lado == 'C';
    const std::string esperado = std::to_string(c.numero) + "|" + db::textoDeDataHora(c.data) +
                                 "|" + c.lote + "|" + (credito ? "|2.1.01||G.2" : "1.1.01||G.1|") +
                                 "|ADM||11|125 REF. PAGAMENTOS: NF 10 - TRANSF||" +
                                 fixo4(c.valor / 10000.0) + "|5|FPA|77|0|NULL";
    const auto e = entradas();
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.back(), esperado);
    EXPECT_EQ(totais(), c.totais);

    EXPECT_EQ(caixas(),
              std::vector<Caixa>(static_cast<std::size_t>(c.falhasPeriodos), CaixaPeriodos));
    EXPECT_EQ(apoio::existe(errosql()), c.falhasPeriodos > 0);
    EXPECT_EQ(Reservas::pedidas, std::vector<std::vector<std::string>>{SoTbLct});
    EXPECT_EQ(Reservas::liberadas, std::vector<std::vector<std::string>>{SoTbLct});
    EXPECT_FALSE(ex_->TabPadroes.TbCtl.aberto());
}

const std::string GeralCem = "INSERT INTO TbTot (cod_tot, deb_tot, cre_tot) VALUES ('', 100, 50);";

INSTANTIATE_TEST_SUITE_P(
    Casos, RazaoCasos,
    ::testing::Values(CasoRazao{"ListedLotEmptyTables",
                                "",
                                dia(2003, 12, 15),
                                'D',
                                1502500,
                                1,
                                "007/2004",
                                {"|150.2500|0.0000|1", "007/2004|150.2500|0.0000|1"},
                                0},
                      CasoRazao{"ExistingRowsCreditOnLastDayWithTime",
                                "INSERT INTO TbTot VALUES ('', 100, 50), ('007/2004', 10, 20);"
                                "INSERT INTO TbLct (num_lct) VALUES (41);",
                                dia(2004, 1, 31) + 0.75,
                                'C',
                                5000,
                                42,
                                "007/2004",
                                {"|100.0000|50.5000|1", "007/2004|10.0000|20.5000|1"},
                                0},
                      CasoRazao{"OutsideEveryPeriodDebitOn100And50",
                                "INSERT INTO TbTot VALUES ('', 100, 50)",
                                dia(2004, 3, 1),
                                'D',
                                1502500,
                                1,
                                "",
                                {"|250.2500|50.0000|1"},
                                0},
                      CasoRazao{"LotNotListed",
                                "",
                                dia(2004, 2, 10),
                                'D',
                                10000,
                                1,
                                "012/2004",
                                {"|1.0000|0.0000|1"},
                                0},
                      CasoRazao{"FourDigitLotListed",
                                "",
                                dia(2024, 3, 5),
                                'C',
                                10000,
                                1,
                                "1234/2024",
                                {"|0.0000|1.0000|1", "1234/2024|0.0000|1.0000|1"},
                                0},
                      CasoRazao{"FixedPointSum",
                                "INSERT INTO TbTot VALUES ('', 0, 0.1)",
                                dia(2004, 3, 1),
                                'C',
                                2000,
                                1,
                                "",
                                {"|0.0000|0.3000|1"},
                                0},
                      CasoRazao{"UnknownSideChangesNoSum",
                                "INSERT INTO TbTot VALUES ('', 100, 50)",
                                dia(2003, 12, 15),
                                'X',
                                10000,
                                1,
                                "007/2004",
                                {"|100.0000|50.0000|1", "007/2004|0.0000|0.0000|1"},
                                0},
                      CasoRazao{"GeneralTotalWithNullKey",
                                "INSERT INTO TbTot VALUES (NULL, 5, 5)",
                                dia(2004, 3, 1),
                                'D',
                                10000,
                                1,
                                "",
                                {"NULL|6.0000|5.0000|1"},
                                0},
                      CasoRazao{"BrokenPeriodsTable",
                                QuebraPeriodos,
                                dia(2003, 12, 15),
                                'D',
                                10000,
                                1,
                                "",
                                {"|1.0000|0.0000|1"},
                                2}),
    [](const auto& info) { return std::string(info.param.nome); });

struct CasoFalhaTotais {
    const char* nome;
    const char* preparo;
    bool lanca;       // the routine raises the store's error
    const char* erro; // part of that error's text, or the engine's text in the box
    int mensagens;    // "Não foi possível atualizar os totais!" boxes
    std::vector<std::string> totais;
};

void PrintTo(const CasoFalhaTotais& c, std::ostream* os) {
    *os << c.nome;
}

class FalhaTotaisCasos : public Razao, public ::testing::WithParamInterface<CasoFalhaTotais> {};

TEST_P(FalhaTotaisCasos, Totais) {
    const auto& c = GetParam();
    sql(1, c.preparo);
    const double data = dia(2003, 12, 15);
    if (c.lanca) {
        try {
            notera::AtualizaTotaisContabeis(*ex_, 'D', dm(10000), data, tot(), lct());
            ADD_FAILURE() << "no error";
        } catch (const db::Erro& e) {
            EXPECT_NE(std::string(e.what()).find(c.erro), std::string::npos) << e.what();
        }
    } else {
        EXPECT_FALSE(notera::AtualizaTotaisContabeis(*ex_, 'D', dm(10000), data, tot(), lct()));
    }
    ASSERT_EQ(caixas().size(), static_cast<std::size_t>(c.mensagens));
    for (const auto& caixa : caixas()) {
        EXPECT_EQ(caixa.icone, platform::Icone::Nenhum);
        EXPECT_TRUE(caixa.texto.starts_with(FalhaTotais + "\r\n") &&
                    caixa.texto.ends_with(std::string(c.erro)))
            << caixa.texto;
    }
    EXPECT_EQ(totais(), c.totais);
    EXPECT_FALSE(ex_->TabPadroes.TbCtl.aberto());
    EXPECT_EQ(tot().estado(), db::Estado::Navegando);
}

INSTANTIATE_TEST_SUITE_P(
    Casos, FalhaTotaisCasos,
    ::testing::Values(
        CasoFalhaTotais{"GeneralRowRefused",
                        "CREATE TRIGGER t BEFORE INSERT ON TbTot WHEN NEW.cod_tot = '' "
                        "BEGIN SELECT RAISE(ABORT, 'geral recusado'); END",
                        false,
                        "geral recusado",
                        1,
                        {}},
        CasoFalhaTotais{"LotRowRefusedAfterGeneralTotal",
                        "CREATE TRIGGER t BEFORE INSERT ON TbTot WHEN NEW.cod_tot <> '' "
                        "BEGIN SELECT RAISE(ABORT, 'lote recusado'); END",
                        false,
                        "lote recusado",
                        1,
                        {"|1.0000|0.0000|1"}},
        CasoFalhaTotais{"LotPostRefusedGoesOn",
                        "INSERT INTO TbTot VALUES ('007/2004', 0, 0);"
                        "CREATE TRIGGER t BEFORE UPDATE ON TbTot WHEN NEW.cod_tot <> '' "
                        "BEGIN SELECT RAISE(ABORT, 'lote travado'); END",
                        true,
                        "lote travado",
                        0,
                        {"|1.0000|0.0000|1", "007/2004|0.0000|0.0000|1"}},
        CasoFalhaTotais{"NoLotControlTable", "DROP TABLE TbCtl", true, "TbCtl", 0, {}}),
    [](const auto& info) { return std::string(info.param.nome); });

TEST_F(Razao, SemContaFiscalNaoHaLancamentoNemReserva) {
    auto l = lancamento(dia(2003, 12, 15), 'D', dm(10000));
    l.ContaDebito = std::string("   ");
    notera::GravaLancamentoContabil(*ex_, l, lct());
    EXPECT_TRUE(entradas().empty());
    EXPECT_TRUE(Reservas::pedidas.empty());
}

TEST_F(Razao, ReservaRecusadaNaoGravaNemAvisa) {
    Reservas::concede = false;
    EXPECT_TRUE(lanca(dia(2003, 12, 15), 'D', dm(10000)));
    EXPECT_TRUE(entradas().empty());
    EXPECT_TRUE(caixas().empty());
    EXPECT_EQ(Reservas::pedidas, std::vector<std::vector<std::string>>{SoTbLct});
    EXPECT_TRUE(Reservas::liberadas.empty());
    // The totals change as usual.
    EXPECT_EQ(totais(), (std::vector<std::string>{"|1.0000|0.0000|1", "007/2004|1.0000|0.0000|1"}));
}

TEST_F(Razao, GravacaoRecusadaLiberaReservaENaoDeixaRegistroPendente) {
    sql(1, "CREATE TRIGGER t BEFORE INSERT ON TbLct BEGIN SELECT RAISE(ABORT, 'lancamento "
           "recusado'); END");
    const auto l = lancamento(dia(2003, 12, 15), 'D', dm(10000));
    EXPECT_THROW(notera::GravaLancamentoContabil(*ex_, l, lct()), db::Erro);
    EXPECT_EQ(Reservas::liberadas, std::vector<std::vector<std::string>>{SoTbLct});
    EXPECT_EQ(lct().estado(), db::Estado::Navegando);

    // Nothing of the refused entry is posted by the next one.
    sql(1, "DROP TRIGGER t");
    notera::GravaLancamentoContabil(*ex_, l, lct());
    EXPECT_EQ(entradas().size(), 1u);
    EXPECT_EQ(Reservas::liberadas.size(), 2u);
}

TEST_F(Razao, TabelaFechadaLevaErroELiberaReserva) {
    lct().fecha();
    EXPECT_THROW(
        notera::GravaLancamentoContabil(*ex_, lancamento(dia(2003, 12, 15), 'D', dm(1)), lct()),
        db::Erro);
    EXPECT_EQ(Reservas::pedidas, std::vector<std::vector<std::string>>{SoTbLct});
    EXPECT_EQ(Reservas::liberadas, std::vector<std::vector<std::string>>{SoTbLct});
}

} // namespace
