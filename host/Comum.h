#pragma once
// What the Linux host's commands share: library loading and the robot.

#include "Log.h"
#include "Opcoes.h"
#include "Robot.h"

#include <memory>
#include <string>

namespace host {

// A library loaded from build/lib beside build/bin, closed when it goes out of scope.
class Biblioteca {
public:
    explicit Biblioteca(const std::string& nome);
    ~Biblioteca();
    Biblioteca(const Biblioteca&) = delete;
    Biblioteca& operator=(const Biblioteca&) = delete;
    void* simbolo(const char* nome) const;

private:
    void* h_ = nullptr;
};

// The log and, with --script, the robot that drives the run.
struct Sessao {
    Registro log;
    std::unique_ptr<Robo> robo;
    bool comRoteiro = false;
};
int preparaSessao(const PedidoSessao& p, Sessao& s);

int comandoCheque(const std::vector<std::string>& args);
int comandoTransferencia(const std::vector<std::string>& args);

} // namespace host
