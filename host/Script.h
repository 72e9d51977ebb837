#pragma once
// The robot's script: one action a line, blanks between arguments, "#" comments.

#include <QString>
#include <QStringList>

#include <vector>

struct Acao {
    QString verbo;
    QStringList args;
    int linha = 0;
};

struct RoteiroLido {
    std::vector<Acao> acoes;
    QString erro; // empty when the whole script was understood
};

RoteiroLido leRoteiro(const QString& texto);
