// The export's readers of the caller's texts, each given a buffer exactly as large as its
// contract allows (so ASan sees any read past it): a 1024-character buffer without a NUL, a
// short zero-terminated text, a counted string and a short text with its length byte. What
// they read then makes print files that must keep their form.

#include "FormaDosArquivos.h"
#include "PrintFiles.h"
#include "TextosDoChamador.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string entrada(reinterpret_cast<const char*>(dados), tamanho);
    const std::string ateNul = entrada.substr(0, entrada.find('\0'));

    // A full buffer that holds no terminator: read up to its end and no further.
    auto cheio = std::make_unique<char[]>(cheque::TamanhoBuffer);
    for (std::size_t i = 0; i < cheque::TamanhoBuffer; ++i)
        cheio[i] = tamanho ? entrada[i % tamanho] : 'x';
    const std::string lidoCheio = cheque::textoDeBuffer(cheio.get());
    if (lidoCheio.size() > cheque::TamanhoBuffer) std::abort();

    // A short zero-terminated text.
    auto curtoC = std::make_unique<char[]>(tamanho + 1);
    std::memcpy(curtoC.get(), entrada.data(), tamanho);
    curtoC[tamanho] = '\0';
    const std::string lidoC = cheque::textoDeBuffer(curtoC.get());
    if (lidoC != ateNul.substr(0, cheque::TamanhoBuffer)) std::abort();

    // A counted string: the length, then exactly that many characters; and a length of
    // zero or below, which reads as empty.
    auto contado = std::make_unique<char[]>(sizeof(std::int32_t) + tamanho);
    const auto n = static_cast<std::int32_t>(tamanho);
    std::memcpy(contado.get(), &n, sizeof n);
    std::memcpy(contado.get() + sizeof n, entrada.data(), tamanho);
    const std::string lidoContado = cheque::textoContado(contado.get() + sizeof n);
    if (lidoContado != entrada) std::abort();
    std::int32_t negativo = 0;
    if (tamanho >= sizeof negativo) std::memcpy(&negativo, entrada.data(), sizeof negativo);
    auto soTamanho = std::make_unique<char[]>(sizeof negativo);
    negativo = negativo > 0 ? -negativo : negativo;
    std::memcpy(soTamanho.get(), &negativo, sizeof negativo);
    if (!cheque::textoContado(soTamanho.get() + sizeof negativo).empty()) std::abort();

    // A short text: one length byte, at most 255 characters.
    const std::size_t m = std::min<std::size_t>(tamanho, 255);
    auto curto = std::make_unique<unsigned char[]>(1 + m);
    curto[0] = static_cast<unsigned char>(m);
    std::memcpy(curto.get() + 1, entrada.data(), m);
    const std::string lidoCurto = cheque::textoCurto(curto.get());
    if (lidoCurto != entrada.substr(0, m)) std::abort();

    if (!cheque::textoDeBuffer(nullptr).empty() || !cheque::textoContado(nullptr).empty() ||
        !cheque::textoCurto(nullptr).empty())
        std::abort();

    cheque::DadosCheque d;
    d.nomeBanco = lidoContado;
    d.portador = lidoC;
    d.cidade = lidoCheio;
    d.verso = lidoCheio;
    d.empresa = lidoCurto;
    d.valor = 1234.5;
    d.banco = 1;
    d.numero = 4321;
    d.data = 37685.0;
    confereFormaDoArquivo(cheque::arquivoFrente(d));
    confereFormaDoArquivo(cheque::arquivoVerso(d.verso));
    confereFormaDoArquivo(cheque::arquivoCopia(d, "UM REAL"));
    return 0;
}
