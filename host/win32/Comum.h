#pragma once
// What the Windows host's commands share: the libraries beside the executable, the log and
// the robot.

#include "Robo.h"
#include "host/Log.h"
#include "host/Opcoes.h"

#include <windows.h>

#include <memory>
#include <string>

namespace host {

// A DLL loaded from the executable's own folder, freed when it goes out of scope.
class Biblioteca {
public:
    explicit Biblioteca(const std::string& nome);
    ~Biblioteca();
    Biblioteca(const Biblioteca&) = delete;
    Biblioteca& operator=(const Biblioteca&) = delete;
    void* simbolo(const char* nome) const;
    const std::string& erro() const { return erro_; }

private:
    HMODULE h_ = nullptr;
    std::string erro_;
};

struct Sessao {
    Registro log;
    std::unique_ptr<RoboWin32> robo;
};
// Opens the log and reads the script; non-zero is the exit status when the run stops here.
int preparaSessao(const PedidoSessao& p, Sessao& s);

int comandoCheque(const std::vector<std::string>& args);
int comandoTransferencia(const std::vector<std::string>& args);

} // namespace host
