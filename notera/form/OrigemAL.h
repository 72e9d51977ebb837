#pragma once
// The origin company field: the company is found in the register and its environment opened.

namespace notera {

class LogicaAL;

class OrigemAL {
public:
    explicit OrigemAL(LogicaAL& logica) : l_(logica) {}

    void Ed_EmpresaEnter();
    void Ed_EmpresaExit();
    // Points the origin's data module at the company chosen and opens it.
    void trocaOrigem();
    void ligaHandlers();

private:
    LogicaAL& l_;
};

} // namespace notera
