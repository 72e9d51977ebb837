#pragma once
// The notice's questions answered in order from a list of button indexes, their texts kept;
// a question without an answer fails the test and takes the last button. Without Qt, for the
// tests of both platforms.

#include "notera/core/Mensagens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace apoio {

class RespostasSimples : public notera::Mensagens {
public:
    RespostasSimples(std::vector<int> r, std::vector<std::string>& vistas)
        : respostas_(std::move(r)), vistas_(vistas) {}
    int mostra(platform::Icone, const std::string& texto,
               const std::vector<std::string>& botoes) override {
        vistas_.push_back(texto);
        if (proxima_ < respostas_.size()) return respostas_[proxima_++];
        ADD_FAILURE() << "unexpected message box: " << texto;
        return static_cast<int>(botoes.size()) - 1;
    }

private:
    std::vector<int> respostas_;
    std::size_t proxima_ = 0;
    std::vector<std::string>& vistas_;
};

} // namespace apoio
