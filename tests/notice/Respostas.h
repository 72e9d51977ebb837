#pragma once
// Scripted answers for the notice's questions and its print dialog. A question or dialog
// without an answer fails the test and is dismissed, so nothing waits for a user.

#include "notera/core/Mensagens.h"

#include <QString>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <optional>
#include <vector>

namespace apoio {

struct Caixa {
    platform::Icone icone;
    QString texto;
    QStringList botoes;
};

class MensagensRoteiro : public notera::Mensagens {
public:
    // Answers are button indexes, used in order.
    explicit MensagensRoteiro(std::vector<int> respostas, std::vector<Caixa>& vistas)
        : respostas_(respostas.begin(), respostas.end()), vistas_(vistas) {}
    int mostra(platform::Icone icone, const std::string& texto,
               const std::vector<std::string>& botoes) override;

private:
    std::deque<int> respostas_;
    std::vector<Caixa>& vistas_;
};

// Answers every print dialog that shows while it lives: a file path prints to that PDF,
// an empty text cancels. Any other dialog, or one more than planned, fails and is rejected.
class RespondeImpressao {
public:
    explicit RespondeImpressao(std::vector<QString> respostas);
    ~RespondeImpressao();
    int dialogos() const { return dialogos_; }
    // Copies to ask for in the next answers (default 1).
    int copias = 1;

private:
    void verifica();
    std::deque<QString> respostas_;
    QTimer timer_;
    int dialogos_ = 0;
};

} // namespace apoio
