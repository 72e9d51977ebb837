#include "Contas.h"

#include "base/Texto.h"

#include <limits>

namespace notera {

namespace {

bool posicao17(const std::string& configuracao, char32_t c) {
    return base::caractere(configuracao, 16) == c;
}

} // namespace

std::vector<std::string> SeparaNiveis(const std::string& estrutural) {
    std::vector<std::string> niveis{std::string()};
    for (char32_t c : base::decodifica(estrutural)) {
        if (c == '.' || c == '-') {
            niveis.emplace_back();
            continue;
        }
        base::anexa(niveis.back(), c <= ' ' ? U'0' : c);
    }
    return niveis;
}

bool EhSintetica(const std::string& estrutural) {
    const auto n = base::leInteiro64(SeparaNiveis(estrutural).back());
    // A level beyond a 32-bit whole number does not read as one.
    return !n || *n <= 0 || *n > std::numeric_limits<std::int32_t>::max();
}

std::string FormataReduzido(std::int64_t reduzido, const std::string& configuracao) {
    if (posicao17(configuracao, U'N')) return std::to_string(reduzido);
    const std::string preenchido = base::justificaDireita(std::to_string(reduzido), 4, '0');
    static constexpr int pesos[] = {5, 4, 3, 2};
    int soma = 0;
    for (int i = 0; i < 4; ++i) {
        const char c = preenchido[static_cast<std::size_t>(i)];
        soma += pesos[i] * (c >= '0' && c <= '9' ? c - '0' : 0);
    }
    const int d = 11 - soma % 11;
    const int digito = d >= 10 ? 0 : d;
    return std::to_string(reduzido) + '-' + std::to_string(digito);
}

TextoDeConta classificaTextoDeConta(const std::string& texto, const std::string& configuracao) {
    int pontos = 0;
    bool traco = false, estranho = false, digitoOuTraco = false;
    TextoDeConta r;
    char32_t anterior = 0;
    for (char32_t c : base::decodifica(texto)) {
        if (c == '.')
            ++pontos;
        else if (c == '-')
            traco = true;
        else if (c < '0' || c > '9')
            estranho = true;
        if (c == '-' || (c >= '0' && c <= '9')) digitoOuTraco = true;
        if (c >= '0' && c <= '9' && anterior != '-') r.digitosReduzidos += static_cast<char>(c);
        anterior = c;
    }
    const bool comTraco = posicao17(configuracao, U'S');
    if (estranho)
        r.busca = BuscaDeConta::Descricao;
    else if (pontos >= 2)
        r.busca = BuscaDeConta::Estrutural;
    else if (pontos == 0 && digitoOuTraco && traco == comTraco)
        r.busca = BuscaDeConta::Reduzido;
    else
        r.busca = BuscaDeConta::SoDialogo;
    return r;
}

} // namespace notera
