#pragma once
// What the report draws on: a printer page of one platform. Positions and sizes are
// millimetres from the paper's top-left corner; texts are UTF-8.
//
// A canvas converts millimetres to device units itself (a QPainter on a printer or PDF
// writer, a GDI device context: GetDeviceCaps(LOGPIXELSX) / 25.4 device units a millimetre),
// makes fonts from family, size in points and weight on the device (on GDI a negative height
// of size * LOGPIXELSY / 72 and FW_BOLD), and measures texts there (GetTextExtentPoint32W,
// tmHeight + tmExternalLeading), so that the layout's anchoring and word wrap agree with what
// is printed.

#include <string>
#include <string_view>

namespace report {

struct Caixa {
    double esquerda = 0, topo = 0, largura = 0, altura = 0; // mm
};

enum class Alinhamento { Esquerda, Centro, Direita };

struct Fonte {
    // A canvas without this family uses a face of the same metrics.
    std::string familia = "Times New Roman";
    double tamanhoPt = 10;
    bool negrito = false;
};

class Tela {
public:
    virtual ~Tela() = default;

    // Width of one line of text on the device, mm.
    virtual double largura(std::string_view texto, const Fonte& fonte) = 0;
    // Distance from one line's top to the next one's, mm.
    virtual double entrelinha(const Fonte& fonte) = 0;

    // One line of black text on a transparent background, its top on the box's top, placed
    // across the box by the alignment. Nothing outside |recorte| is painted; without a clip
    // the text may run past its box.
    virtual void texto(const Caixa& caixa, std::string_view texto, const Fonte& fonte,
                       Alinhamento alinhamento, const Caixa* recorte) = 0;
    // A black line between two points, flat ends.
    virtual void linha(double x0, double y0, double x1, double y1, double espessura) = 0;
    // The outline of a rectangle, the pen centred on its edges, mitred corners.
    virtual void retangulo(const Caixa& caixa, double espessura) = 0;
    // A picture from its encoded bytes, stretched to the box without keeping proportions.
    // Bytes the canvas cannot decode leave the box empty.
    virtual void imagem(const Caixa& caixa, std::string_view bytes) = 0;
    // Ends the page and starts another one.
    virtual void novaPagina() = 0;
};

} // namespace report
