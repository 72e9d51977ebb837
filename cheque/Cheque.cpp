// The exported cheque job: front, then back and copy on request.

#include "cheque/cheque.h"

#include "Extenso.h"
#include "PrintFiles.h"
#include "base/Cp1252.h"
#include "platform/Dialogs.h"
#include "platform/System.h"

#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace {

thread_local std::string ultimoErro;

constexpr std::size_t TamanhoBuffer = 1024;

std::string textoDeBuffer(const char* p) {
    if (!p) return {};
    return std::string(p, ::strnlen(p, TamanhoBuffer));
}

// The host's counted string: its 32-bit length sits right before the characters.
std::string textoContado(const char* p) {
    if (!p) return {};
    std::int32_t n = 0;
    std::memcpy(&n, p - sizeof n, sizeof n);
    return n > 0 ? std::string(p, static_cast<std::size_t>(n)) : std::string();
}

std::string textoCurto(const unsigned char* p) {
    if (!p) return {};
    return std::string(reinterpret_cast<const char*>(p + 1), p[0]);
}

struct ErroCheque : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string erroCriacao(const std::string& caminho) {
    return base::utf8ParaCp1252("Erro na criação do arquivo: ") + caminho;
}

void grava(const std::string& caminho, const std::string& bytes) {
    if (!platform::gravaArquivoPrivado(caminho, bytes)) throw ErroCheque(erroCriacao(caminho));
}

// The spooler reads the print file before it returns, so the next step may rewrite it.
void lanca(const std::string& arquivoLote) {
    const std::string dir = platform::diretorioDoModulo(reinterpret_cast<const void*>(&lanca));
    for (const char* rel : {"/cheque-spool", "/../bin/cheque-spool"}) {
        std::string spool = dir + rel;
        if (std::filesystem::exists(spool)) {
            platform::executaEEspera(spool, {arquivoLote});
            return;
        }
    }
}

QString qt(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string executa(const std::string& porta, const cheque::DadosCheque& d, bool imprimeCopia) {
    std::string dir = platform::diretorioTemporario();
    if (dir.empty() || dir.size() > 259)
        throw ErroCheque(base::utf8ParaCp1252("Não foi possível ler diretório temporário!"));
    if (dir.back() != '/') dir += '/';
    if (!std::filesystem::is_directory(dir)) platform::criaDiretorios(dir);

    const std::string arquivo = dir + platform::horaAtualHHNNSS() + ".TXT";
    const std::string lote = arquivo.substr(0, arquivo.size() - 4) + ".BAT";

    grava(lote, cheque::arquivoLote(arquivo, porta));
    grava(arquivo, cheque::arquivoFrente(d));
    lanca(lote);

    if (d.verso.empty() && !imprimeCopia) return arquivo;
    platform::AplicacaoQt app;

    if (!d.verso.empty() && platform::confirma(qt("Confirma a impressão do verso do cheque?"))) {
        grava(arquivo, cheque::arquivoVerso(d.verso));
        lanca(lote);
    }
    if (imprimeCopia && platform::confirma(qt("Confirma a impressão da cópia do cheque?"))) {
        TExtenso extenso;
        extenso.Valor = d.valor;
        grava(arquivo, cheque::arquivoCopia(d, extenso.PorExtenso()));
        lanca(lote);
    }
    return arquivo;
}

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
        const std::string caminho = executa(textoDeBuffer(Porta), d, ImprimeCopia != 0);
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
