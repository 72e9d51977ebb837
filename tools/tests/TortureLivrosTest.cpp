// The harness's books check must see each kind of damage it is there to find: a transfer
// posted by the harness's own child, then one fault planted at a time.

#include "TempDir.h"
#include "tools/torture/Livros.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

int roda(const std::string& linha) {
    const int st = std::system((linha + " >/dev/null 2>&1").c_str());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

void executa(const fs::path& arquivo, const std::string& sql) {
    sqlite3* c = nullptr;
    ASSERT_EQ(sqlite3_open(arquivo.c_str(), &c), SQLITE_OK);
    char* erro = nullptr;
    const int rc = sqlite3_exec(c, sql.c_str(), nullptr, nullptr, &erro);
    const std::string texto = erro ? erro : "";
    sqlite3_free(erro);
    sqlite3_close(c);
    ASSERT_EQ(rc, SQLITE_OK) << texto;
}

class LivrosTest : public ::testing::Test {
protected:
    // The demo data, and a copy with one transfer posted by the harness's child.
    static void SetUpTestSuite() {
        raiz = new TempDir;
        const fs::path demo = raiz->caminho() / "demo";
        ASSERT_EQ(roda(std::string(NOTERA_DADOS) + " demo " + demo.string()), 0);
        const auto antes = torture::le(demo.string());
        const fs::path ref = raiz->caminho() / "ref";
        fs::copy(demo, ref, fs::copy_options::recursive);
        ASSERT_EQ(roda(std::string(NOTERA_TORTURE) + " filho " + ref.string() + " 900000 1"), 0);
        modelo = new torture::Modelo(torture::modelo(antes, torture::le(ref.string())));
    }
    static void TearDownTestSuite() {
        delete modelo;
        delete raiz;
    }
    void SetUp() override {
        dados = raiz->caminho() / ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dados);
        fs::copy(raiz->caminho() / "ref", dados, fs::copy_options::recursive);
        ASSERT_FALSE(modelo->forma.empty());
        al = 0;
        for (const auto& [n, f] : torture::le(dados.string()).porAL)
            if (!modelo->inicial.porAL.count(n)) al = n;
        ASSERT_GT(al, 0);
    }
    torture::Resultado avalia(std::set<std::int64_t> reportados, bool todos = false) {
        return torture::avalia(*modelo, torture::le(dados.string()), reportados, todos);
    }
    fs::path origem() const { return dados / "Tabelas/002/tabelas.sqlite"; }
    fs::path destino() const { return dados / "Tabelas/001/tabelas.sqlite"; }
    static bool tem(const torture::Resultado& r, const std::string& parte) {
        for (const auto& a : r.achados)
            if (a.find(parte) != std::string::npos) return true;
        return false;
    }

    static TempDir* raiz;
    static torture::Modelo* modelo;
    fs::path dados;
    std::int64_t al = 0;
};
TempDir* LivrosTest::raiz = nullptr;
torture::Modelo* LivrosTest::modelo = nullptr;

TEST_F(LivrosTest, ATransferPostedWholeIsClean) {
    const auto r = avalia({al}, true);
    EXPECT_EQ(r.inteiros, 1);
    EXPECT_EQ(r.meios, 0);
    EXPECT_TRUE(r.achados.empty()) << r.achados.front();
}

TEST_F(LivrosTest, EachPlantedFaultIsFound) {
    const std::string a = std::to_string(al);
    // The store's unique keys refuse a duplicate: plant it in a copy of the table without them.
    const auto semChaves = [](const std::string& t) {
        return "CREATE TABLE copia AS SELECT * FROM " + t + "; DROP TABLE " + t +
               "; ALTER TABLE copia RENAME TO " + t + "; ";
    };
    struct Caso {
        const char* nome;
        bool naOrigem;
        std::string sql;
        const char* achado;
    };
    const std::vector<Caso> casos = {
        {"receivable missing", false,
         "DELETE FROM TbLanRec WHERE rowid = (SELECT MAX(rowid) FROM TbLanRec)", "half there"},
        {"cheque missing", true,
         "DELETE FROM TbChqPag WHERE rowid = (SELECT MAX(rowid) FROM TbChqPag)", "half there"},
        {"register record missing", false, "DELETE FROM TbCal WHERE nal_cal = " + a, "half there"},
        {"ledger entry missing", true, "DELETE FROM TbLct WHERE CAST(hvd_lct AS INTEGER) = " + a,
         "half there"},
        {"payable twice", true,
         "INSERT INTO TbLanPag (num_lan, dup_lan) SELECT MAX(num_lan) + 1, 'AL " + a +
             "' FROM TbLanPag",
         "half there"},
        {"payable number twice", true,
         semChaves("TbLanPag") +
             "INSERT INTO TbLanPag (num_lan, dup_lan) SELECT MAX(num_lan), 'X' FROM TbLanPag",
         "duplicate Tabelas/002|tblanpag num_lan"},
        {"cheque number twice", true,
         "INSERT INTO TbChqPag (lan_chq, num_chq, ban_chq) SELECT MAX(lan_chq) + 1, 900000, 1 "
         "FROM TbChqPag",
         "duplicate Tabelas/002|tbchqpag cheque 1/900000"},
        {"entry number twice", true,
         semChaves("TbLct") + "INSERT INTO TbLct (num_lct) SELECT MAX(num_lct) FROM TbLct",
         "duplicate Tabelas/002|tblct num_lct"},
        {"register number twice", false,
         semChaves("TbCal") +
             "INSERT INTO TbCal (num_cal, nal_cal) SELECT MAX(num_cal), 0 FROM TbCal",
         "duplicate Tabelas/001|tbcal num_cal"},
        {"register record with AL 0", false,
         "INSERT INTO TbCal (num_cal, nal_cal) SELECT MAX(num_cal) + 1, 0 FROM TbCal",
         "register record(s) with AL 0"},
        {"total off by a cent", true, "UPDATE TbTot SET deb_tot = deb_tot + 0.01", "total "},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.nome);
        fs::remove_all(dados);
        fs::copy(raiz->caminho() / "ref", dados, fs::copy_options::recursive);
        executa(c.naOrigem ? origem() : destino(), c.sql);
        const auto r = avalia({al});
        EXPECT_TRUE(tem(r, c.achado)) << (r.achados.empty() ? "nothing found" : r.achados.front());
    }
}

TEST_F(LivrosTest, AnAcknowledgedTransferThatIsNotThereIsLost) {
    const auto r = avalia({al, al + 1});
    EXPECT_EQ(r.perdidos, 1);
    EXPECT_TRUE(tem(r, "AL " + std::to_string(al + 1) + " acknowledged but not stored"));
}

TEST_F(LivrosTest, AWholeTransferReportedFailedIsFoundWhenEveryOneMustBeReported) {
    EXPECT_TRUE(avalia({}, false).achados.empty());
    const auto r = avalia({}, true);
    EXPECT_EQ(r.naoConfirmados, 1);
}

TEST_F(LivrosTest, ACounterBehindTheHighestNumberIsFound) {
    executa(dados / "Tabelas/tabelas.sqlite", "UPDATE TbEmp SET nal_emp = 1");
    EXPECT_TRUE(tem(avalia({al}), "AL counter 1 behind"));
}

TEST_F(LivrosTest, NoiseInsideAStoreFailsItsIntegrityCheck) {
    // 8 KiB of noise past the first pages of the origin's file.
    {
        std::fstream f(origem(), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(16384);
        for (int i = 0; i < 8192; ++i)
            f.put(static_cast<char>((i * 7919) & 0xff));
    }
    EXPECT_TRUE(tem(avalia({al}), "Tabelas/002")) << "the damaged file was read as sound";
}

} // namespace
