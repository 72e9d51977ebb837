#pragma once
// A grid of texts that is never shown: codes kept behind what the cheque grid displays, or
// a copy of the grid as shown.

#include <QString>

#include <vector>

namespace notera {

struct GradeTextos {
    int colunas = 0;
    int linhas = 0;
    std::vector<QString> celulas;

    void redimensiona(int novasColunas, int novasLinhas);
    QString celula(int col, int lin) const;
    void defineCelula(int col, int lin, const QString& texto);
};

} // namespace notera
