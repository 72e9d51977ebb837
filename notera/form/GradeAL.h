#pragma once
// The cheque grid's behaviour: defaults, cell checks, rows added and discarded, the total and
// the situation selector.

#include "notera/form/Tecla.h"

#include "base/Money.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace notera {

class LogicaAL;

class GradeAL {
public:
    static const std::vector<std::string> ItensSituacao;

    explicit GradeAL(LogicaAL& logica) : l_(logica) {}

    void TitulosGrade();
    void LimpaGrade();
    void NovaLinhaCheque();
    void SincronizaGradeAux();
    bool LinhaSemData(int lin) const;
    bool UltimaLinha(int lin) const;
    bool ValidaCelula(int col, int lin);
    bool ValidaCheques();
    void TotalCheques();
    void MostraSituacao(int col, int lin);
    bool TrocaLinha(Tecla tecla);
    void NavegaGrade(Tecla tecla);
    void GradeChqSelectCell(int col, int lin);
    void GradeChqEnter();
    void vaiParaCelula(int col, int lin); // defaults of the target cell, then the move
    // The grid's keys; the view reports whether a cell editor is open.
    bool gradeTeclaAbaixada(Tecla tecla, bool editorAberto);
    // Enter and typed characters: the character to insert, or nothing when swallowed.
    std::optional<char32_t> gradeTeclaPressionada(char32_t tecla, const std::string& textoDaCelula);
    void gradeClique(int col, int lin);
    std::string mascaraDaColuna(int col) const;
    // The situation selector.
    void Cb_ChqSitChange(int item);
    bool seletorTeclaAbaixada(Tecla tecla, bool comModificador);
    bool seletorTeclaPressionada(char32_t tecla);
    void ligaHandlers();

private:
    void saiDoSeletor();
    std::string hoje() const;
    // Ed_Valor read as an amount, and the cheque total as Lb_ChqTotal shows it.
    base::Dinheiro valorDaTransferencia() const;
    base::Dinheiro totalMostrado() const;

    // A number of this bank account already in the origin's cheques: the clerk is warned
    // and may keep it. False when the clerk chose not to.
    bool confirmaChequeJaEmitido(std::int32_t banco, std::int32_t numero);

    LogicaAL& l_;
    base::Dinheiro totalCheques_;
    std::set<std::pair<std::int32_t, std::int32_t>> mantidos_; // (bank, number) kept anyway
};

} // namespace notera
