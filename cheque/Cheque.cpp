// The exported cheque job: front, then back and copy on request.

#include "cheque/cheque.h"

#include "TextosDoChamador.h"
#include "Trabalho.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

thread_local std::string ultimoErro;

using cheque::TamanhoBuffer;
using cheque::textoContado;
using cheque::textoCurto;
using cheque::textoDeBuffer;

} // namespace

extern "C" CHEQUE_EXPORT void CHEQUE_CALL fCheque_Morvane(
    char* Arquivo, const char* Porta, double ValorCheque, int32_t Banco, const char* NomeBanco,
    int32_t NumeroCheque, double DataCheque, const char* Portador, const char* Cidade,
    uint8_t ImprimeCopia, const char* Verso, const unsigned char* Empresa) {
    ultimoErro.clear();
    if (Arquivo) std::memset(Arquivo, 0, TamanhoBuffer);
    try {
        cheque::DadosCheque d;
        d.valor = ValorCheque;
        d.banco = Banco;
        d.nomeBanco = textoContado(NomeBanco);
        d.numero = NumeroCheque;
        d.data = DataCheque;
        d.portador = textoDeBuffer(Portador);
        d.cidade = textoDeBuffer(Cidade);
        d.verso = textoDeBuffer(Verso);
        d.empresa = textoCurto(Empresa);
        auto sistema = cheque::sistemaLocal();
        const std::string caminho =
            cheque::executaCheque(*sistema, textoDeBuffer(Porta), d, ImprimeCopia != 0);
        if (Arquivo)
            std::memcpy(Arquivo, caminho.data(), std::min(caminho.size(), TamanhoBuffer - 1));
    } catch (const std::exception& e) {
        ultimoErro = e.what();
        if (ultimoErro.empty()) ultimoErro = "?";
        if (Arquivo) std::memset(Arquivo, 0, TamanhoBuffer);
    } catch (...) {
        ultimoErro = "?";
        if (Arquivo) std::memset(Arquivo, 0, TamanhoBuffer);
    }
}

extern "C" CHEQUE_EXPORT const char* CHEQUE_CALL fCheque_Erro(void) {
    return ultimoErro.c_str();
}
