#include "Relatorio.h"

#include "base/Money.h"

#include <algorithm>
#include <cmath>

namespace report {

namespace {

constexpr std::string_view Reticencias = "\xE2\x80\xA6"; // U+2026

void desenhaTodos(const std::vector<std::unique_ptr<Elemento>>& elementos, const Desenho& d) {
    for (const auto& e : elementos)
        if (e->visivel) e->desenha(d);
}

Elemento* procura(const std::vector<std::unique_ptr<Elemento>>& elementos,
                  const std::string& nome) {
    for (const auto& e : elementos) {
        if (e->nome == nome) return e.get();
        if (auto* r = dynamic_cast<Regiao*>(e.get()))
            if (auto* achado = procura(r->elementos, nome)) return achado;
    }
    return nullptr;
}

// One line: control characters from stored texts print as blanks.
std::string umaLinha(std::string t) {
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return t;
}

bool continuacao(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

} // namespace

std::string cortaComReticencias(Tela& tela, const std::string& texto, const Fonte& fonte,
                                double largura) {
    if (tela.largura(texto, fonte) <= largura) return texto;
    // Cut between characters, never inside one; the widths grow with the prefix.
    std::vector<std::size_t> cortes;
    for (std::size_t i = 0; i < texto.size(); ++i)
        if (!continuacao(texto[i])) cortes.push_back(i);
    auto cabe = [&](std::size_t n) {
        return tela.largura(texto.substr(0, n) + std::string(Reticencias), fonte) <= largura;
    };
    if (!cabe(0)) return {};
    std::size_t baixo = 0, alto = cortes.size(); // cortes[baixo] fits, cortes[alto] does not
    while (alto - baixo > 1) {
        const std::size_t meio = (baixo + alto) / 2;
        (cabe(cortes[meio]) ? baixo : alto) = meio;
    }
    return texto.substr(0, cortes[baixo]) + std::string(Reticencias);
}

std::vector<std::string> quebraLinhas(Tela& tela, const std::string& paragrafo, const Fonte& fonte,
                                      double largura) {
    std::vector<std::string> linhas;
    std::string atual;
    bool vazia = true;
    std::size_t inicio = 0;
    while (true) {
        const std::size_t fim = paragrafo.find(' ', inicio);
        const std::string palavra =
            paragrafo.substr(inicio, fim == std::string::npos ? std::string::npos : fim - inicio);
        if (vazia) {
            atual = palavra;
            vazia = false;
        } else if (std::string junto = atual + ' ' + palavra;
                   tela.largura(junto, fonte) <= largura) {
            atual = std::move(junto);
        } else {
            linhas.push_back(std::move(atual));
            atual = palavra;
        }
        if (fim == std::string::npos) break;
        inicio = fim + 1;
    }
    linhas.push_back(std::move(atual));
    return linhas;
}

void Forma::desenha(const Desenho& d) const {
    // The pen lies inside the box.
    const double e = EspessuraLinha;
    const Caixa c = d.naPagina(caixa);
    d.tela.retangulo({c.esquerda + e / 2, c.topo + e / 2, c.largura - e, c.altura - e}, e);
}

void Linha::desenha(const Desenho& d) const {
    const double e = EspessuraLinha;
    const Caixa c = d.naPagina(caixa);
    const double direita = c.esquerda + c.largura, baixo = c.topo + c.altura;
    if (direcao == Direcao::Horizontal)
        d.tela.linha(c.esquerda, baixo - e / 2, direita, baixo - e / 2, e);
    else
        d.tela.linha(c.esquerda + e / 2, c.topo, c.esquerda + e / 2, baixo, e);
}

Fonte Rotulo::fonte() const {
    Fonte f;
    f.tamanhoPt = tamanhoPt;
    f.negrito = negrito;
    return f;
}

void Rotulo::desenha(const Desenho& d) const {
    const Fonte f = fonte();
    const std::string t = umaLinha(textoImpresso());
    Caixa c = d.naPagina(caixa);
    if (fixo) {
        // A text wider than its box is cut with an ellipsis inside it, never run past it.
        d.tela.texto(c, cortaComReticencias(d.tela, t, f, c.largura), f, alinhamento, &c);
        return;
    }
    const double largura = d.tela.largura(t, f);
    switch (alinhamento) {
    case Alinhamento::Direita:
        c.esquerda += c.largura - largura;
        break;
    case Alinhamento::Centro:
        c.esquerda += (c.largura - largura) / 2;
        break;
    case Alinhamento::Esquerda:
        break;
    }
    c.largura = largura;
    d.tela.texto(c, t, f, alinhamento, nullptr);
}

namespace {

std::size_t conta(std::string_view s, char c) {
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), c));
}

// One section of a display format applied to a magnitude: literal prefix and suffix, "0"
// digits always shown, "#" digits shown when significant, "," groups thousands.
std::string formataSecao(double magnitude, std::string_view secao, bool& zero) {
    const std::size_t inicio = secao.find_first_of("#0,.");
    const std::size_t fim = secao.find_last_of("#0,.");
    const bool semMascara = inicio == std::string_view::npos;
    const std::string_view prefixo = semMascara ? secao : secao.substr(0, inicio);
    const std::string_view sufixo = semMascara ? std::string_view() : secao.substr(fim + 1);
    const std::string_view mascara =
        semMascara ? std::string_view() : secao.substr(inicio, fim - inicio + 1);
    const std::size_t ponto = mascara.find('.');
    const std::string_view inteira = mascara.substr(0, ponto);
    const std::string_view fracao =
        ponto == std::string_view::npos ? std::string_view() : mascara.substr(ponto + 1);
    const std::size_t minimoDecimais = conta(fracao, '0');
    const std::size_t decimais = minimoDecimais + conta(fracao, '#');
    const std::size_t minimoInteiros = conta(inteira, '0');

    const auto n = base::roundScaled(magnitude, static_cast<int>(decimais));
    if (!n) throw Erro("value out of range for the display format");
    zero = *n == 0;
    std::string digitos = std::to_string(*n);
    if (digitos.size() < decimais + 1) digitos.insert(0, decimais + 1 - digitos.size(), '0');
    std::string parteInteira = digitos.substr(0, digitos.size() - decimais);
    std::string parteFracao = digitos.substr(digitos.size() - decimais);
    while (parteFracao.size() > minimoDecimais && parteFracao.back() == '0')
        parteFracao.pop_back();
    if (parteInteira == "0" && minimoInteiros == 0 && !mascara.empty()) parteInteira.clear();
    if (parteInteira.size() < minimoInteiros)
        parteInteira.insert(0, minimoInteiros - parteInteira.size(), '0');
    if (inteira.find(',') != std::string_view::npos)
        for (auto i = static_cast<std::ptrdiff_t>(parteInteira.size()) - 3; i > 0; i -= 3)
            parteInteira.insert(static_cast<std::size_t>(i), 1, '.');
    std::string r = std::string(prefixo) + parteInteira;
    if (!parteFracao.empty()) r += ',' + parteFracao;
    return r + std::string(sufixo);
}

} // namespace

std::string Valor::formataNumero(double valor, const std::string& formato) {
    if (formato.empty()) {
        const auto n = base::roundScaled(valor, 0);
        if (!n) throw Erro("value out of range for the display format");
        return std::to_string(*n);
    }
    // Positive and zero values take the first section; negative ones the second, which
    // writes its own sign, or the first after a "-". A value that rounds to zero is zero.
    const std::size_t separador = formato.find(';');
    const std::string_view primeira = std::string_view(formato).substr(0, separador);
    const std::string_view segunda =
        separador == std::string::npos
            ? std::string_view()
            : std::string_view(formato).substr(separador + 1,
                                               formato.find(';', separador + 1) - separador - 1);
    bool zero = false;
    const std::string positivo = formataSecao(std::fabs(valor), primeira, zero);
    if (valor >= 0 || zero) return positivo;
    if (!segunda.empty()) return formataSecao(std::fabs(valor), segunda, zero);
    return '-' + positivo;
}

void Memo::desenha(const Desenho& d) const {
    Fonte f;
    f.tamanhoPt = tamanhoPt;
    const Caixa c = d.naPagina(caixa);
    const double passo = d.tela.entrelinha(f);
    double topo = c.topo;
    for (const std::string& linha : linhas) {
        // A line of the memo may hold breaks of its own.
        std::size_t inicio = 0;
        while (true) {
            const std::size_t fim = linha.find_first_of("\r\n", inicio);
            const std::string paragrafo = umaLinha(linha.substr(inicio, fim - inicio));
            for (const std::string& l : quebraLinhas(d.tela, paragrafo, f, c.largura)) {
                if (topo >= c.topo + c.altura) return; // clipped away
                d.tela.texto({c.esquerda, topo, c.largura, passo}, l, f, Alinhamento::Esquerda, &c);
                topo += passo;
            }
            if (fim == std::string::npos) break;
            inicio = fim + (linha.compare(fim, 2, "\r\n") == 0 ? 2 : 1);
        }
    }
}

void Imagem::desenha(const Desenho& d) const {
    const std::string bytes = fonte ? fonte() : std::string();
    if (!bytes.empty()) d.tela.imagem(d.naPagina(caixa), bytes);
}

void Regiao::desenha(const Desenho& d) const {
    desenhaTodos(elementos, d);
}

Elemento* Relatorio::elemento(const std::string& nome) const {
    return procura(cabecalho.elementos.elementos, nome);
}

void Relatorio::desenha(Tela& tela, int vezes) {
    for (int i = 0; i < vezes; ++i) {
        if (i > 0) tela.novaPagina();
        if (cabecalho.antesDeImprimir) cabecalho.antesDeImprimir();
        cabecalho.elementos.desenha({tela, pagina.margemEsquerda, pagina.margemSuperior});
    }
}

} // namespace report
