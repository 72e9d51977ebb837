#pragma once
// The account fields of the transfer form: what a typed text finds in a chart of accounts,
// the selection dialog, and the defaults an account field offers on entry.

#include <cstdint>
#include <string>
#include <string_view>

namespace db {
class Consulta;
} // namespace db

namespace notera {

class LogicaAL;

class ContasAL {
public:
    explicit ContasAL(LogicaAL& logica) : l_(logica) {}

    // The display text of the account found for |texto| in company |empresa|'s chart |tipo|
    // (fiscal "F" or managerial "G"), or empty; the chart is left on it.
    std::string BuscaConta(std::int32_t empresa, const std::string& texto, char tipo);
    bool SelecionaConta(db::Consulta& plano);
    // Enter typed in an account field (or handed on by a lookup, with its own field as sender).
    void teclaEnterConta(std::string_view campo, std::string_view remetente);
    void entradaConta(std::string_view campo);
    void ligaHandlers();

private:
    LogicaAL& l_;
};

} // namespace notera
