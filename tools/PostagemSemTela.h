#pragma once
// Posting without a window, for the benchmarks and the fault harness: the data sets the entry
// point and the origin switch open, and one fixed transfer with two cheques.

#include "notera/core/Execucao.h"
#include "notera/core/Transferencia.h"

#include <cstdint>
#include <string>
#include <vector>

namespace postagem {

// Every question answered No, every notice written to stderr and forgotten.
class SemTela : public notera::Mensagens {
public:
    int mostra(platform::Icone, const std::string& texto,
               const std::vector<std::string>& botoes) override;
};

// One process alone on the tree: every reservation is granted.
uint8_t NOTERA_CALL reserva(const char* const* tabelas, int32_t ultimo);
void NOTERA_CALL libera(const char* const* tabelas, int32_t ultimo);

// Opens what the entry point and the origin switch open in the data tree |dados|:
// destination company 1, origin company 2.
void abreEmpresas(notera::Execucao& ex, const std::string& dados);

// 1.500,00 from company 2 to company 1, paid with two cheques of 1.000,00 and 500,00 numbered
// |cheque| and |cheque| + 1, read as the form reads its fields.
notera::DadosTransferencia transferencia(const std::string& historico, std::int32_t cheque = 1);

} // namespace postagem
