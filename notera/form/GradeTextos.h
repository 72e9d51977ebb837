#pragma once
// A grid of texts that is never shown: codes kept behind what the cheque grid displays, or
// a copy of the grid as shown.

#include <string>
#include <vector>

namespace notera {

struct GradeTextos {
    int colunas = 0;
    int linhas = 0;
    std::vector<std::string> celulas;

    void redimensiona(int novasColunas, int novasLinhas);
    std::string celula(int col, int lin) const;
    void defineCelula(int col, int lin, const std::string& texto);
};

} // namespace notera
