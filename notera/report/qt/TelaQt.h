#pragma once
// The report's canvas on a QPainter: a printer, the PDF writer or an image. Millimetres
// become device units without rounding; fonts are made and measured on the device.

#include "notera/report/Tela.h"

#include <QFont>
#include <QPen>
#include <QRectF>

class QPainter;
class QPaintDevice;

namespace report {

class TelaQt : public Tela {
public:
    // |p| is active on |dispositivo|, its origin at the paper's top-left corner.
    TelaQt(QPainter& p, QPaintDevice& dispositivo);

    double largura(std::string_view texto, const Fonte& fonte) override;
    double entrelinha(const Fonte& fonte) override;
    void texto(const Caixa& caixa, std::string_view texto, const Fonte& fonte,
               Alinhamento alinhamento, const Caixa* recorte) override;
    void linha(double x0, double y0, double x1, double y1, double espessura) override;
    void retangulo(const Caixa& caixa, double espessura) override;
    void imagem(const Caixa& caixa, std::string_view bytes) override;
    // Throws Erro when the device has no pages or refuses one.
    void novaPagina() override;

private:
    QFont fonteQt(const Fonte& fonte) const;
    QRectF emPontos(const Caixa& c) const;
    QPen caneta(double espessura) const;

    QPainter& p_;
    QPaintDevice& dispositivo_;
    double pontosPorMm_;
};

// "Times New Roman" where installed, else a serif with the same metrics.
QString familiaSerifada();

} // namespace report
