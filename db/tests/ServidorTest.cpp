// What a group meets on a server in a year: the server restarted under an open form, and a
// workstation that froze while holding the tree's lock.

#include "Arvore.h"

#include "db/Armazem.h"
#include "db/Conjunto.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

extern char** environ;

namespace {

using Relogio = std::chrono::steady_clock;

class Servidor : public ::testing::Test {
protected:
    void SetUp() override {
        NOTERA_PULA_SEM_SERVIDOR(Motor::Postgres);
        arvore = std::make_unique<Arvore>(Motor::Postgres);
        arvore->executa(arvore->registro(),
                        "INSERT INTO TbEmp (cod_emp, nom_emp, nal_emp) VALUES (2, 'DOIS', 20)");
    }

    // One posting's worth: the register's counter moved inside a unit.
    void posta() {
        db::Tabela emp(arvore->registro(), "TbEmp");
        emp.abre();
        db::UnidadeDeTrabalho u(arvore->registro());
        emp.releia();
        ASSERT_TRUE(emp.localiza("cod_emp", 2));
        emp.edita();
        emp.define("nal_emp", emp.campo("nal_emp").comoInteiro() + 1);
        emp.grava();
        u.confirma();
    }
    std::string contador() {
        return arvore->valor(arvore->registro(), "SELECT nal_emp FROM TbEmp WHERE cod_emp = 2");
    }

    std::unique_ptr<Arvore> arvore;
};

// The server of these tests is their own, so that restarting it and holding its locks
// disturbs no other test.
class ServidorProprio : public ::testing::Environment {
public:
    void SetUp() override {
        dir_ = "/tmp/notera-pg-srv-" + std::to_string(getpid());
        ASSERT_EQ(
            std::system(
                (std::string(NOTERA_PG_TESTE_SCRIPT) + " start " + dir_ + " >/dev/null").c_str()),
            0);
        setenv("NOTERA_PG_TESTE", dir_.c_str(), 1);
    }
    void TearDown() override {
        std::system((std::string(NOTERA_PG_TESTE_SCRIPT) + " stop " + dir_).c_str());
    }
    static void reinicia() {
        ASSERT_EQ(std::system((std::string(NOTERA_PG_TESTE_SCRIPT) + " reinicia " +
                               std::getenv("NOTERA_PG_TESTE"))
                                  .c_str()),
                  0);
    }

private:
    std::string dir_;
};
const auto* servidorProprio = ::testing::AddGlobalTestEnvironment(new ServidorProprio);

TEST_F(Servidor, ServidorReiniciadoComOFormularioAberto) {
    // An open form keeps its data sets, and with them the tree's connection.
    db::Tabela aberta(arvore->registro(), "TbEmp");
    aberta.abre();
    posta();
    ASSERT_EQ(contador(), "21");
    ServidorProprio::reinicia();
    // The next posting goes on a new connection, at the first try.
    try {
        posta();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the first posting after the server ended the session failed: "
                      << e.what();
    }
    EXPECT_EQ(contador(), "22");
}

TEST_F(Servidor, EstacaoCongeladaComATravaDaArvore) {
    const std::string n = "1", modo = "congela", dados = arvore->dados();
    const char* argv[] = {NOTERA_POSTADOR, dados.c_str(), n.c_str(), modo.c_str(), nullptr};
    int canal[2];
    ASSERT_EQ(pipe(canal), 0);
    posix_spawn_file_actions_t acoes;
    posix_spawn_file_actions_init(&acoes);
    posix_spawn_file_actions_adddup2(&acoes, canal[1], 1);
    posix_spawn_file_actions_addclose(&acoes, canal[0]);
    pid_t pid = -1;
    ASSERT_EQ(
        posix_spawn(&pid, NOTERA_POSTADOR, &acoes, nullptr, const_cast<char**>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&acoes);
    close(canal[1]);
    char linha[32] = {};
    FILE* saida = fdopen(canal[0], "r");
    ASSERT_NE(std::fgets(linha, sizeof linha, saida), nullptr);
    ASSERT_EQ(std::string(linha), "congelado\n");
    const auto congelou = Relogio::now();

    // While it holds the lock, another workstation is told why, in words, with the server's
    // text after them, and writes nothing.
    try {
        posta();
        ADD_FAILURE() << "posted while another workstation held the tree's lock";
    } catch (const db::Erro& e) {
        const std::string t = e.what();
        EXPECT_EQ(t.rfind("Outra estação está gravando um lançamento; tente novamente. ", 0), 0u)
            << t;
        EXPECT_NE(t.find("lock timeout"), std::string::npos) << t;
    }
    EXPECT_EQ(contador(), "20");

    // The frozen session ends by itself after a minute idle in its unit; then postings go on.
    std::this_thread::sleep_until(congelou + std::chrono::seconds(62));
    EXPECT_NO_THROW(posta());
    EXPECT_EQ(contador(), "21");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::fclose(saida);
    // What the frozen workstation wrote never reached the books.
    EXPECT_EQ(arvore->valor(arvore->empresa(1), "SELECT count(*) FROM TbLanPag"), "0");
}

} // namespace
