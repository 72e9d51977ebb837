#include "GradeTextos.h"

namespace notera {

void GradeTextos::redimensiona(int novasColunas, int novasLinhas) {
    std::vector<std::string> novas(static_cast<std::size_t>(novasColunas * novasLinhas));
    for (int l = 0; l < std::min(linhas, novasLinhas); ++l)
        for (int c = 0; c < std::min(colunas, novasColunas); ++c)
            novas[static_cast<std::size_t>(l * novasColunas + c)] = celula(c, l);
    celulas = std::move(novas);
    colunas = novasColunas;
    linhas = novasLinhas;
}

std::string GradeTextos::celula(int col, int lin) const {
    if (col < 0 || lin < 0 || col >= colunas || lin >= linhas) return {};
    return celulas[static_cast<std::size_t>(lin * colunas + col)];
}

void GradeTextos::defineCelula(int col, int lin, const std::string& texto) {
    if (col < 0 || lin < 0 || col >= colunas || lin >= linhas) return;
    celulas[static_cast<std::size_t>(lin * colunas + col)] = texto;
}

} // namespace notera
