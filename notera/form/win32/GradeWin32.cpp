#include "GradeWin32.h"

#include "Utf16.h"

#include <commctrl.h>

#include <algorithm>

namespace notera::win32 {

namespace {

constexpr wchar_t Vazia[] = L"__/__/____";

// A cell's text as the masked editor shows it: digits in the mask's places, '_' for blanks.
std::wstring paraMascara(const std::wstring& t) {
    std::wstring m = Vazia;
    std::size_t i = 0;
    for (std::size_t p = 0; p < m.size(); ++p) {
        if (m[p] == L'/') continue;
        while (i < t.size() && t[i] == L'/')
            ++i;
        if (i >= t.size()) break;
        if (t[i] >= L'0' && t[i] <= L'9') m[p] = t[i];
        ++i;
    }
    return m;
}

} // namespace

void GradeWin32::registra(HINSTANCE instancia) {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = procedimento;
    c.hInstance = instancia;
    c.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    c.lpszClassName = Classe;
    ::RegisterClassExW(&c);
}

GradeWin32::GradeWin32(HWND pai, HINSTANCE instancia, int linhas, int colunas, HFONT fonte,
                       int alturaLinha, int larguraPadrao)
    : fonte_(fonte), alturaLinha_(alturaLinha), larguraPadrao_(larguraPadrao) {
    larguras_.assign(static_cast<std::size_t>(colunas), larguraPadrao);
    celulas_.assign(static_cast<std::size_t>(linhas),
                    std::vector<std::string>(static_cast<std::size_t>(colunas)));
    janela_ = ::CreateWindowExW(WS_EX_CLIENTEDGE, Classe, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_HSCROLL |
                                    WS_VSCROLL,
                                0, 0, 10, 10, pai, nullptr, instancia, this);
}

LRESULT CALLBACK GradeWin32::procedimento(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE) {
        auto* g = static_cast<GradeWin32*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        g->janela_ = h;
        ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g));
    }
    auto* g = reinterpret_cast<GradeWin32*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!g) return ::DefWindowProcW(h, msg, w, l);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        g->janela_ = nullptr;
        g->editor_ = nullptr;
        return ::DefWindowProcW(h, msg, w, l);
    }
    return g->trata(msg, w, l);
}

LRESULT GradeWin32::trata(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(janela_, &ps);
        pinta(dc);
        ::EndPaint(janela_, &ps);
        return 0;
    }
    case WM_SIZE:
        atualiza();
        return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        rola(msg == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(w));
        return 0;
    case WM_LBUTTONDOWN:
        ::SetFocus(janela_);
        return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
        // The situation selector lives over the cells; its notices belong to the form.
        return ::SendMessageW(::GetAncestor(janela_, GA_ROOT), msg, w, l);
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_CENTRO_CELULA: {
        const int col = static_cast<int>(w), lin = static_cast<int>(l);
        if (col < 0 || col >= colunas() || lin < 0 || lin >= linhas()) return -1;
        garanteVisivel(col, lin);
        const RECT r = retangulo(col, lin);
        return MAKELONG((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
    case WM_CELULA_ATUAL:
        return MAKELONG(col_, lin_);
    case WM_TEXTO_CELULA: {
        thread_local std::string resposta;
        resposta = texto(static_cast<int>(w), static_cast<int>(l));
        return reinterpret_cast<LRESULT>(resposta.c_str());
    }
    case WM_TAMANHO_GRADE:
        return MAKELONG(colunas(), linhas());
    default:
        return ::DefWindowProcW(janela_, msg, w, l);
    }
}

void GradeWin32::pinta(HDC dc) {
    RECT cliente;
    ::GetClientRect(janela_, &cliente);
    const HGDIOBJ fonteAntes = ::SelectObject(dc, fonte_);
    ::SetBkMode(dc, TRANSPARENT);
    HPEN linha = ::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW));
    const HGDIOBJ canetaAntes = ::SelectObject(dc, linha);
    auto desenha = [&](int lin) {
        for (int c = esquerda_; c < colunas(); ++c) {
            RECT r = retangulo(c, lin);
            if (r.left > cliente.right) break;
            const bool atual = c == col_ && lin == lin_ && !editor_;
            ::FillRect(dc, &r,
                       ::GetSysColorBrush(lin == 0 ? COLOR_BTNFACE
                                          : atual  ? COLOR_HIGHLIGHT
                                                   : COLOR_WINDOW));
            ::SetTextColor(dc, ::GetSysColor(atual ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
            RECT t = r;
            t.left += 2;
            const std::wstring s =
                utf16(celulas_[static_cast<std::size_t>(lin)][static_cast<std::size_t>(c)]);
            ::DrawTextW(dc, s.c_str(), static_cast<int>(s.size()), &t,
                        DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
            ::MoveToEx(dc, r.right - 1, r.top, nullptr);
            ::LineTo(dc, r.right - 1, r.bottom - 1);
            ::LineTo(dc, r.left - 1, r.bottom - 1);
        }
    };
    if (linhas() > 0) desenha(0);
    for (int lin = std::max(topo_, 1); lin < linhas(); ++lin) {
        if (retangulo(0, lin).top > cliente.bottom) break;
        desenha(lin);
    }
    ::SelectObject(dc, canetaAntes);
    ::DeleteObject(linha);
    ::SelectObject(dc, fonteAntes);
}

RECT GradeWin32::retangulo(int col, int lin) const {
    int x = 0;
    for (int c = esquerda_; c < col && c < colunas(); ++c)
        x += larguras_[static_cast<std::size_t>(c)];
    for (int c = col; c < esquerda_; ++c)
        x -= larguras_[static_cast<std::size_t>(c)];
    const int y = lin == 0 ? 0 : (lin - topo_ + 1) * alturaLinha_;
    return RECT{x, y, x + largura(col), y + alturaLinha_};
}

bool GradeWin32::celulaEm(POINT p, int& col, int& lin) const {
    if (p.y < 0 || p.x < 0) return false;
    lin = p.y < alturaLinha_ ? 0 : topo_ + p.y / alturaLinha_ - 1;
    if (lin >= linhas()) return false;
    int x = 0;
    for (int c = esquerda_; c < colunas(); ++c) {
        x += larguras_[static_cast<std::size_t>(c)];
        if (p.x < x) {
            col = c;
            return true;
        }
    }
    return false;
}

void GradeWin32::garanteVisivel(int col, int lin) {
    RECT cliente;
    ::GetClientRect(janela_, &cliente);
    if (col >= 0 && col < colunas()) {
        if (col < esquerda_) esquerda_ = col;
        while (esquerda_ < col && retangulo(col, 0).right > cliente.right)
            ++esquerda_;
    }
    if (lin >= 1 && lin < linhas()) {
        if (lin < topo_) topo_ = lin;
        while (topo_ < lin && retangulo(0, lin).bottom > cliente.bottom)
            ++topo_;
    }
    atualiza();
}

void GradeWin32::atualiza() {
    if (!janela_) return;
    topo_ = std::clamp(topo_, 1, std::max(1, linhas() - 1));
    esquerda_ = std::clamp(esquerda_, 0, std::max(0, colunas() - 1));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    si.nMax = std::max(0, colunas() - 1);
    si.nPage = 1;
    si.nPos = esquerda_;
    ::SetScrollInfo(janela_, SB_HORZ, &si, TRUE);
    si.nMin = 1;
    si.nMax = std::max(1, linhas() - 1);
    si.nPos = topo_;
    ::SetScrollInfo(janela_, SB_VERT, &si, TRUE);
    if (editor_) {
        const RECT r = retangulo(col_, lin_);
        ::MoveWindow(editor_, r.left, r.top, r.right - r.left - 1, r.bottom - r.top - 1, TRUE);
    }
    ::InvalidateRect(janela_, nullptr, TRUE);
}

void GradeWin32::rola(int barra, int codigo) {
    int& pos = barra == SB_HORZ ? esquerda_ : topo_;
    switch (codigo) {
    case SB_LINEUP:
    case SB_PAGEUP:
        --pos;
        break;
    case SB_LINEDOWN:
    case SB_PAGEDOWN:
        ++pos;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(janela_, barra, &si);
        pos = si.nTrackPos;
        break;
    }
    default:
        return;
    }
    atualiza();
}

void GradeWin32::defineColunas(int n) {
    n = std::max(n, 0);
    larguras_.resize(static_cast<std::size_t>(n), larguraPadrao_);
    for (auto& l : celulas_)
        l.resize(static_cast<std::size_t>(n));
    if (col_ >= n) col_ = n - 1;
    atualiza();
}

void GradeWin32::defineLinhas(int n) {
    n = std::max(n, 0);
    if (editor_ && lin_ >= n) fechaEditor();
    celulas_.resize(static_cast<std::size_t>(n), std::vector<std::string>(larguras_.size()));
    if (lin_ >= n) lin_ = n - 1;
    atualiza();
}

std::string GradeWin32::texto(int col, int lin) const {
    if (col < 0 || col >= colunas() || lin < 0 || lin >= linhas()) return {};
    if (editor_ && col == col_ && lin == lin_) return textoDoEditor();
    return celulas_[static_cast<std::size_t>(lin)][static_cast<std::size_t>(col)];
}

void GradeWin32::defineTexto(int col, int lin, const std::string& t) {
    if (col < 0 || col >= colunas() || lin < 0 || lin >= linhas()) return;
    celulas_[static_cast<std::size_t>(lin)][static_cast<std::size_t>(col)] = t;
    if (editor_ && col == col_ && lin == lin_) {
        const std::wstring w = mascarado() ? paraMascara(utf16(t)) : utf16(t);
        ::SetWindowTextW(editor_, w.c_str());
    }
    RECT r = retangulo(col, lin);
    ::InvalidateRect(janela_, &r, TRUE);
}

int GradeWin32::largura(int col) const {
    return col >= 0 && col < colunas() ? larguras_[static_cast<std::size_t>(col)] : 0;
}

void GradeWin32::defineLargura(int col, int l) {
    if (col < 0 || col >= colunas()) return;
    larguras_[static_cast<std::size_t>(col)] = l;
    atualiza();
}

void GradeWin32::defineAtual(int col, int lin) {
    if (col < 0 || col >= colunas() || lin < 0 || lin >= linhas()) return;
    if (editor_ && (col != col_ || lin != lin_)) fechaEditor();
    col_ = col;
    lin_ = lin;
    garanteVisivel(col, lin);
}

std::string GradeWin32::textoDoEditor() const {
    if (!editor_) return {};
    std::wstring t = textoDe(editor_);
    if (mascarado()) std::replace(t.begin(), t.end(), L'_', L' ');
    return utf8(t);
}

void GradeWin32::abreEditor() {
    if (editor_ || col_ < 0 || lin_ < 1 || lin_ >= linhas() || col_ >= colunas()) return;
    const RECT r = retangulo(col_, lin_);
    std::wstring t =
        utf16(celulas_[static_cast<std::size_t>(lin_)][static_cast<std::size_t>(col_)]);
    if (mascarado()) t = paraMascara(t);
    editor_ = ::CreateWindowExW(
        0, L"EDIT", t.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, r.left, r.top,
        r.right - r.left - 1, r.bottom - r.top - 1, janela_, nullptr,
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(janela_, GWLP_HINSTANCE)), nullptr);
    ::SendMessageW(editor_, WM_SETFONT, reinterpret_cast<WPARAM>(fonte_), FALSE);
    ::SetWindowSubclass(editor_, procEditor, 1, reinterpret_cast<DWORD_PTR>(this));
    ::SendMessageW(editor_, EM_SETSEL, 0, -1);
    ::InvalidateRect(janela_, nullptr, TRUE);
}

void GradeWin32::fechaEditor() {
    if (!editor_) return;
    const HWND e = editor_;
    const bool tinhaFoco = ::GetFocus() == e;
    celulas_[static_cast<std::size_t>(lin_)][static_cast<std::size_t>(col_)] = textoDoEditor();
    editor_ = nullptr;
    if (tinhaFoco) ::SetFocus(janela_);
    ::DestroyWindow(e);
    ::InvalidateRect(janela_, nullptr, TRUE);
}

void GradeWin32::editaCom(const std::wstring& t) {
    abreEditor();
    if (!editor_) return;
    ::SetFocus(editor_);
    if (!mascarado()) {
        ::SendMessageW(editor_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(t.c_str()));
        return;
    }
    DWORD ini = 0, fim = 0;
    ::SendMessageW(editor_, EM_GETSEL, reinterpret_cast<WPARAM>(&ini),
                   reinterpret_cast<LPARAM>(&fim));
    if (t.empty() && fim > ini) apagaMascarado(false);
    for (wchar_t c : t)
        digitaMascarado(c);
}

void GradeWin32::digitaMascarado(wchar_t c) {
    if (c == L'\b') return apagaMascarado(true);
    if (c < L'0' || c > L'9') return;
    DWORD ini = 0, fim = 0;
    ::SendMessageW(editor_, EM_GETSEL, reinterpret_cast<WPARAM>(&ini),
                   reinterpret_cast<LPARAM>(&fim));
    std::wstring t = textoDe(editor_);
    for (DWORD p = ini; p < fim && p < t.size(); ++p)
        if (t[p] != L'/') t[p] = L'_';
    std::size_t p = ini;
    while (p < t.size() && t[p] == L'/')
        ++p;
    if (p < t.size()) {
        t[p++] = c;
        while (p < t.size() && t[p] == L'/')
            ++p;
    }
    ::SetWindowTextW(editor_, t.c_str());
    ::SendMessageW(editor_, EM_SETSEL, p, p);
}

void GradeWin32::apagaMascarado(bool paraTras) {
    DWORD ini = 0, fim = 0;
    ::SendMessageW(editor_, EM_GETSEL, reinterpret_cast<WPARAM>(&ini),
                   reinterpret_cast<LPARAM>(&fim));
    std::wstring t = textoDe(editor_);
    long p = static_cast<long>(ini);
    if (fim > ini) {
        for (DWORD q = ini; q < fim && q < t.size(); ++q)
            if (t[q] != L'/') t[q] = L'_';
    } else if (paraTras) {
        --p;
        while (p >= 0 && t[static_cast<std::size_t>(p)] == L'/')
            --p;
        if (p < 0) return;
        t[static_cast<std::size_t>(p)] = L'_';
    } else if (p < static_cast<long>(t.size()) && t[static_cast<std::size_t>(p)] != L'/') {
        t[static_cast<std::size_t>(p)] = L'_';
    }
    ::SetWindowTextW(editor_, t.c_str());
    ::SendMessageW(editor_, EM_SETSEL, static_cast<WPARAM>(p), p);
}

LRESULT CALLBACK GradeWin32::procEditor(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR,
                                        DWORD_PTR dados) {
    auto* g = reinterpret_cast<GradeWin32*>(dados);
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(h, procEditor, 1);
        if (g->editor_ == h) g->editor_ = nullptr;
    } else if (g->editor_ == h && g->mascarado()) {
        // The date mask keeps its slashes: typed digits fill places, deletions blank them.
        switch (msg) {
        case WM_CHAR:
            g->digitaMascarado(static_cast<wchar_t>(w));
            return 0;
        case WM_KEYDOWN:
            if (w == VK_DELETE) {
                g->apagaMascarado(false);
                return 0;
            }
            break;
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
            return 0;
        default:
            break;
        }
    }
    return ::DefSubclassProc(h, msg, w, l);
}

} // namespace notera::win32
