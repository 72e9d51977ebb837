#pragma once
// A small banded report renderer: one header band drawn once at the top of a single page,
// with the element kinds a printed notice needs. Positions and sizes are millimetres from
// the top-left corner of the area inside the page margins; drawing converts them to device
// units without rounding.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace report {

// Failures of the printer or of drawing, with the system's own text.
class Erro : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Caixa {
    double esquerda = 0, topo = 0, largura = 0, altura = 0; // mm
};

enum class Alinhamento { Esquerda, Centro, Direita };

// What drawing needs besides the painter: millimetres to device units, fonts measured on
// the device.
struct Pintor {
    QPainter& p;
    QPaintDevice& dispositivo;
    double pontosPorMm = 0;
    double x(double mm) const { return mm * pontosPorMm; }
};

class Elemento {
public:
    Elemento(QString nome, Caixa caixa) : nome(std::move(nome)), caixa(caixa) {}
    virtual ~Elemento() = default;
    virtual void desenha(const Pintor& pintor) const = 0;

    QString nome;
    Caixa caixa;
    bool visivel = true;
};

// Rectangle outline, 0.75 pt, inside its box.
class Forma : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Pintor& pintor) const override;
};

// A 0.75 pt line: a horizontal one along the bottom edge of its box, a vertical one along
// the left edge.
class Linha : public Elemento {
public:
    enum class Direcao { Horizontal, Vertical };
    Linha(QString nome, Caixa caixa, Direcao direcao)
        : Elemento(std::move(nome), caixa), direcao(direcao) {}
    void desenha(const Pintor& pintor) const override;

    Direcao direcao;
};

// One line of text, transparent background, black. A fixed text is clipped to its box;
// otherwise the box takes the width of the text, anchored by the alignment (left edge,
// centre or right edge stays where the design put it).
class Rotulo : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Pintor& pintor) const override;
    // The text as printed; a value element formats its number here.
    virtual QString textoImpresso() const { return texto; }

    QString texto;
    bool fixo = false;
    bool negrito = false;
    double tamanhoPt = 10;
    Alinhamento alinhamento = Alinhamento::Esquerda;
};

// A number shown through a display format (see formataNumero).
class Valor : public Rotulo {
public:
    using Rotulo::Rotulo;
    QString textoImpresso() const override { return formataNumero(valor, formato); }
    static QString formataNumero(double valor, const QString& formato);

    double valor = 0;
    QString formato; // empty: the whole number without grouping
};

// Several lines, word-wrapped inside the box and clipped to it.
class Memo : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Pintor& pintor) const override;

    QStringList linhas;
    double tamanhoPt = 10;
};

// A picture read from its source when drawn (a database field), stretched to the box
// without keeping its proportions. No picture, or bytes no image reader understands,
// leave the box empty.
class Imagem : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Pintor& pintor) const override;

    std::function<QByteArray()> fonte;
};

// A group of elements hidden or shown as a whole. Its children keep band coordinates.
class Regiao : public Elemento {
public:
    using Elemento::Elemento;
    void desenha(const Pintor& pintor) const override;
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
    Regiao elementos{QStringLiteral("banda"), {}};
    // Runs just before the band is drawn.
    std::function<void()> antesDeImprimir;
};

class Relatorio {
public:
    Pagina pagina;
    Banda cabecalho;
    QString nomeTrabalho = QStringLiteral("Report");

    // The element of that name anywhere in the header band; null when there is none.
    Elemento* elemento(const QString& nome) const;
    template <class T> T& em(const QString& nome) const {
        auto* e = dynamic_cast<T*>(elemento(nome));
        if (!e) throw Erro("report element " + nome.toStdString() + " missing or of another kind");
        return *e;
    }

    // Sets up the printer's page, job name and copies. Copies that the device cannot make
    // itself are drawn as separate pages by imprimeEm.
    void configura(QPrinter& impressora, int copias) const;
    // Draws the page onto a printer configured by configura(); throws Erro.
    void imprimeEm(QPrinter& impressora);
    // Draws the header band on a painter that is active on the device, origin at the
    // top-left corner inside the margins.
    void desenha(QPainter& p, QPaintDevice& dispositivo);

    // Shows the print dialog and prints: false when the user cancels. Throws Erro.
    bool imprime(QWidget* pai = nullptr);
};

// "Times New Roman" where installed, else a serif with the same metrics.
QString familiaSerifada();

} // namespace report
