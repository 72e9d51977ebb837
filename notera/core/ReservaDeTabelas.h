#pragma once
// The host's reservation of a list of tables, given back when the scope ends.

#include "notera/core/Servicos.h"

#include <string>
#include <vector>

namespace notera {

class ReservaDeTabelas {
public:
    ReservaDeTabelas(ServicosHost& servicos, std::vector<std::string> tabelas)
        : servicos_(servicos), tabelas_(std::move(tabelas)),
          concedida_(servicos_.ReservaTabelas(tabelas_)) {}
    ~ReservaDeTabelas() {
        if (concedida_) servicos_.LiberaTabelas(tabelas_);
    }
    ReservaDeTabelas(const ReservaDeTabelas&) = delete;
    ReservaDeTabelas& operator=(const ReservaDeTabelas&) = delete;

    // False when the host refused it: nothing is given back then.
    explicit operator bool() const { return concedida_; }

private:
    ServicosHost& servicos_;
    std::vector<std::string> tabelas_;
    bool concedida_;
};

} // namespace notera
