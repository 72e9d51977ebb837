#include "TelaGdi.h"

#include "Largo.h"
#include "notera/report/Relatorio.h"

#include <gdiplus.h>
#include <shlwapi.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace report {

namespace {

int arredonda(double v) {
    return static_cast<int>(std::lround(v));
}

// A picture decoded to 32-bit pixels, top row first, already over a white paper.
struct Pixels {
    int largura = 0, altura = 0;
    std::vector<std::uint32_t> bgr;
};

std::optional<Pixels> decodifica(std::string_view bytes) {
    namespace gp = Gdiplus;
    gp::GdiplusStartupInput entrada;
    ULONG_PTR ficha = 0;
    if (gp::GdiplusStartup(&ficha, &entrada, nullptr) != gp::Ok) return std::nullopt;
    struct Fim {
        ULONG_PTR ficha;
        ~Fim() { gp::GdiplusShutdown(ficha); }
    } fim{ficha};

    std::unique_ptr<IStream, void (*)(IStream*)> fluxo(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<UINT>(bytes.size())),
        [](IStream* s) {
            if (s) s->Release();
        });
    if (!fluxo) return std::nullopt;
    gp::GpBitmap* bruto = nullptr;
    if (gp::DllExports::GdipCreateBitmapFromStream(fluxo.get(), &bruto) != gp::Ok || !bruto)
        return std::nullopt;
    std::unique_ptr<gp::GpBitmap, void (*)(gp::GpBitmap*)> bitmap(
        bruto, [](gp::GpBitmap* b) { gp::DllExports::GdipDisposeImage(b); });

    UINT l = 0, a = 0;
    gp::DllExports::GdipGetImageWidth(bitmap.get(), &l);
    gp::DllExports::GdipGetImageHeight(bitmap.get(), &a);
    if (l == 0 || a == 0) return std::nullopt;
    const gp::Rect todo(0, 0, static_cast<INT>(l), static_cast<INT>(a));
    gp::BitmapData dados{};
    if (gp::DllExports::GdipBitmapLockBits(bitmap.get(), &todo, gp::ImageLockModeRead,
                                           PixelFormat32bppARGB, &dados) != gp::Ok)
        return std::nullopt;
    Pixels p;
    p.largura = static_cast<int>(l);
    p.altura = static_cast<int>(a);
    p.bgr.resize(static_cast<std::size_t>(l) * a);
    for (UINT linha = 0; linha < a; ++linha) {
        const auto* origem = reinterpret_cast<const std::uint32_t*>(
            static_cast<const BYTE*>(dados.Scan0) +
            static_cast<std::ptrdiff_t>(linha) * dados.Stride);
        for (UINT col = 0; col < l; ++col) {
            // Transparent parts show the paper.
            const std::uint32_t argb = origem[col];
            const unsigned alfa = argb >> 24;
            auto canal = [&](int desloca) {
                const unsigned c = (argb >> desloca) & 0xFF;
                return (c * alfa + 255 * (255 - alfa) + 127) / 255;
            };
            p.bgr[static_cast<std::size_t>(linha) * l + col] =
                (canal(16) << 16) | (canal(8) << 8) | canal(0);
        }
    }
    gp::DllExports::GdipBitmapUnlockBits(bitmap.get(), &dados);
    return p;
}

} // namespace

TelaGdi::TelaGdi(HDC dc)
    : dc_(dc), estado_(::SaveDC(dc)), porMmX_(::GetDeviceCaps(dc, LOGPIXELSX) / 25.4),
      porMmY_(::GetDeviceCaps(dc, LOGPIXELSY) / 25.4),
      deslocaX_(::GetDeviceCaps(dc, PHYSICALOFFSETX)),
      deslocaY_(::GetDeviceCaps(dc, PHYSICALOFFSETY)) {
    ::SetMapMode(dc_, MM_TEXT);
    ::SetBkMode(dc_, TRANSPARENT);
    ::SetTextColor(dc_, RGB(0, 0, 0));
    ::SetTextAlign(dc_, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ::SelectObject(dc_, ::GetStockObject(NULL_BRUSH));
}

TelaGdi::~TelaGdi() {
    // Nothing of ours may stay selected when it is deleted.
    ::RestoreDC(dc_, estado_);
    for (auto& [chave, f] : fontes_)
        ::DeleteObject(f);
    for (auto& [largura, c] : canetas_)
        ::DeleteObject(c);
}

int TelaGdi::x(double mm) const {
    return arredonda(mm * porMmX_) - deslocaX_;
}

int TelaGdi::y(double mm) const {
    return arredonda(mm * porMmY_) - deslocaY_;
}

RECT TelaGdi::emUnidades(const Caixa& c) const {
    return {x(c.esquerda), y(c.topo), x(c.esquerda + c.largura), y(c.topo + c.altura)};
}

HFONT TelaGdi::fonteGdi(const Fonte& fonte) {
    const auto chave = std::make_tuple(fonte.familia, fonte.tamanhoPt, fonte.negrito);
    if (auto i = fontes_.find(chave); i != fontes_.end()) return i->second;
    LOGFONTW lf{};
    // A negative height asks for the character's em height, the size in points.
    lf.lfHeight = -arredonda(fonte.tamanhoPt * ::GetDeviceCaps(dc_, LOGPIXELSY) / 72.0);
    lf.lfWeight = fonte.negrito ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = PROOF_QUALITY;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_ROMAN;
    const std::wstring familia = win32::largo(fonte.familia);
    lstrcpynW(lf.lfFaceName, familia.c_str(), LF_FACESIZE);
    HFONT f = ::CreateFontIndirectW(&lf);
    if (!f) throw Erro("the printer has no font for " + fonte.familia);
    fontes_.emplace(chave, f);
    return f;
}

HPEN TelaGdi::caneta(double espessura) {
    const int largura = std::max(1, arredonda(espessura * porMmX_));
    if (auto i = canetas_.find(largura); i != canetas_.end()) return i->second;
    const LOGBRUSH preto{BS_SOLID, RGB(0, 0, 0), 0};
    HPEN c = ::ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT | PS_JOIN_MITER,
                            static_cast<DWORD>(largura), &preto, 0, nullptr);
    if (!c) throw Erro("the printer refused a pen");
    canetas_.emplace(largura, c);
    return c;
}

double TelaGdi::largura(std::string_view texto, const Fonte& fonte) {
    ::SelectObject(dc_, fonteGdi(fonte));
    const std::wstring t = win32::largo(texto);
    SIZE s{};
    ::GetTextExtentPoint32W(dc_, t.c_str(), static_cast<int>(t.size()), &s);
    return s.cx / porMmX_;
}

double TelaGdi::entrelinha(const Fonte& fonte) {
    ::SelectObject(dc_, fonteGdi(fonte));
    TEXTMETRICW m{};
    ::GetTextMetricsW(dc_, &m);
    return (m.tmHeight + m.tmExternalLeading) / porMmY_;
}

void TelaGdi::texto(const Caixa& caixa, std::string_view texto, const Fonte& fonte,
                    Alinhamento alinhamento, const Caixa* recorte) {
    ::SelectObject(dc_, fonteGdi(fonte));
    const std::wstring t = win32::largo(texto);
    SIZE s{};
    ::GetTextExtentPoint32W(dc_, t.c_str(), static_cast<int>(t.size()), &s);
    const RECT r = emUnidades(caixa);
    int esquerda = r.left;
    switch (alinhamento) {
    case Alinhamento::Centro:
        esquerda = r.left + (r.right - r.left - s.cx) / 2;
        break;
    case Alinhamento::Direita:
        esquerda = r.right - s.cx;
        break;
    case Alinhamento::Esquerda:
        break;
    }
    RECT corte{};
    if (recorte) corte = emUnidades(*recorte);
    ::ExtTextOutW(dc_, esquerda, r.top, recorte ? ETO_CLIPPED : 0, recorte ? &corte : nullptr,
                  t.c_str(), static_cast<UINT>(t.size()), nullptr);
}

void TelaGdi::linha(double x0, double y0, double x1, double y1, double espessura) {
    ::SelectObject(dc_, caneta(espessura));
    ::MoveToEx(dc_, x(x0), y(y0), nullptr);
    ::LineTo(dc_, x(x1), y(y1));
}

void TelaGdi::retangulo(const Caixa& caixa, double espessura) {
    // One closed figure, so that every corner is mitred and the pen is centred on the edges.
    ::SelectObject(dc_, caneta(espessura));
    ::SelectObject(dc_, ::GetStockObject(NULL_BRUSH));
    const RECT r = emUnidades(caixa);
    ::BeginPath(dc_);
    ::MoveToEx(dc_, r.left, r.top, nullptr);
    ::LineTo(dc_, r.right, r.top);
    ::LineTo(dc_, r.right, r.bottom);
    ::LineTo(dc_, r.left, r.bottom);
    ::CloseFigure(dc_);
    ::EndPath(dc_);
    ::StrokePath(dc_);
}

void TelaGdi::imagem(const Caixa& caixa, std::string_view bytes) {
    const auto p = decodifica(bytes);
    if (!p) return;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = p->largura;
    info.bmiHeader.biHeight = -p->altura; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const RECT r = emUnidades(caixa);
    // Each source pixel a block of its own, as the picture is drawn on Linux.
    ::SetStretchBltMode(dc_, COLORONCOLOR);
    ::StretchDIBits(dc_, r.left, r.top, r.right - r.left, r.bottom - r.top, 0, 0, p->largura,
                    p->altura, p->bgr.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

void TelaGdi::novaPagina() {
    if (::EndPage(dc_) <= 0 || ::StartPage(dc_) <= 0) throw Erro("the printer refused a new page");
}

} // namespace report
