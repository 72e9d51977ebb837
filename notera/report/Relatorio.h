#pragma once
// A small banded report: one header band drawn once at the top of each page, with the
// element kinds a printed notice needs. Positions and sizes are millimetres from the top-left
// corner of the area inside the page margins; texts are UTF-8. Drawing goes through a
// canvas (Tela.h), which measures texts on its device.

#include "notera/report/Tela.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace report {

// Failures of the printer or of drawing, with the system's own text.
class Erro : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A canvas and where the band's origin lies on its paper.
struct Desenho {
    Tela& tela;
    double x = 0, y = 0; // mm
    Caixa naPagina(const Caixa& c) const {
        return {x + c.esquerda, y + c.topo, c.largura, c.altura};
    }
};

class Elemento {
public:
    Elemento(std::string nome, Caixa caixa) : nome(std::move(nome)), caixa(caixa) {}
    virtual ~Elemento() = default;
    virtual void desenha(const Desenho& d) const = 0;

    std::string nome;
    Caixa caixa;
    bool visivel = true;
};

// Width of the report's lines and outlines: 0.75 pt.
inline constexpr double EspessuraLinha = 0.75 * 25.4 / 72.0; // mm

// Rectangle outline inside its box.
class Forma : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Desenho& d) const override;
};

// A line: a horizontal one along the bottom edge of its box, a vertical one along the left
// edge.
class Linha : public Elemento {
public:
    enum class Direcao { Horizontal, Vertical };
    Linha(std::string nome, Caixa caixa, Direcao direcao)
        : Elemento(std::move(nome), caixa), direcao(direcao) {}
    void desenha(const Desenho& d) const override;

    Direcao direcao;
};

// One line of text. A fixed text is clipped to its box, cut with an ellipsis when wider;
// otherwise the box takes the width of the text, anchored by the alignment (left edge,
// centre or right edge stays where the design put it).
class Rotulo : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Desenho& d) const override;
    // The text as printed; a value element formats its number here.
    virtual std::string textoImpresso() const { return texto; }
    Fonte fonte() const;

    std::string texto;
    bool fixo = false;
    bool negrito = false;
    double tamanhoPt = 10;
    Alinhamento alinhamento = Alinhamento::Esquerda;
};

// A number shown through a display format (see formataNumero).
class Valor : public Rotulo {
public:
    using Rotulo::Rotulo;
    std::string textoImpresso() const override { return formataNumero(valor, formato); }
    // Sections "positive;negative" of literal text, "0" and "#" digits, "," for grouping
    // and "." for the decimals, printed in the Brazilian format. Throws Erro when the value
    // does not fit.
    static std::string formataNumero(double valor, const std::string& formato);

    double valor = 0;
    std::string formato; // empty: the whole number without grouping
};

// Several lines, word-wrapped at the box's width and clipped to the box.
class Memo : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Desenho& d) const override;

    std::vector<std::string> linhas;
    double tamanhoPt = 10;
};

// A picture read from its source when drawn (a database field), stretched to the box
// without keeping its proportions. No picture, or bytes the canvas cannot decode, leave the
// box empty.
class Imagem : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Desenho& d) const override;

    std::function<std::string()> fonte; // encoded bytes
};

// A group of elements hidden or shown as a whole. Its children keep band coordinates.
class Regiao : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Desenho& d) const override;
    template <class T, class... A> T& adiciona(A&&... args) {
        auto e = std::make_unique<T>(std::forward<A>(args)...);
        T& r = *e;
        elementos.push_back(std::move(e));
        return r;
    }

    std::vector<std::unique_ptr<Elemento>> elementos;
};

struct Pagina {
    // A4 portrait.
    double largura = 209.974, altura = 297.011;
    double margemSuperior = 6.35, margemEsquerda = 6.35, margemDireita = 6.35,
           margemInferior = 20.0;
};

struct Banda {
    double altura = 0;
    Regiao elementos{"banda", {}};
    // Runs just before the band is drawn.
    std::function<void()> antesDeImprimir;
};

class Relatorio {
public:
    Pagina pagina;
    Banda cabecalho;
    std::string nomeTrabalho = "Report";

    // The element of that name anywhere in the header band; null when there is none.
    Elemento* elemento(const std::string& nome) const;
    template <class T> T& em(const std::string& nome) const {
        auto* e = dynamic_cast<T*>(elemento(nome));
        if (!e) throw Erro("report element " + nome + " missing or of another kind");
        return *e;
    }

    // Draws |vezes| pages, one copy each, on a canvas whose first page is started.
    void desenha(Tela& tela, int vezes = 1);
};

// Lines of |paragrafo| at most |largura| mm wide, broken at blanks; a word wider than the
// line stands alone on its line.
std::vector<std::string> quebraLinhas(Tela& tela, const std::string& paragrafo, const Fonte& fonte,
                                      double largura);
// The text cut with an ellipsis so that it fits |largura| mm; the whole text when it fits.
std::string cortaComReticencias(Tela& tela, const std::string& texto, const Fonte& fonte,
                                double largura);

} // namespace report
