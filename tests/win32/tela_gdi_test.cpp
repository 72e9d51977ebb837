// The GDI canvas on a memory DC, read back by its pixels, and on the PostScript printer, and
// the print dialog answered by a robot thread as the host answers it.

#include "RoboImpressao.h"

#include "host/win32/ImpressoraArquivo.h"
#include "notera/report/Relatorio.h"
#include "notera/report/win32/ImpressaoWin32.h"
#include "notera/report/win32/TelaGdi.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

using report::Alinhamento;
using report::Caixa;

// A white 32-bit bitmap of 200 x 150 mm at the screen's resolution, selected into a memory DC.
class Folha {
public:
    Folha() : dc_(::CreateCompatibleDC(nullptr)) {
        dpiX_ = ::GetDeviceCaps(dc_, LOGPIXELSX);
        dpiY_ = ::GetDeviceCaps(dc_, LOGPIXELSY);
        largura_ = static_cast<int>(200 * dpiX_ / 25.4);
        altura_ = static_cast<int>(150 * dpiY_ / 25.4);
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = largura_;
        bi.bmiHeader.biHeight = -altura_;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        bmp_ = ::CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits_, nullptr, 0);
        antigo_ = ::SelectObject(dc_, bmp_);
        std::memset(bits_, 0xFF, static_cast<std::size_t>(largura_) * altura_ * 4);
    }
    ~Folha() {
        ::SelectObject(dc_, antigo_);
        ::DeleteObject(bmp_);
        ::DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    // Pixel under a point in millimetres, 0xRRGGBB; white outside.
    std::uint32_t cor(double xmm, double ymm) const {
        ::GdiFlush();
        const int x = static_cast<int>(std::floor(xmm * dpiX_ / 25.4));
        const int y = static_cast<int>(std::floor(ymm * dpiY_ / 25.4));
        if (x < 0 || y < 0 || x >= largura_ || y >= altura_) return 0xFFFFFF;
        return static_cast<const std::uint32_t*>(bits_)[y * largura_ + x] & 0xFFFFFF;
    }
    bool escura(double xmm, double ymm) const {
        const std::uint32_t c = cor(xmm, ymm);
        return ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) < 3 * 110;
    }
    // The box, in millimetres, of every dark pixel; nothing when there is none.
    std::optional<Caixa> tinta() const {
        ::GdiFlush();
        int x0 = largura_, y0 = altura_, x1 = -1, y1 = -1;
        const auto* p = static_cast<const std::uint32_t*>(bits_);
        for (int y = 0; y < altura_; ++y)
            for (int x = 0; x < largura_; ++x) {
                const std::uint32_t c = p[y * largura_ + x];
                if (((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) < 3 * 110) {
                    x0 = std::min(x0, x), x1 = std::max(x1, x);
                    y0 = std::min(y0, y), y1 = std::max(y1, y);
                }
            }
        if (x1 < 0) return std::nullopt;
        const double mx = 25.4 / dpiX_, my = 25.4 / dpiY_;
        return Caixa{x0 * mx, y0 * my, (x1 + 1 - x0) * mx, (y1 + 1 - y0) * my};
    }
    double pixelMm() const { return 25.4 / dpiX_; }

private:
    HDC dc_;
    int dpiX_ = 96, dpiY_ = 96, largura_ = 0, altura_ = 0;
    HBITMAP bmp_ = nullptr;
    HGDIOBJ antigo_ = nullptr;
    void* bits_ = nullptr;
};

// --- Lines and outlines ---------------------------------------------------------------------

struct CasoLinha {
    const char* nome;
    double x0, y0, x1, y1;
};

class Linha : public ::testing::TestWithParam<CasoLinha> {};

TEST_P(Linha, NoLugarEmMilimetrosComPontasRetas) {
    const auto& c = GetParam();
    Folha f;
    {
        report::TelaGdi t(f.dc());
        t.linha(c.x0, c.y0, c.x1, c.y1, 0.8);
    }
    const auto tinta = f.tinta();
    ASSERT_TRUE(tinta);
    const double px = f.pixelMm();
    const bool horizontal = c.y0 == c.y1;
    // Along the line: from one end to the other, flat ends (no cap beyond the points).
    const double comeco = horizontal ? tinta->esquerda : tinta->topo;
    const double fim = comeco + (horizontal ? tinta->largura : tinta->altura);
    EXPECT_NEAR(comeco, horizontal ? c.x0 : c.y0, 2 * px);
    EXPECT_NEAR(fim, horizontal ? c.x1 : c.y1, 2 * px);
    // Across: 0.8 mm centred on the line.
    const double meio =
        horizontal ? tinta->topo + tinta->altura / 2 : tinta->esquerda + tinta->largura / 2;
    EXPECT_NEAR(meio, horizontal ? c.y0 : c.x0, 1.5 * px);
    EXPECT_NEAR(horizontal ? tinta->altura : tinta->largura, 0.8, 1.5 * px);
}

INSTANTIATE_TEST_SUITE_P(Tela, Linha,
                         ::testing::Values(CasoLinha{"Horizontal", 10, 20, 60, 20},
                                           CasoLinha{"Vertical", 150, 30, 150, 120},
                                           CasoLinha{"PertoDoCanto", 2, 3, 40, 3}),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST(Tela, RetanguloContornoCentradoNasBordas) {
    Folha f;
    {
        report::TelaGdi t(f.dc());
        t.retangulo({20, 30, 100, 50}, 1.0);
    }
    const auto tinta = f.tinta();
    ASSERT_TRUE(tinta);
    const double px = f.pixelMm();
    EXPECT_NEAR(tinta->esquerda, 19.5, 1.5 * px);
    EXPECT_NEAR(tinta->topo, 29.5, 1.5 * px);
    EXPECT_NEAR(tinta->largura, 101, 2 * px);
    EXPECT_NEAR(tinta->altura, 51, 2 * px);
    EXPECT_TRUE(f.escura(20, 55));
    EXPECT_TRUE(f.escura(120, 55));
    EXPECT_TRUE(f.escura(70, 30));
    EXPECT_TRUE(f.escura(70, 80));
    // Outline only, and the corners closed.
    EXPECT_FALSE(f.escura(70, 55));
    EXPECT_TRUE(f.escura(19.7, 29.7));
    EXPECT_TRUE(f.escura(120.3, 80.3));
}

TEST(Tela, PenasGrossasPontasRetasECantosEmEsquadria) {
    Folha f;
    {
        report::TelaGdi t(f.dc());
        t.linha(20, 20, 80, 20, 4.0);
        t.retangulo({40, 60, 100, 50}, 4.0);
    }
    // Flat ends: nothing past the end points, where a square or round cap would reach 2 mm.
    EXPECT_TRUE(f.escura(21, 20));
    EXPECT_TRUE(f.escura(79, 20));
    EXPECT_FALSE(f.escura(19, 20));
    EXPECT_FALSE(f.escura(81, 20));
    EXPECT_TRUE(f.escura(50, 18.3));
    EXPECT_FALSE(f.escura(50, 22.6));
    // Mitred corners: the outer corner of the outline is square, where a bevel or a round
    // join would leave it white.
    EXPECT_TRUE(f.escura(40 - 1.7, 60 - 1.7));
    EXPECT_TRUE(f.escura(140 + 1.7, 60 - 1.7));
    EXPECT_TRUE(f.escura(140 + 1.7, 110 + 1.7));
    EXPECT_TRUE(f.escura(40 - 1.7, 110 + 1.7));
    EXPECT_FALSE(f.escura(40 - 2.5, 60 - 2.5));
}

// --- Texts ----------------------------------------------------------------------------------

struct CasoTexto {
    const char* nome;
    Alinhamento alinhamento;
};

class Texto : public ::testing::TestWithParam<CasoTexto> {};

TEST_P(Texto, AncoradoNaCaixaEMedidoNoDispositivo) {
    const Alinhamento a = GetParam().alinhamento;
    Folha f;
    report::Fonte fonte;
    fonte.tamanhoPt = 24;
    fonte.negrito = true;
    const Caixa caixa{30, 40, 120, 12};
    double largura = 0, entrelinha = 0;
    {
        report::TelaGdi t(f.dc());
        largura = t.largura("HHHHH", fonte);
        entrelinha = t.entrelinha(fonte);
        t.texto(caixa, "HHHHH", fonte, a, nullptr);
    }
    const auto tinta = f.tinta();
    ASSERT_TRUE(tinta);
    // 24 pt: a line is about 24 * 1.15 pt, and five capitals several millimetres wide.
    EXPECT_NEAR(entrelinha, 24 * 25.4 / 72 * 1.15, 1.0);
    EXPECT_GT(largura, 20);
    EXPECT_NEAR(tinta->largura, largura, 1.5);
    const double px = f.pixelMm();
    switch (a) {
    case Alinhamento::Esquerda:
        EXPECT_NEAR(tinta->esquerda, caixa.esquerda, 0.8 + px);
        break;
    case Alinhamento::Direita:
        EXPECT_NEAR(tinta->esquerda + tinta->largura, caixa.esquerda + caixa.largura, 0.8 + px);
        break;
    case Alinhamento::Centro:
        EXPECT_NEAR(tinta->esquerda + tinta->largura / 2, caixa.esquerda + caixa.largura / 2,
                    0.5 + px);
        break;
    }
    // The line's top on the box's top: the capitals start below it, within the line.
    EXPECT_GE(tinta->topo, caixa.topo - px);
    EXPECT_LT(tinta->topo, caixa.topo + entrelinha / 2);
    EXPECT_LT(tinta->topo + tinta->altura, caixa.topo + entrelinha);
}

INSTANTIATE_TEST_SUITE_P(Tela, Texto,
                         ::testing::Values(CasoTexto{"Esquerda", Alinhamento::Esquerda},
                                           CasoTexto{"Centro", Alinhamento::Centro},
                                           CasoTexto{"Direita", Alinhamento::Direita}),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST(Tela, TextoRecortadoNaoPassaDoRecorte) {
    Folha f;
    report::Fonte fonte;
    fonte.tamanhoPt = 24;
    const Caixa caixa{10, 10, 150, 12}, recorte{10, 10, 15, 12};
    {
        report::TelaGdi t(f.dc());
        ASSERT_GT(t.largura("HHHHHHHHHH", fonte), 40);
        t.texto(caixa, "HHHHHHHHHH", fonte, Alinhamento::Esquerda, &recorte);
    }
    const auto tinta = f.tinta();
    ASSERT_TRUE(tinta);
    EXPECT_NEAR(tinta->esquerda, 10, 1.0);
    EXPECT_LE(tinta->esquerda + tinta->largura, 25 + f.pixelMm());
    EXPECT_GT(tinta->largura, 10);
}

TEST(Tela, AcentosEmUtf8) {
    Folha f;
    report::Fonte fonte;
    double comAcento = 0, semAcento = 0;
    {
        report::TelaGdi t(f.dc());
        // One character each: "Ç" is as wide as "C", not two bytes' worth of glyphs.
        comAcento = t.largura("\xC3\x87\xC3\x87\xC3\x87", fonte);
        semAcento = t.largura("CCC", fonte);
    }
    EXPECT_NEAR(comAcento, semAcento, 0.05);
}

// --- Pictures -------------------------------------------------------------------------------

// A 2 x 1 picture: the left pixel red, the right one blue.
std::string bmpVermelhoAzul() {
    std::string b;
    auto u16 = [&](std::uint16_t v) { b.append(reinterpret_cast<const char*>(&v), 2); };
    auto u32 = [&](std::uint32_t v) { b.append(reinterpret_cast<const char*>(&v), 4); };
    b += "BM";
    u32(54 + 8);
    u32(0);
    u32(54);
    u32(40);
    u32(2);
    u32(1);
    u16(1);
    u16(24);
    u32(0);
    u32(8);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    b += std::string("\x00\x00\xFF\xFF\x00\x00\x00\x00", 8); // BGR red, BGR blue, padding
    return b;
}

std::string pngVermelhoAzul() {
    const unsigned char png[] = {
        0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
        0x44, 0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
        0x00, 0x7b, 0x40, 0xe8, 0xdd, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x44, 0x41, 0x54, 0x78,
        0x9c, 0x63, 0xf8, 0xcf, 0x00, 0x04, 0xff, 0x01, 0x07, 0x00, 0x01, 0xff, 0xe2, 0x23,
        0x9e, 0x59, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
    return std::string(reinterpret_cast<const char*>(png), sizeof(png));
}

struct CasoImagem {
    const char* nome;
    std::string (*bytes)();
};

class Imagem : public ::testing::TestWithParam<CasoImagem> {};

TEST_P(Imagem, EsticadaNaCaixa) {
    Folha f;
    const Caixa caixa{20, 30, 80, 40};
    {
        report::TelaGdi t(f.dc());
        t.imagem(caixa, GetParam().bytes());
    }
    auto perto = [](std::uint32_t c, std::uint32_t quer) {
        int soma = 0;
        for (int d : {0, 8, 16})
            soma += std::abs(static_cast<int>(c >> d & 0xFF) - static_cast<int>(quer >> d & 0xFF));
        return soma < 60;
    };
    for (double y : {31.0, 50.0, 69.0}) {
        EXPECT_TRUE(perto(f.cor(21, y), 0xFF0000)) << std::hex << f.cor(21, y);
        EXPECT_TRUE(perto(f.cor(40, y), 0xFF0000)) << std::hex << f.cor(40, y);
        EXPECT_TRUE(perto(f.cor(80, y), 0x0000FF)) << std::hex << f.cor(80, y);
        EXPECT_TRUE(perto(f.cor(99, y), 0x0000FF)) << std::hex << f.cor(99, y);
    }
    EXPECT_EQ(f.cor(19, 50), 0xFFFFFFu);
    EXPECT_EQ(f.cor(101, 50), 0xFFFFFFu);
    EXPECT_EQ(f.cor(50, 29), 0xFFFFFFu);
    EXPECT_EQ(f.cor(50, 71), 0xFFFFFFu);
}

INSTANTIATE_TEST_SUITE_P(Tela, Imagem,
                         ::testing::Values(CasoImagem{"Bmp", &bmpVermelhoAzul},
                                           CasoImagem{"Png", &pngVermelhoAzul}),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST(Tela, BytesQueNaoSaoImagemDeixamACaixaVazia) {
    Folha f;
    {
        report::TelaGdi t(f.dc());
        t.imagem({20, 30, 80, 40}, std::string("\x89PNG\r\n", 6));
        t.imagem({20, 30, 80, 40}, "not a picture at all");
    }
    EXPECT_FALSE(f.tinta());
    EXPECT_EQ(f.cor(50, 50), 0xFFFFFFu);
}

// --- The printer --------------------------------------------------------------------------

class Impressora : public ::testing::Test {
protected:
    void SetUp() override {
        std::string erro;
        ASSERT_TRUE(host::garanteImpressoraPostScript(erro)) << erro;
    }
};

TEST_F(Impressora, GaranteImpressoraUmaVezSo) {
    std::string erro;
    ASSERT_TRUE(host::garanteImpressoraPostScript(erro)) << erro;
    int vistas = 0;
    DWORD precisa = 0, n = 0;
    ::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, nullptr, 0, &precisa, &n);
    std::vector<BYTE> buf(precisa);
    ASSERT_TRUE(::EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, buf.data(), precisa, &precisa, &n));
    const auto* p = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
    for (DWORD i = 0; i < n; ++i)
        if (std::wstring_view(p[i].pPrinterName) == L"Notera PostScript") {
            ++vistas;
            EXPECT_EQ(std::wstring_view(p[i].pPortName), L"FILE:");
        }
    EXPECT_EQ(vistas, 1);
}

TEST_F(Impressora, MilimetrosDoCantoDoPapelNoDispositivo) {
    HDC dc = ::CreateDCW(L"WINSPOOL", L"Notera PostScript", nullptr, nullptr);
    ASSERT_TRUE(dc);
    const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX), dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
    const int offX = ::GetDeviceCaps(dc, PHYSICALOFFSETX),
              offY = ::GetDeviceCaps(dc, PHYSICALOFFSETY);
    // This printer's page has an unprintable edge: the device's origin is not the paper's.
    EXPECT_GT(offX, 0);
    EXPECT_GT(offY, 0);
    EXPECT_NEAR(::GetDeviceCaps(dc, PHYSICALWIDTH) * 25.4 / dpiX, 210, 0.5);
    {
        report::TelaGdi t(dc);
        EXPECT_EQ(t.x(0), -offX);
        EXPECT_EQ(t.y(0), -offY);
        EXPECT_EQ(t.x(25.4), dpiX - offX);
        EXPECT_EQ(t.y(50.8), 2 * dpiY - offY);
        // Measured on the device: 10 pt text is a few millimetres, whatever the resolution.
        report::Fonte fonte;
        EXPECT_NEAR(t.entrelinha(fonte), 10 * 25.4 / 72 * 1.15, 0.6);
        EXPECT_NEAR(t.largura("HHHHHHHHHH", fonte), 10 * 0.722 * 10 * 25.4 / 72, 3.0);
    }
    ::DeleteDC(dc);
}

// A one-page report with a title.
report::Relatorio relatorioSimples() {
    report::Relatorio r;
    r.nomeTrabalho = "Teste";
    auto& t =
        r.cabecalho.elementos.adiciona<report::Rotulo>("titulo", report::Caixa{10, 10, 100, 5});
    t.texto = "TITULO DO TESTE";
    r.cabecalho.elementos.adiciona<report::Forma>("caixa", report::Caixa{5, 5, 150, 50});
    return r;
}

std::size_t conta(const std::string& s, const std::string& parte) {
    std::size_t n = 0;
    for (auto i = s.find(parte); i != std::string::npos; i = s.find(parte, i + 1))
        ++n;
    return n;
}

TEST_F(Impressora, DialogoMostraOPropostoECancelaSemImprimir) {
    teste::RoboImpressao robo(::GetCurrentThreadId(), {teste::cancela()});
    auto r = relatorioSimples();
    report::ImpressaoWin32 impressao;
    EXPECT_FALSE(impressao.imprime(r, 3));
    const auto vistos = robo.vistos();
    ASSERT_EQ(vistos.size(), 1u);
    const auto& v = vistos[0];
    EXPECT_EQ(v.titulo, L"Imprimir");
    EXPECT_EQ(v.copias, L"3");
    EXPECT_FALSE(v.emArquivo);
    EXPECT_FALSE(v.arquivoHabilitado);
    EXPECT_NE(std::find(v.impressoras.begin(), v.impressoras.end(), L"Notera PostScript"),
              v.impressoras.end());
    // The default printer is the one proposed.
    wchar_t padrao[256] = {};
    DWORD n = 256;
    if (::GetDefaultPrinterW(padrao, &n))
        EXPECT_EQ(v.impressora, padrao);
    else
        EXPECT_EQ(v.impressora, v.impressoras.front());
    EXPECT_TRUE(robo.falhas().empty());
}

struct CasoCopias {
    const char* nome;
    const wchar_t* copias;
    std::size_t paginas;
};

class Copias : public Impressora, public ::testing::WithParamInterface<CasoCopias> {};

TEST_P(Copias, NoArquivoUmaPaginaPorCopia) {
    const auto& c = GetParam();
    const std::wstring arquivo = teste::arquivoTemporario(L"notera-copias.ps");
    teste::RoboImpressao robo(::GetCurrentThreadId(), {teste::imprimeEm(arquivo, c.copias)});
    auto r = relatorioSimples();
    report::ImpressaoWin32 impressao;
    EXPECT_TRUE(impressao.imprime(r, 1));
    const std::string ps = teste::lerArquivo(arquivo);
    ASSERT_GE(ps.size(), 4u);
    EXPECT_EQ(ps.substr(0, 4), "%!PS");
    EXPECT_EQ(conta(ps, "%%Page:"), c.paginas);
    EXPECT_EQ(conta(ps, "showpage"), c.paginas);
    EXPECT_EQ(conta(ps, "%%Title: Teste\n"), 1u);
    ::DeleteFileW(arquivo.c_str());
}

INSTANTIATE_TEST_SUITE_P(Impressao, Copias,
                         ::testing::Values(CasoCopias{"Uma", L"1", 1}, CasoCopias{"Tres", L"3", 3}),
                         [](const auto& i) { return std::string(i.param.nome); });

struct CasoTecla {
    const char* nome;
    UINT tecla;
    bool imprime;
};

class Tecla : public Impressora, public ::testing::WithParamInterface<CasoTecla> {};

// Enter takes the dialog as OK, Escape as Cancelar, from whatever control has the focus.
TEST_P(Tecla, EnterImprimeEscapeCancela) {
    const auto& c = GetParam();
    const std::wstring arquivo = teste::arquivoTemporario(L"notera-tecla.ps");
    teste::Resposta r = teste::imprimeEm(arquivo);
    r.tecla = c.tecla;
    teste::RoboImpressao robo(::GetCurrentThreadId(), {r});
    auto rel = relatorioSimples();
    report::ImpressaoWin32 impressao;
    EXPECT_EQ(impressao.imprime(rel, 1), c.imprime);
    EXPECT_EQ(robo.vistos().size(), 1u);
    const std::string ps = teste::lerArquivo(arquivo);
    EXPECT_EQ(conta(ps, "showpage"), c.imprime ? 1u : 0u);
    EXPECT_TRUE(robo.falhas().empty()) << robo.falhas().front();
    ::DeleteFileW(arquivo.c_str());
}

INSTANTIATE_TEST_SUITE_P(Impressao, Tecla,
                         ::testing::Values(CasoTecla{"Enter", VK_RETURN, true},
                                           CasoTecla{"Escape", VK_ESCAPE, false}),
                         [](const auto& i) { return std::string(i.param.nome); });

struct CasoCopiasRecusadas {
    const char* nome;
    const wchar_t* copias;
};

class CopiasRecusadas : public Impressora,
                        public ::testing::WithParamInterface<CasoCopiasRecusadas> {};

// The dialog stays open with a warning until the copies are a number from 1 to 999.
TEST_P(CopiasRecusadas, AvisaEEsperaUmNumeroValido) {
    const std::wstring arquivo = teste::arquivoTemporario(L"notera-recusadas.ps");
    teste::Resposta r = teste::imprimeEm(arquivo, GetParam().copias);
    r.copiasDepois = L"2";
    teste::RoboImpressao robo(::GetCurrentThreadId(), {r});
    auto rel = relatorioSimples();
    report::ImpressaoWin32 impressao;
    EXPECT_TRUE(impressao.imprime(rel, 1));
    EXPECT_TRUE(robo.falhas().empty()) << robo.falhas().front();
    ASSERT_EQ(robo.avisos().size(), 1u);
    EXPECT_EQ(robo.avisos()[0], L"O número de cópias deve estar entre 1 e 999.");
    EXPECT_EQ(conta(teste::lerArquivo(arquivo), "showpage"), 2u);
    ::DeleteFileW(arquivo.c_str());
}

INSTANTIATE_TEST_SUITE_P(Impressao, CopiasRecusadas,
                         ::testing::Values(CasoCopiasRecusadas{"Zero", L"0"},
                                           CasoCopiasRecusadas{"Vazio", L""},
                                           CasoCopiasRecusadas{"Mil", L"1000"}),
                         [](const auto& i) { return std::string(i.param.nome); });

TEST_F(Impressora, ArquivoQueNaoPodeSerCriado) {
    const std::wstring arquivo = L"Z:\\nao\\existe\\aviso.ps";
    teste::RoboImpressao robo(::GetCurrentThreadId(), {teste::imprimeEm(arquivo)});
    auto r = relatorioSimples();
    report::ImpressaoWin32 impressao;
    try {
        impressao.imprime(r, 1);
        ADD_FAILURE() << "printed into a directory that does not exist";
    } catch (const report::Erro& e) {
        const std::string quer = "Não foi possível criar o arquivo \"Z:\\nao\\existe\\aviso.ps\": ";
        EXPECT_EQ(std::string(e.what()).substr(0, quer.size()), quer) << e.what();
        EXPECT_GT(std::string(e.what()).size(), quer.size());
    }
}

} // namespace
