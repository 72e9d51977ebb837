// Several workstations posting at once, and a workstation killed in the middle of posting,
// on both stores: every unit is whole or absent, and no number is taken twice.

#include "Arvore.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fcntl.h>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

extern char** environ;

namespace {

pid_t inicia(const std::string& dados, int rodadas) {
    std::string n = std::to_string(rodadas);
    const char* argv[] = {NOTERA_POSTADOR, dados.c_str(), n.c_str(), nullptr};
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_addopen(&acoes, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, NOTERA_POSTADOR, &acoes, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&acoes);
    return rc == 0 ? pid : -1;
}

int espera(pid_t pid) {
    int st = 0;
    waitpid(pid, &st, 0);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -WTERMSIG(st);
}

class Concorrencia : public ::testing::TestWithParam<Motor> {
protected:
    void SetUp() override {
        arvore = std::make_unique<Arvore>(GetParam());
        arvore->executa(arvore->registro(),
                        "INSERT INTO TbEmp (cod_emp, nom_emp, nal_emp) VALUES (2, 'DOIS', 20)");
    }
    std::string v(const std::string& dir, const std::string& sql) {
        return arvore->valor(dir, sql);
    }
    std::string reg() { return arvore->registro(); }
    std::string e1() { return arvore->empresa(1); }
    std::string e2() { return arvore->empresa(2); }

    // Every posting whole or absent: as many payables, receivables and register records as
    // AL numbers issued, each number once, each AL in all three.
    void confereLivros(int esperado = -1) {
        const int emitidos =
            std::stoi(v(reg(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 2")) - 20;
        if (esperado >= 0) {
            EXPECT_EQ(emitidos, esperado);
        }
        const std::string n = std::to_string(emitidos);
        for (auto [dir, tabela, campo] :
             {std::tuple{e1(), "TbLanPag", "num_lan"}, std::tuple{e2(), "TbLanRec", "num_lan"},
              std::tuple{e2(), "TbCal", "num_cal"}}) {
            EXPECT_EQ(v(dir, std::string("SELECT count(*) FROM ") + tabela), n) << tabela;
            EXPECT_EQ(v(dir, std::string("SELECT count(DISTINCT ") + campo + ") FROM " + tabela), n)
                << tabela;
            EXPECT_EQ(v(dir, std::string("SELECT coalesce(max(") + campo + "), 0) FROM " + tabela),
                      n)
                << tabela;
        }
        EXPECT_EQ(v(e1(), "SELECT count(DISTINCT nal_lan) FROM TbLanPag"), n);
        EXPECT_EQ(v(e2(), "SELECT count(*) FROM TbLanRec r WHERE EXISTS (SELECT 1 FROM TbCal c "
                          "WHERE c.nal_cal = r.nal_lan)"),
                  n);
        if (GetParam() == Motor::Sqlite) {
            for (auto& d : {reg(), e1(), e2()}) {
                EXPECT_EQ(v(d, "PRAGMA integrity_check"), "ok") << d;
            }
        }
    }

    std::unique_ptr<Arvore> arvore;
};

TEST_P(Concorrencia, EstacoesPostandoAoMesmoTempo) {
    const int estacoes = 3, rodadas = 25;
    std::vector<pid_t> pids;
    for (int i = 0; i < estacoes; ++i)
        pids.push_back(inicia(arvore->dados(), rodadas));
    for (pid_t p : pids) {
        ASSERT_GT(p, 0);
        EXPECT_EQ(espera(p), 0);
    }
    confereLivros(estacoes * rodadas);
}

TEST_P(Concorrencia, MortoNoMeioDaPostagem) {
    std::mt19937 rng(GetParam() == Motor::Sqlite ? 11 : 13);
    for (int vez = 0; vez < 12; ++vez) {
        pid_t p = inicia(arvore->dados(), 100000);
        ASSERT_GT(p, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(40 + rng() % 160));
        kill(p, SIGKILL);
        EXPECT_EQ(espera(p), -SIGKILL);
        SCOPED_TRACE("morto na vez " + std::to_string(vez));
        confereLivros();
    }
    // And the books go on from where they are.
    pid_t p = inicia(arvore->dados(), 3);
    EXPECT_EQ(espera(p), 0);
    confereLivros();
}

INSTANTIATE_TEST_SUITE_P(Armazens, Concorrencia, ::testing::Values(Motor::Sqlite, Motor::Postgres),
                         [](const auto& info) { return nomeDoMotor(info.param); });

} // namespace
