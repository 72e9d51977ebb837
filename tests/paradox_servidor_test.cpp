// notera-dados importar / exportar with a tree on the test server (banco.conf): every kind
// read back with SQL, the refusal, and a round trip import, export, import.

#include "paradox/FixturaParadox.h"

#include "Arvore.h"
#include "Host.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using fixtura::carimbo;
using fixtura::dia;
using fixtura::hora;

namespace {

// Rows as text, fields joined by "|", NULL as empty, as the SQLite tests read them.
std::string um(const std::string& uri, const std::string& consulta) {
    PGconn* c = PQconnectdb(uri.c_str());
    std::unique_ptr<PGconn, void (*)(PGconn*)> fecha(c, PQfinish);
    if (PQstatus(c) != CONNECTION_OK) return std::string("ERRO ") + PQerrorMessage(c);
    PGresult* r = PQexec(c, consulta.c_str());
    std::unique_ptr<PGresult, void (*)(PGresult*)> limpa(r, PQclear);
    if (PQresultStatus(r) != PGRES_TUPLES_OK) return std::string("ERRO ") + PQerrorMessage(c);
    std::string s;
    for (int i = 0; i < PQntuples(r); ++i) {
        if (i) s += "\n";
        for (int j = 0; j < PQnfields(r); ++j)
            s += (j ? "|" : "") + std::string(PQgetvalue(r, i, j));
    }
    return s;
}

apoio::Resultado notera(std::vector<std::string> args) {
    args.insert(args.begin(), apoio::binario("notera-dados"));
    return apoio::executa(args);
}

void escreveArvore(const std::string& origem) {
    fs::create_directories(origem + "/Tabelas/001");
    fixtura::escreve(origem + "/Tabelas/TBEMP",
                     {{"cod_emp", pxfLong, 4},
                      {"nom_emp", pxfAlpha, 40},
                      {"imag_emp", pxfGraphic, 20},
                      {"ins_emp", pxfAlpha, 14}},
                     {{1L, "ALFA \xc1GUA", fixtura::grafico(std::string("\x00\x01\xff", 3)), "123"},
                      {2L, "BETA", {}, {}}});
    fixtura::escreve(origem + "/Tabelas/001/TbTudo",
                     {{"alfa", pxfAlpha, 20},
                      {"data", pxfDate, 4},
                      {"curto", pxfShort, 2},
                      {"longo", pxfLong, 4},
                      {"moeda", pxfCurrency, 8},
                      {"numero", pxfNumber, 8},
                      {"logico", pxfLogical, 1},
                      {"hora", pxfTime, 4},
                      {"carimbo", pxfTimestamp, 8},
                      {"memo", pxfMemoBLOb, 15}},
                     {{"A\xe7\xe3o \x80", dia(1850, 3, 1), -7L, 2147483647L, 1234.5678, -0.1, 1L,
                       hora(13, 45, 30), carimbo(2099, 12, 31, 23, 59, 59), std::string(300, 'm')},
                      fixtura::Linha(10, fixtura::Valor{})});
    fixtura::escreve(origem + "/Tabelas/001/TbHis",
                     {{"cod_his", pxfLong, 4}, {"nom_his", pxfAlpha, 40}},
                     {{3L, "TRANSFER\xcaNCIA"}});
}

class ImportacaoNoServidor : public ::testing::Test {
protected:
    apoio::DirTemp dir;
    std::string origem = dir / "paradox", destino = dir / "dados";
    std::unique_ptr<BancoDeTestes> banco;
    void SetUp() override {
        // Fails (never skips) when the test server is not up.
        ASSERT_NO_THROW(banco = std::make_unique<BancoDeTestes>());
        escreveArvore(origem);
        fs::create_directories(destino);
        std::ofstream(destino + "/banco.conf") << banco->uri() << "\n";
    }
};

TEST_F(ImportacaoNoServidor, CampoPorCampoNosTiposDoServidor) {
    auto r = notera({"importar", origem, destino});
    ASSERT_EQ(r.saida, 0) << r.err;
    EXPECT_NE(r.out.find("Tabelas/001/TbTudo: 2 registros (página de código 1252)\n"),
              std::string::npos)
        << r.out;
    const std::string& u = banco->uri();
    EXPECT_EQ(um(u, "SELECT cod_emp, nom_emp, encode(imag_emp, 'hex'), ins_emp FROM "
                    "tabelas.tbemp ORDER BY cod_emp"),
              "1|ALFA ÁGUA|0001ff|123\n2|BETA||");
    EXPECT_EQ(um(u, "SELECT alfa, data, curto, longo, moeda, numero, logico, hora, carimbo, "
                    "length(memo) FROM tabelas_001.tbtudo ORDER BY notera_linha"),
              "Ação €|1850-03-01|-7|2147483647|1234.5678|-0.1|1|1899-12-30 13:45:30|"
              "2099-12-31 23:59:59|300\n|||||||||");
    EXPECT_EQ(um(u, "SELECT string_agg(column_name || ':' || data_type, ' ' ORDER BY "
                    "ordinal_position) FROM information_schema.columns WHERE table_schema = "
                    "'tabelas_001' AND table_name = 'tbtudo'"),
              "alfa:text data:date curto:integer longo:integer moeda:numeric "
              "numero:double precision logico:integer hora:timestamp without time zone "
              "carimbo:timestamp without time zone memo:text notera_linha:bigint");
    EXPECT_EQ(um(u, "SELECT numeric_precision, numeric_scale FROM information_schema.columns "
                    "WHERE table_schema = 'tabelas_001' AND column_name = 'moeda'"),
              "19|4");
    EXPECT_EQ(um(u, "SELECT cod_his, nom_his FROM tabelas_001.tbhis"), "3|TRANSFERÊNCIA");
    // The known tables the tree did not hold exist, empty.
    EXPECT_EQ(um(u, "SELECT count(*) FROM tabelas_001.tblanpag"), "0");

    // A second import is refused, naming the table, and writes nothing. The server keeps a
    // table the system does not know by its name in lower case.
    r = notera({"importar", origem, destino});
    EXPECT_EQ(r.saida, 1);
    EXPECT_NE(r.err.find("a tabela Tabelas/001/tbtudo do destino já tem registros"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(um(u, "SELECT count(*) FROM tabelas_001.tbtudo"), "2");
    r = notera({"importar", origem, destino, "--substituir"});
    EXPECT_EQ(r.saida, 0) << r.err;
    EXPECT_EQ(um(u, "SELECT count(*) FROM tabelas_001.tbtudo"), "2");
    EXPECT_EQ(um(u, "SELECT count(*) FROM tabelas.tbemp"), "2");
}

TEST_F(ImportacaoNoServidor, IdaEVoltaDaOsMesmosRegistros) {
    ASSERT_EQ(notera({"importar", origem, destino}).saida, 0);
    const std::string px = dir / "exportado";
    auto r = notera({"exportar", destino, px});
    ASSERT_EQ(r.saida, 0) << r.err;
    EXPECT_TRUE(apoio::existe(px + "/Tabelas/TbEmp.DB"));
    EXPECT_TRUE(apoio::existe(px + "/Tabelas/001/tbtudo.DB"));
    // Back into a second database: the same rows, field for field.
    BancoDeTestes outro;
    const std::string volta = dir / "volta";
    fs::create_directories(volta);
    std::ofstream(volta + "/banco.conf") << outro.uri() << "\n";
    r = notera({"importar", px, volta});
    ASSERT_EQ(r.saida, 0) << r.err;
    for (const char* t : {"tabelas.tbemp", "tabelas_001.tbtudo", "tabelas_001.tbhis"}) {
        SCOPED_TRACE(t);
        std::string q = std::string("SELECT x::text FROM ") + t + " x ORDER BY notera_linha";
        std::string a = um(banco->uri(), q);
        EXPECT_EQ(a.rfind("ERRO", 0), std::string::npos) << a;
        EXPECT_EQ(um(outro.uri(), q), a);
    }
}

} // namespace
