#pragma once
// The state of one transfer, filled by the field handlers and read by the posting.

#include <QString>

#include <cstdint>
#include <vector>

namespace notera {

// A grid of texts that is never shown: codes kept behind what the cheque grid displays.
struct GradeTextos {
    int colunas = 0;
    int linhas = 0;
    std::vector<QString> celulas;

    void redimensiona(int novasColunas, int novasLinhas);
    QString celula(int col, int lin) const;
    void defineCelula(int col, int lin, const QString& texto);
};

// A text field of fixed capacity: longer values are cut to it.
template <int Capacidade> class TextoFixo {
public:
    TextoFixo() = default;
    TextoFixo(const QString& s) : s_(s.left(Capacidade)) {} // NOLINT: assigned like a text
    const QString& texto() const { return s_; }
    operator const QString&() const { return s_; } // NOLINT
    bool vazio() const { return s_.isEmpty(); }
    bool operator==(const TextoFixo&) const = default;

private:
    QString s_;
};

struct EstadoAL {
    std::int32_t CodEmpresa = 0;
    std::int32_t EmpOrigemAberta = 0;
    bool OrigemContabil = false;
    std::int32_t CodFornecedor = 0;
    TextoFixo<11> CodCusto2;
    std::int32_t CodBanco2 = 0;
    std::int32_t CodDespesa = 0;
    std::int32_t CodHistPad2 = 0;
    std::int32_t CodHisPadBan = 0;
    TextoFixo<30> ContaCred2, ContaDeb2;
    TextoFixo<30> ContaCredG2, ContaDebG2;
    std::int32_t CodCliente = 0;
    TextoFixo<11> CodCusto1;
    std::int32_t CodBanco1 = 0;
    std::int32_t CodReceita = 0;
    std::int32_t CodHistPad1 = 0;
    TextoFixo<30> ContaCred1;
    TextoFixo<30> ContaCredG1;
    std::int32_t CodEmpDestino = 0;
    TextoFixo<255> DirDados;
    TextoFixo<255> TabelaLanPag, TabelaChqPag;
    std::int32_t NumeroAL = 0;
    bool OkLivre = true;
    bool Saindo = false;
    bool Confirmado = false;
    int LarguraConta = 0;
    GradeTextos GradeAux;
};

// Everything the posting reads of a transfer: the form's state, the texts of the amount
// and of the three variable histories, and the cheque grid as shown (row 0 holds titles).
struct DadosTransferencia {
    EstadoAL estado;
    QString Valor;     // Ed_Valor
    QString HistVar1;  // Ed_HistVar1
    QString HistVar2;  // Ed_HistVar2
    QString HisVarBan; // Ed_HisVarBan
    GradeTextos Cheques;
};

} // namespace notera
