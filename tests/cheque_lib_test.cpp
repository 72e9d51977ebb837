// The cheque library loaded by a host that runs no Qt application object.

#include "Apoio.h"
#include "cheque/cheque.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <dlfcn.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

using FnCheque = decltype(&fCheque_Morvane);
using FnErro = decltype(&fCheque_Erro);

struct Biblioteca {
    void* h = ::dlopen(apoio::biblioteca("libCheque.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ~Biblioteca() {
        if (h) ::dlclose(h);
    }
};

std::string hhnnss(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[8];
    std::strftime(buf, sizeof buf, "%H%M%S", &tm);
    return buf;
}

class ChequeSemQt : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(lib.h, nullptr) << ::dlerror();
        fn = reinterpret_cast<FnCheque>(::dlsym(lib.h, "fCheque_Morvane"));
        erro = reinterpret_cast<FnErro>(::dlsym(lib.h, "fCheque_Erro"));
        ASSERT_TRUE(fn && erro);
        ::setenv("TMPDIR", dir.caminho().c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("QT_QPA_PLATFORM");
        std::fill(std::begin(porta), std::end(porta), '\0');
        std::string p = dir / "porta.prn";
        std::memcpy(porta, p.data(), p.size());
    }
    void chama(char* arquivo) {
        // Counted string: 32-bit length right before the characters.
        alignas(4) char nome[4 + 6] = {5, 0, 0, 0, 'B', 'a', 'n', 'c', 'o', 0};
        unsigned char empresa[] = {3, 'E', 'm', 'p'};
        fn(arquivo, porta, 10.0, 1, nome + 4, 7, 37685, "Fulano", "Recife", 0, "", empresa);
    }

    Biblioteca lib;
    FnCheque fn = nullptr;
    FnErro erro = nullptr;
    apoio::DirTemp dir;
    char porta[1024];
};

} // namespace

TEST_F(ChequeSemQt, FrenteSemPerguntasDevolveOCaminho) {
    char arquivo[1024];
    std::memset(arquivo, 'x', sizeof arquivo);
    chama(arquivo);
    EXPECT_STREQ(erro(), "");
    std::string caminho(arquivo);
    ASSERT_EQ(caminho.rfind(dir.caminho() + "/", 0), 0u) << caminho;
    EXPECT_EQ(caminho.substr(caminho.size() - 4), ".TXT");
    EXPECT_TRUE(
        std::all_of(arquivo + caminho.size(), arquivo + 1024, [](char c) { return c == 0; }));

    // Print and batch files are private to their owner.
    for (const std::string& f : {caminho, caminho.substr(0, caminho.size() - 4) + ".BAT"}) {
        struct stat st {};
        ASSERT_EQ(::stat(f.c_str(), &st), 0) << f;
        EXPECT_EQ(st.st_mode & 0777, 0600u) << f;
    }
    EXPECT_NE(apoio::esperaConteudo(std::string(porta), 10).find("\x1B\xA3"), std::string::npos);
}

TEST_F(ChequeSemQt, DiretorioTemporarioIlegivel) {
    ::setenv("TMPDIR", std::string(300, 'd').c_str(), 1);
    char arquivo[1024];
    std::memset(arquivo, 'x', sizeof arquivo);
    chama(arquivo);
    EXPECT_STREQ(erro(), "N\xE3o foi poss\xEDvel ler diret\xF3rio tempor\xE1rio!");
    EXPECT_TRUE(std::all_of(arquivo, arquivo + 1024, [](char c) { return c == 0; }));
}

TEST_F(ChequeSemQt, NuncaEscreveAtravesDeLigacaoSimbolica) {
    // Plant links under the names of the next few seconds, so the call meets one.
    const std::string alvo = dir / "alvo";
    apoio::gravaArquivo(alvo, "intacto");
    const std::string tmp = dir / "t";
    std::filesystem::create_directory(tmp);
    ::setenv("TMPDIR", tmp.c_str(), 1);
    std::time_t agora = std::time(nullptr);
    for (int s = 0; s < 5; ++s)
        for (const char* ext : {".BAT", ".TXT"})
            std::filesystem::create_symlink(alvo, tmp + "/" + hhnnss(agora + s) + ext);

    char arquivo[1024];
    chama(arquivo);
    const std::string msg = erro();
    EXPECT_EQ(msg.rfind("Erro na cria\xE7\xE3o do arquivo: " + tmp + "/", 0), 0u) << msg;
    EXPECT_EQ(msg.substr(msg.size() - 4), ".BAT");
    EXPECT_TRUE(std::all_of(arquivo, arquivo + 1024, [](char c) { return c == 0; }));
    EXPECT_EQ(apoio::leArquivo(alvo), "intacto");
}

TEST_F(ChequeSemQt, ErroSeApagaNaChamadaSeguinte) {
    ::setenv("TMPDIR", std::string(300, 'd').c_str(), 1);
    char arquivo[1024];
    chama(arquivo);
    EXPECT_STRNE(erro(), "");
    ::setenv("TMPDIR", dir.caminho().c_str(), 1);
    chama(arquivo);
    EXPECT_STREQ(erro(), "");
    EXPECT_NE(arquivo[0], '\0');
}
