// The cheque's print files from any texts: the payee, city, bank name, company and back text
// come from the input cut at NUL bytes. Every file keeps its form: lines end in CR LF, an
// escape only opens a line, no other control character gets through.

#include "FormaDosArquivos.h"
#include "PrintFiles.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    std::string_view resto(reinterpret_cast<const char*>(dados), tamanho);
    auto proximo = [&] {
        const auto fim = resto.find('\0');
        const std::string_view campo = resto.substr(0, fim);
        resto = fim == std::string_view::npos ? std::string_view() : resto.substr(fim + 1);
        return std::string(campo);
    };
    cheque::DadosCheque d;
    d.portador = proximo();
    d.cidade = proximo();
    d.nomeBanco = proximo();
    d.empresa = proximo();
    d.verso = proximo();
    d.valor = static_cast<double>(tamanho) * 12.34;
    d.banco = static_cast<int>(tamanho);
    d.numero = static_cast<int>(tamanho * 7);
    d.data = 37685.0;
    confereFormaDoArquivo(cheque::arquivoFrente(d));
    confereFormaDoArquivo(cheque::arquivoVerso(d.verso));
    confereFormaDoArquivo(cheque::arquivoCopia(d, "UM REAL"));
    return 0;
}
