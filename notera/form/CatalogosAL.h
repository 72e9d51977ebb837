#pragma once
// The catalogue fields of the transfer form: clients, suppliers, banks, categories, standard
// histories and cost centres, found by code or name or chosen in the selection dialog.

#include <string>
#include <string_view>

namespace notera {

class LogicaAL;

class CatalogosAL {
public:
    explicit CatalogosAL(LogicaAL& logica) : l_(logica) {}

    // Finds an origin bank account by code or name and leaves the bank catalogue on it.
    bool LocalizaBanco(const std::string& texto);
    void saidaCatalogo(std::string_view campo);
    void entradaCatalogo(std::string_view campo);
    void ligaHandlers();

private:
    LogicaAL& l_;
};

} // namespace notera
