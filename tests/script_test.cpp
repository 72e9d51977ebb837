#include "host/Script.h"

#include <gtest/gtest.h>

TEST(Roteiro, SeparaArgumentosEComentarios) {
    auto r = leRoteiro("# comment\n"
                       "focus Ed_Cliente\r\n"
                       "type \"Jo\\\"se \\\\ x\"  # trailing comment\n"
                       "\n"
                       "key Shift+Tab Enter\n"
                       "cell GradeChq 1 2\n");
    ASSERT_TRUE(r.erro.empty()) << r.erro;
    ASSERT_EQ(r.acoes.size(), 4u);
    EXPECT_EQ(r.acoes[0].verbo, "focus");
    EXPECT_EQ(r.acoes[0].linha, 2);
    EXPECT_EQ(r.acoes[1].args, std::vector<std::string>{"Jo\"se \\ x"});
    EXPECT_EQ(r.acoes[2].args, (std::vector<std::string>{"Shift+Tab", "Enter"}));
    EXPECT_EQ(r.acoes[3].args, (std::vector<std::string>{"GradeChq", "1", "2"}));
}

TEST(Roteiro, Erros) {
    const std::pair<const char*, const char*> casos[] = {
        {"voar\n", "line 1: unknown action"},
        {"ok\n", "unknown action"},
        {"focus\n", "wrong number of arguments"},
        {"close agora\n", "wrong number of arguments"},
        {"\ntype \"aberto\n", "line 2: unterminated quote"},
    };
    for (const auto& [texto, erro] : casos) {
        auto r = leRoteiro(texto);
        EXPECT_NE(r.erro.find(erro), std::string::npos) << r.erro;
    }
}
