#pragma once
// Reading a printed PDF back: words with their boxes (pdftotext -bbox), page rasters
// (pdftoppm), fonts (pdffonts). Boxes are in millimetres from the paper's top-left corner.

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace pdf {

struct Caixa {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0; // mm
};

struct Palavra {
    QString texto;
    Caixa caixa;
    int pagina = 0;
};

struct Documento {
    std::vector<Palavra> palavras;
    int paginas = 0;
    double largura = 0, altura = 0; // first page, mm
};

Documento le(const QString& arquivo);

// Every run of consecutive words that reads |frase| (words separated by one blank), as the
// union of their boxes, in reading order.
std::vector<Caixa> procura(const Documento& d, const QString& frase, int pagina = 0);

// Page |pagina| (from 1) at 10 pixels a millimetre, in colour.
QImage rasteriza(const QString& arquivo, int pagina = 1);

// The document's title (the print job's name).
QString titulo(const QString& arquivo);

// Font names embedded in the file.
QStringList fontes(const QString& arquivo);

} // namespace pdf
