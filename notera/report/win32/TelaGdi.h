#pragma once
// The report's canvas on a GDI device context: a printer's page between StartPage and
// EndPage, or a memory DC. Millimetres become device units by the device's LOGPIXELSX/Y,
// measured from the paper's corner: a printer's origin is the corner of its printable area,
// PHYSICALOFFSETX/Y inside the paper.

#include "notera/report/Tela.h"

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

namespace report {

class TelaGdi : public Tela {
public:
    // |dc| stays the caller's; the canvas restores what it selected into it when destroyed.
    explicit TelaGdi(HDC dc);
    ~TelaGdi() override;
    TelaGdi(const TelaGdi&) = delete;
    TelaGdi& operator=(const TelaGdi&) = delete;

    double largura(std::string_view texto, const Fonte& fonte) override;
    double entrelinha(const Fonte& fonte) override;
    void texto(const Caixa& caixa, std::string_view texto, const Fonte& fonte,
               Alinhamento alinhamento, const Caixa* recorte) override;
    void linha(double x0, double y0, double x1, double y1, double espessura) override;
    void retangulo(const Caixa& caixa, double espessura) override;
    // Any format GDI+ decodes (BMP, PNG, JPEG, GIF), drawn with StretchDIBits.
    void imagem(const Caixa& caixa, std::string_view bytes) override;
    // EndPage and StartPage; throws Erro when the device refuses either.
    void novaPagina() override;

    // Device units of a position in millimetres from the paper's corner.
    int x(double mm) const;
    int y(double mm) const;

private:
    HFONT fonteGdi(const Fonte& fonte);
    HPEN caneta(double espessura);
    RECT emUnidades(const Caixa& c) const;

    HDC dc_;
    int estado_;
    double porMmX_, porMmY_;
    int deslocaX_, deslocaY_;
    std::map<std::tuple<std::string, double, bool>, HFONT> fontes_;
    std::map<int, HPEN> canetas_;
};

} // namespace report
