#pragma once
// The robot's script: one action a line, blanks between arguments, "#" comments. Texts are
// UTF-8.

#include <string>
#include <vector>

struct Acao {
    std::string verbo;
    std::vector<std::string> args;
    int linha = 0;
};

struct RoteiroLido {
    std::vector<Acao> acoes;
    std::string erro; // empty when the whole script was understood
};

RoteiroLido leRoteiro(const std::string& texto);
