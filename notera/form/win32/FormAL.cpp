#include "FormAL.h"

#include "GradeWin32.h"
#include "Utf16.h"

#include "notera/form/Nomes.h"
#include "platform/Dialogs.h"
#include "platform/Memoria.h"
#include "platform/win32/Nome.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace notera::win32 {

namespace {

constexpr wchar_t ClasseForm[] = L"NoteraFormAL";
constexpr wchar_t ClassePainel[] = L"NoteraPainel";
constexpr wchar_t PropriedadeAtivada[] = L"NoteraAtivada";
// Posted to itself: the first activation once the window shows, and a button's click run
// from the form's own loop rather than inside the sender's call.
constexpr UINT WM_ATIVACAO = WM_APP + 10;
constexpr UINT WM_CLIQUE = WM_APP + 11;

constexpr double DpiDeProjeto = 120.0;
constexpr int LargurasDeProjeto[] = {87, 278, 86, 96, 273, 117, 70, 77, 252, 266};
constexpr UINT_PTR SubclasseNome = 1;

HINSTANCE instancia() {
    HMODULE m = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                             GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&instancia), &m);
    return m;
}

// Drops a control's name with the control, and keeps buttons from taking the focus: they
// press and click on the mouse as usual but leave the keyboard where it was.
LRESULT CALLBACK procNome(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR botao) {
    if (msg == WM_NCDESTROY) {
        platform::win32::tiraNome(h);
        ::RemoveWindowSubclass(h, procNome, SubclasseNome);
    } else if (msg == WM_ESCOLHE_ABA) {
        // A page chosen by a robot, as a click on its tab.
        return ::SendMessageW(::GetAncestor(h, GA_ROOT), msg, w, reinterpret_cast<LPARAM>(h));
    } else if (botao) {
        switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            ::SetCapture(h);
            ::SendMessageW(h, BM_SETSTATE, TRUE, 0);
            return 0;
        case WM_LBUTTONUP:
            if (::GetCapture() == h) {
                ::ReleaseCapture();
                ::SendMessageW(h, BM_SETSTATE, FALSE, 0);
                RECT r;
                ::GetClientRect(h, &r);
                const POINT p{static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
                if (::PtInRect(&r, p))
                    ::SendMessageW(::GetParent(h), WM_COMMAND,
                                   MAKEWPARAM(::GetDlgCtrlID(h), BN_CLICKED),
                                   reinterpret_cast<LPARAM>(h));
            }
            return 0;
        default:
            break;
        }
    }
    return ::DefSubclassProc(h, msg, w, l);
}

// Panels and group boxes: they hand their controls' notices to the form and draw a group's
// frame and title when they have one.
LRESULT CALLBACK procPainel(HWND h, UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COMMAND:
    case WM_NOTIFY:
        return ::SendMessageW(::GetAncestor(h, GA_ROOT), msg, w, l);
    case WM_SETFONT:
        ::SetWindowLongPtrW(h, GWLP_USERDATA, static_cast<LONG_PTR>(w));
        return 0;
    case WM_GETFONT:
        return ::GetWindowLongPtrW(h, GWLP_USERDATA);
    case WM_NCDESTROY:
        platform::win32::tiraNome(h);
        break;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = ::BeginPaint(h, &ps);
        const std::wstring titulo = textoDe(h);
        if (!titulo.empty()) {
            const HGDIOBJ antes =
                ::SelectObject(dc, reinterpret_cast<HFONT>(::GetWindowLongPtrW(h, GWLP_USERDATA)));
            TEXTMETRICW tm;
            ::GetTextMetricsW(dc, &tm);
            RECT r;
            ::GetClientRect(h, &r);
            r.top += tm.tmHeight / 2;
            ::DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            ::SetBkMode(dc, OPAQUE);
            ::TextOutW(dc, 8, 0, titulo.c_str(), static_cast<int>(titulo.size()));
            ::SelectObject(dc, antes);
        }
        ::EndPaint(h, &ps);
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(h, msg, w, l);
}

void registraClasses(HINSTANCE inst, WNDPROC procForm) {
    static std::once_flag feito;
    std::call_once(feito, [inst, procForm] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.hInstance = inst;
        c.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpfnWndProc = procPainel;
        c.lpszClassName = ClassePainel;
        ::RegisterClassExW(&c);
        c.lpfnWndProc = procForm;
        c.lpszClassName = ClasseForm;
        ::RegisterClassExW(&c);
        GradeWin32::registra(inst);
    });
}

Tecla teclaDe(WPARAM vk) {
    switch (vk) {
    case VK_UP:
        return Tecla::Cima;
    case VK_DOWN:
        return Tecla::Baixo;
    case VK_LEFT:
        return Tecla::Esquerda;
    case VK_RIGHT:
        return Tecla::Direita;
    case VK_HOME:
        return Tecla::Inicio;
    case VK_END:
        return Tecla::Fim;
    case VK_NEXT:
        return Tecla::PageDown;
    case VK_DELETE:
        return Tecla::Apaga;
    default:
        return Tecla::Outra;
    }
}

bool pressionada(int vk) {
    return ::GetKeyState(vk) < 0;
}

std::wstring classeDe(HWND h) {
    wchar_t c[32] = {};
    ::GetClassNameW(h, c, 32);
    return c;
}

} // namespace

FormAL::FormAL(HWND dono) : logica_(*this), dono_(dono) {
    const HINSTANCE inst = instancia();
    registraClasses(inst, procedimento);
    HDC tela = ::GetDC(nullptr);
    escala_ = ::GetDeviceCaps(tela, LOGPIXELSY) / DpiDeProjeto;
    ::ReleaseDC(nullptr, tela);
    auto fonte = [this](int altura, int peso) {
        return FontePtr(::CreateFontW(-px(altura), 0, 0, 0, peso, FALSE, FALSE, FALSE,
                                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"MS Sans Serif"));
    };
    fonte_ = fonte(13, FW_NORMAL);
    fonteSair_ = fonte(15, FW_NORMAL);
    fonteNegrito_ = fonte(13, FW_BOLD);

    // The design's client area; the title bar carries the system menu and close button only.
    const DWORD estilo = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
    RECT r{0, 0, px(727), px(607)};
    ::AdjustWindowRectEx(&r, estilo, FALSE, WS_EX_DLGMODALFRAME);
    form_ = ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, ClasseForm,
                              L"Transferência de Recursos", estilo, CW_USEDEFAULT, CW_USEDEFAULT,
                              r.right - r.left, r.bottom - r.top, dono_, nullptr, inst, this);
    if (!form_) throw std::runtime_error("Não foi possível criar a janela do formulário");
    platform::win32::defineNome(form_, nome::FormAL);
    monta();
    disposicao();
    arquivoIni_ = platform::arquivoIniDoPrograma();
    logica_.FormCreate();
    logica_.ligaHandlers();
}

FormAL::~FormAL() {
    if (form_) ::DestroyWindow(form_);
}

int FormAL::px(double medida) const {
    return static_cast<int>(std::lround(medida * escala_));
}

HWND FormAL::controle(const wchar_t* classe, const wchar_t* texto, DWORD estilo, HWND pai,
                      std::string_view nome, int x, int y, int largura, int altura,
                      DWORD exEstilo) {
    HWND h = ::CreateWindowExW(exEstilo, classe, texto, WS_CHILD | WS_VISIBLE | estilo, x, y,
                               largura, altura, pai, nullptr, instancia(), nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fonte_.get()), FALSE);
    if (!nome.empty()) {
        platform::win32::defineNome(h, nome);
        if (classe != ClassePainel)
            ::SetWindowSubclass(h, procNome, SubclasseNome, classe == std::wstring_view(L"BUTTON"));
        janelas_.emplace(std::string(nome), h);
    }
    return h;
}

HWND FormAL::painel(HWND pai, std::string_view nome, const wchar_t* titulo) {
    return controle(ClassePainel, titulo, WS_CLIPSIBLINGS | WS_CLIPCHILDREN, pai, nome, 0, 0, 0, 0,
                    WS_EX_CONTROLPARENT);
}

HWND FormAL::campo(HWND pai, std::string_view nome, const wchar_t* rotulo,
                   std::string_view nomeRotulo, int x, int y, int largura) {
    controle(L"STATIC", rotulo, SS_LEFT | SS_NOPREFIX, pai, nomeRotulo, px(x), px(y - 16),
             px(largura), px(15));
    // Typed letters become capitals; no length limit.
    HWND e = controle(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_UPPERCASE, pai, nome, px(x),
                      px(y), px(largura), px(24), WS_EX_CLIENTEDGE);
    ::SendMessageW(e, EM_SETLIMITTEXT, 0, 0);
    return e;
}

void FormAL::monta() {
    using namespace nome;
    HWND botoes = painel(form_, Panel1);
    btOk_ = controle(L"BUTTON", L"&Ok", BS_PUSHBUTTON | BS_FLAT, botoes, BtOk, px(5), px(15),
                     px(100), px(26));
    btSair_ = controle(L"BUTTON", L"&Sair", BS_PUSHBUTTON | BS_FLAT, botoes, BtSair, px(5), px(47),
                       px(100), px(26));
    ::SendMessageW(btSair_, WM_SETFONT, reinterpret_cast<WPARAM>(fonteSair_.get()), FALSE);

    pagina_ = controle(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, form_,
                       LogicaAL::Pagina, 0, 0, 10, 10);
    TCITEMW aba{};
    aba.mask = TCIF_TEXT;
    aba.pszText = const_cast<wchar_t*>(L"Origem");
    ::SendMessageW(pagina_, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&aba));
    aba.pszText = const_cast<wchar_t*>(L"Destino");
    ::SendMessageW(pagina_, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&aba));

    // Page "Origem"
    HWND origem = paginas_[0] = painel(pagina_, PagOrigem);
    HWND gbOrigem = painel(origem, Gb_Origem, L"Origem do Recurso");
    HWND gbCheques = painel(origem, Gb_Cheques, L"Cheques");
    HWND p4 = painel(gbOrigem, Panel4);
    campo(p4, Ed_Empresa, L"Empresa", Label9, 14, 21, 269);
    campo(p4, Ed_Fornecedor, L"Fornecedor", Label10, 300, 21, 270);
    campo(p4, Ed_Custo2, L"Centro de Custos", Label19, 14, 66, 269);
    campo(p4, Ed_Banco2, L"Banco", Label12, 300, 66, 270);
    campo(p4, Ed_Despesa, L"Despesa", Label11, 14, 113, 269);
    campo(p4, Ed_HisPadBan, L"Histórico Padrão Banco", Label21, 300, 113, 270);
    campo(p4, Ed_HisVarBan, L"Histórico variável Banco", Label20, 12, 159, 557);
    campo(p4, Ed_HistPad2, L"Histórico Padrão", Label13, 12, 203, 270);
    campo(p4, Ed_HistVar2, L"Histórico variável", Label14, 14, 249, 556);
    HWND c2 = painel(gbOrigem, Pn_Contabil2);
    campo(c2, Ed_Cred2, L"Conta Fiscal Crédito", Label15, 14, 18, 269);
    campo(c2, Ed_Deb2, L"Conta Fiscal Débito", Label16, 300, 18, 270);
    ::ShowWindow(c2, SW_HIDE);
    HWND cg2 = painel(gbOrigem, Pn_ContabilG2);
    campo(cg2, Ed_CredG2, L"Conta Gerencial Crédito", Label17, 14, 18, 269);
    campo(cg2, Ed_DebG2, L"Conta Gerencial Débito", Label18, 300, 18, 270);
    ::ShowWindow(cg2, SW_HIDE);

    grade_ = std::make_unique<GradeWin32>(gbCheques, instancia(), 2, ColunasCheque, fonte_.get(),
                                          px(24), px(100));
    platform::win32::defineNome(grade_->janela(), LogicaAL::GradeChq);
    ::SetWindowSubclass(grade_->janela(), procNome, SubclasseNome, 0);
    janelas_.emplace(std::string(LogicaAL::GradeChq), grade_->janela());
    grade_->defineMascara(
        [this](int col) { return !logica_.grade().mascaraDaColuna(col).empty(); });
    for (int c = 0; c < ColunasCheque; ++c)
        grade_->defineLargura(c, px(LargurasDeProjeto[c]));
    seletor_ = controle(WC_COMBOBOXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                        grade_->janela(), Cb_ChqSit, 0, 0, px(117), px(24) * 6);
    for (const auto& item : GradeAL::ItensSituacao) {
        const std::wstring w = utf16(item);
        ::SendMessageW(seletor_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
    }
    ::ShowWindow(seletor_, SW_HIDE);
    HWND rodape = painel(gbCheques, Pn_Rodape);
    controle(L"STATIC", L"Total dos cheques", SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX, rodape, "",
             px(4), 0, px(150), px(23));
    HWND total = controle(L"STATIC", L"0,00", SS_RIGHT | SS_CENTERIMAGE | SS_NOPREFIX, rodape,
                          Lb_ChqTotal, px(160), 0, px(100), px(23));
    ::SendMessageW(total, WM_SETFONT, reinterpret_cast<WPARAM>(fonteNegrito_.get()), FALSE);

    // Page "Destino"
    HWND destino = paginas_[1] = painel(pagina_, PagDestino);
    HWND gbDestino = painel(destino, Gb_Destino, L"Destino do Recurso");
    HWND p3 = painel(gbDestino, Panel3);
    HWND valor = campo(p3, Ed_Valor, L"Valor", Label1, 14, 21, 150);
    ::SetWindowLongPtrW(valor, GWL_STYLE, ::GetWindowLongPtrW(valor, GWL_STYLE) | ES_RIGHT);
    campo(p3, Ed_Cliente, L"Cliente", Label2, 300, 20, 270);
    campo(p3, Ed_Custo1, L"Centro de Custos", Label8, 14, 66, 269);
    campo(p3, Ed_Banco1, L"Banco", Label4, 300, 66, 270);
    campo(p3, Ed_Receita, L"Receita", Label3, 14, 113, 269);
    campo(p3, Ed_HistPad1, L"Histórico Padrão", Label5, 300, 113, 270);
    campo(p3, Ed_HistVar1, L"Histórico variável", Label6, 14, 161, 556);
    HWND c1 = painel(gbDestino, Pn_Contabil1);
    campo(c1, Ed_Cred1, L"Conta Fiscal Crédito", Label7, 14, 18, 269);
    campo(c1, Ed_CredG1, L"Conta Gerencial Crédito", Lb_CredG1, 300, 18, 270);
    mostraPaginaInterna(0);
}

// The Qt view's layouts in fixed rectangles: the button panel on the right, the page control
// over the rest, the groups stacked with the style's margins, hidden panels taking no room.
void FormAL::disposicao() {
    using namespace nome;
    RECT c;
    ::GetClientRect(form_, &c);
    const int largBotoes = px(111);
    const int larg = std::max(0L, c.right - largBotoes), alt = c.bottom;
    auto poe = [](HWND h, int x, int y, int w, int a) {
        ::MoveWindow(h, x, y, std::max(w, 0), std::max(a, 0), TRUE);
    };
    poe(janelaDe(Panel1), larg, 0, largBotoes, alt);
    poe(pagina_, 0, 0, larg, alt);
    RECT area{0, 0, larg, alt};
    ::SendMessageW(pagina_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    const int lp = area.right - area.left, ap = area.bottom - area.top;
    for (HWND p : paginas_)
        poe(p, area.left, area.top, lp, ap);

    const int m = px(11), espaco = px(7), topoGrupo = px(18), borda = 2;
    // Origem
    const int altOrigem = px(419);
    poe(janelaDe(Gb_Origem), m, m, lp - 2 * m, altOrigem);
    const int li = lp - 2 * m - 2 * borda;
    int y = topoGrupo;
    poe(janelaDe(Panel4), borda, y, li, px(294));
    y += px(294);
    HWND c2 = janelaDe(Pn_Contabil2);
    if (::IsWindowVisible(c2) || (::GetWindowLongW(c2, GWL_STYLE) & WS_VISIBLE)) {
        poe(c2, borda, y, li, px(50));
        y += px(50);
    }
    poe(janelaDe(Pn_ContabilG2), borda, y, li, altOrigem - borda - y);
    const int yCheques = m + altOrigem + espaco;
    const int altCheques = ap - yCheques - m;
    poe(janelaDe(Gb_Cheques), m, yCheques, lp - 2 * m, altCheques);
    const int lc = lp - 2 * m;
    const int altRodape = px(23);
    poe(grade_->janela(), m, topoGrupo + m, lc - 2 * m,
        altCheques - topoGrupo - 2 * m - espaco - altRodape);
    HWND rodape = janelaDe(Pn_Rodape);
    poe(rodape, m, altCheques - m - altRodape, lc - 2 * m, altRodape);
    poe(janelaDe(Lb_ChqTotal), px(160), 0, lc - 2 * m - px(164), altRodape);
    // Destino
    poe(janelaDe(Gb_Destino), m, m, lp - 2 * m, ap - 2 * m);
    poe(janelaDe(Panel3), borda, topoGrupo, li, px(192));
    poe(janelaDe(Pn_Contabil1), borda, topoGrupo + px(192), li,
        ap - 2 * m - topoGrupo - px(192) - borda);
}

HWND FormAL::janelaDe(std::string_view controle) const {
    const auto it = janelas_.find(controle);
    return it == janelas_.end() ? nullptr : it->second;
}

std::string FormAL::nomeDoControle(HWND h) const {
    if (h == grade_->janela() || (grade_->editor() && h == grade_->editor()))
        return std::string(LogicaAL::GradeChq);
    return platform::win32::nomeDe(h);
}

bool FormAL::pronto() const {
    return ativado_ && !fechado_;
}

template <class F> void FormAL::protege(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        platform::mostraErro(e.what());
    }
}

LRESULT CALLBACK FormAL::procedimento(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_NCCREATE) {
        auto* f = static_cast<FormAL*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        f->form_ = h;
        ::SetWindowLongPtrW(h, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(f));
    }
    auto* f = reinterpret_cast<FormAL*>(::GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!f) return ::DefWindowProcW(h, msg, w, l);
    if (msg == WM_NCDESTROY) {
        platform::win32::tiraNome(h);
        ::RemovePropW(h, PropriedadeAtivada);
        ::SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        f->form_ = nullptr;
        return ::DefWindowProcW(h, msg, w, l);
    }
    return f->trata(msg, w, l);
}

LRESULT FormAL::trata(UINT msg, WPARAM w, LPARAM l) {
    switch (msg) {
    case WM_COMMAND: {
        const HWND de = reinterpret_cast<HWND>(l);
        if ((de == btOk_ || de == btSair_) && HIWORD(w) == BN_CLICKED) {
            ::PostMessageW(form_, WM_CLIQUE, de == btOk_, 0);
            return 0;
        }
        if (de == seletor_ && HIWORD(w) == CBN_SELCHANGE) {
            const int i = static_cast<int>(::SendMessageW(seletor_, CB_GETCURSEL, 0, 0));
            protege([&] { logica_.grade().Cb_ChqSitChange(i); });
        }
        return 0;
    }
    case WM_ESCOLHE_ABA:
        if (reinterpret_cast<HWND>(l) == pagina_ && w < 2)
            protege([&] { logica_.paginaEscolhida(static_cast<int>(w)); });
        return 0;
    case WM_CLIQUE:
        protege([&] { w ? logica_.BtOkClick() : logica_.BtSairClick(); });
        return 0;
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(l);
        // The page control's own keys (arrows on a focused tab) change the page.
        if (n->hwndFrom == pagina_ && n->code == TCN_SELCHANGE) mostraPaginaInterna(paginaAtual());
        return 0;
    }
    case WM_SIZE:
        disposicao();
        return 0;
    case WM_CLOSE:
        // From the title bar: the run ends with its result unchanged.
        fecha();
        return 0;
    case WM_ACTIVATE: {
        const LRESULT r = ::DefWindowProcW(form_, msg, w, l);
        // Back from a box or a dialog the focus returns to the active control.
        if (LOWORD(w) != WA_INACTIVE && pronto()) protege([&] { logica_.FormActivate(); });
        return r;
    }
    case WM_SETFOCUS:
        if (pronto() && !logica_.ativo().empty()) aplicaFoco(logica_.ativo());
        return 0;
    case WM_ATIVACAO:
        if (ativado_) return 0;
        ativado_ = true;
        protege([&] { logica_.FormActivate(); });
        ::SetPropW(form_, PropriedadeAtivada, reinterpret_cast<HANDLE>(1));
        return 0;
    case WM_SETCURSOR:
        if (espera_) {
            ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(form_, msg, w, l);
}

void FormAL::executaModal() {
    fechado_ = false;
    // The saved frame is applied before the window shows, so it never jumps.
    RECT r;
    ::GetWindowRect(form_, &r);
    const platform::Limites atuais{r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (auto s = platform::leLimites(arquivoIni_, std::string(nome::FormAL), atuais))
        ::SetWindowPos(form_, nullptr, s->esquerda, s->topo, s->largura, s->altura,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    const bool donoAtivo = dono_ && ::IsWindowEnabled(dono_);
    if (donoAtivo) ::EnableWindow(dono_, FALSE);
    ::ShowWindow(form_, SW_SHOWNORMAL);
    ::SetForegroundWindow(form_);
    ::PostMessageW(form_, WM_ATIVACAO, 0, 0);
    MSG m;
    while (!fechado_) {
        const BOOL r = ::GetMessageW(&m, nullptr, 0, 0);
        if (r == 0) {
            ::PostQuitMessage(static_cast<int>(m.wParam)); // for the host's own loop
            break;
        }
        if (r < 0) break;
        if (preTraduz(m)) continue;
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    if (donoAtivo) ::EnableWindow(dono_, TRUE);
    if (!fechado_) fecha();
    ::ShowWindow(form_, SW_HIDE);
    if (dono_) ::SetActiveWindow(dono_);
}

void FormAL::processaMensagens() {
    MSG m;
    while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        if (preTraduz(m)) continue;
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
}

bool FormAL::preTraduz(MSG& m) {
    if (!form_ || !m.hwnd || (m.hwnd != form_ && !::IsChild(form_, m.hwnd))) return false;
    // While a cell editor is open its keys belong to it, even when the grid got them.
    if ((m.message == WM_KEYDOWN || m.message == WM_CHAR) && m.hwnd == grade_->janela() &&
        grade_->editando())
        m.hwnd = grade_->editor();
    switch (m.message) {
    case WM_KEYDOWN:
        return teclaAbaixada(m);
    case WM_CHAR:
        return caractere(m);
    case WM_SYSKEYDOWN:
        // The buttons' accelerators; neither moves the focus.
        if (m.wParam == 'O' || m.wParam == 'S') {
            protege([&] { m.wParam == 'O' ? logica_.BtOkClick() : logica_.BtSairClick(); });
            return true;
        }
        return false;
    case WM_SYSCHAR:
        return m.wParam == 'o' || m.wParam == 'O' || m.wParam == 's' || m.wParam == 'S';
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        return clique(m);
    default:
        return false;
    }
}

bool FormAL::teclaAbaixada(MSG& m) {
    const WPARAM vk = m.wParam;
    const std::string nome = nomeDoControle(m.hwnd);
    const bool editor = grade_->editor() && m.hwnd == grade_->editor();
    if (vk == VK_TAB && !pressionada(VK_CONTROL) && !pressionada(VK_MENU)) {
        if (nome == LogicaAL::GradeChq) grade_->fechaEditor();
        const bool volta = pressionada(VK_SHIFT);
        protege([&] { volta ? logica_.anterior() : logica_.proximo(); });
        return true;
    }
    if (m.hwnd == seletor_) return teclaNoSeletor(vk);
    if (nome == LogicaAL::GradeChq) return teclaNaGrade(vk, editor);
    bool engolida = false;
    protege([&] {
        const Tecla t = teclaDe(vk);
        if (t == Tecla::Cima || t == Tecla::PageDown)
            engolida = logica_.teclaAbaixada(nome, t);
        else if (vk == VK_RETURN)
            engolida = logica_.teclaPressionada(nome, U'\r');
    });
    return engolida;
}

bool FormAL::caractere(MSG& m) {
    const auto c = static_cast<wchar_t>(m.wParam);
    if (c == L'\t') return true; // Tab is a move, taken as a key
    const std::string nome = nomeDoControle(m.hwnd);
    if (m.hwnd == seletor_) {
        bool engolida = false;
        if (c == L'\r' || c == L'\b')
            protege([&] { engolida = logica_.grade().seletorTeclaPressionada(c); });
        return engolida;
    }
    if (nome == LogicaAL::GradeChq)
        return caractereNaGrade(c, grade_->editor() && m.hwnd == grade_->editor());
    if (c != L'\r' && c < L' ') return false;
    bool engolida = false;
    protege([&] { engolida = logica_.teclaPressionada(nome, c); });
    return engolida;
}

bool FormAL::teclaNaGrade(WPARAM vk, bool editor) {
    bool engolida = false;
    const Tecla t = teclaDe(vk);
    protege([&] {
        if (t != Tecla::Outra && t != Tecla::Apaga) {
            if (t == Tecla::Cima || t == Tecla::Baixo || t == Tecla::PageDown || !editor) {
                grade_->fechaEditor();
                engolida = logica_.grade().gradeTeclaAbaixada(t, false);
            }
            return;
        }
        if (vk == VK_RETURN) {
            grade_->fechaEditor();
            logica_.grade().gradeTeclaPressionada(U'\r', {});
            engolida = true;
        } else if (vk == VK_F2 && !editor) {
            grade_->abreEditor();
            if (grade_->editor()) ::SetFocus(grade_->editor());
            engolida = true;
        }
    });
    return engolida;
}

bool FormAL::caractereNaGrade(wchar_t c, bool editor) {
    if (c == L'\r') return teclaNaGrade(VK_RETURN, editor);
    if (c != L'\b' && c < L' ') return !editor;
    bool engolida = false;
    protege([&] {
        const std::string atual = editor
                                      ? grade_->textoDoEditor()
                                      : grade_->texto(grade_->colunaAtual(), grade_->linhaAtual());
        const auto r = logica_.grade().gradeTeclaPressionada(c, atual);
        if (!r) {
            engolida = true;
        } else if (*r == U'\b' && !editor) {
            grade_->editaCom(L""); // Backspace on a cell opens its editor emptied
            engolida = true;
        } else if (*r != static_cast<char32_t>(c) || !editor) {
            // A key typed on the cell opens its editor; or the key typed as another one.
            grade_->editaCom(std::wstring(1, static_cast<wchar_t>(*r)));
            engolida = true;
        }
    });
    return engolida;
}

bool FormAL::teclaNoSeletor(WPARAM vk) {
    bool engolida = false;
    protege([&] {
        if (vk == VK_RETURN)
            engolida = logica_.grade().seletorTeclaPressionada(U'\r');
        else if (vk == VK_BACK)
            engolida = logica_.grade().seletorTeclaPressionada(U'\b');
        else if (teclaDe(vk) != Tecla::Outra)
            engolida = logica_.grade().seletorTeclaAbaixada(
                teclaDe(vk), pressionada(VK_SHIFT) || pressionada(VK_CONTROL));
    });
    return engolida;
}

bool FormAL::clique(MSG& m) {
    const POINT p{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
    if (m.hwnd == pagina_) {
        TCHITTESTINFO teste{p, 0};
        const int aba = static_cast<int>(
            ::SendMessageW(pagina_, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&teste)));
        if (aba >= 0) protege([&] { logica_.paginaEscolhida(aba); });
        return true;
    }
    if (m.hwnd == seletor_ || ::IsChild(seletor_, m.hwnd)) return false;
    if (grade_->editor() && m.hwnd == grade_->editor()) return false;
    const std::string nome = nomeDoControle(m.hwnd);
    // Only the fields, the page control and the grid take the focus from a click.
    const bool campo =
        nome == LogicaAL::GradeChq || (nome.starts_with("Ed_") && classeDe(m.hwnd) == L"Edit");
    if (!campo) return false;
    protege([&] { logica_.solicitaFoco(nome); });
    if (logica_.ativo() != nome) return true; // a click that did not move the focus does nothing
    if (m.hwnd == grade_->janela()) {
        int col = 0, lin = 0;
        const bool naCelula = grade_->celulaEm(p, col, lin);
        grade_->fechaEditor();
        if (naCelula) protege([&] { logica_.grade().gradeClique(col, lin); });
        if (naCelula && m.message == WM_LBUTTONDBLCLK && lin >= 1 && grade_->colunaAtual() == col &&
            grade_->linhaAtual() == lin) {
            grade_->abreEditor();
            if (grade_->editor()) ::SetFocus(grade_->editor());
        }
        return true;
    }
    return false;
}

void FormAL::mostraPaginaInterna(int p) {
    for (int i = 0; i < 2; ++i)
        ::ShowWindow(paginas_[i], i == p ? SW_SHOWNA : SW_HIDE);
    // Hiding the page that held the focus hands it to a parent: the keyboard goes back to
    // the form's active control once its page is shown again.
    if (!pronto() || logica_.ativo().empty()) return;
    const HWND ativo = janelaDe(logica_.ativo());
    if (ativo && ::IsWindowVisible(ativo) && !::IsChild(ativo, ::GetFocus()) &&
        ::GetFocus() != ativo)
        aplicaFoco(logica_.ativo());
}

std::string FormAL::texto(std::string_view controle) const {
    HWND h = janelaDe(controle);
    if (!h) return {};
    const std::wstring c = classeDe(h);
    if (c != L"Edit" && c != L"Static") return {};
    return utf8(textoDe(h));
}

void FormAL::defineTexto(std::string_view controle, const std::string& texto) {
    HWND h = janelaDe(controle);
    if (!h) return;
    const std::wstring c = classeDe(h);
    if (c == L"Edit" || c == L"Static") ::SetWindowTextW(h, utf16(texto).c_str());
}

void FormAL::selecionaTudo(std::string_view controle) {
    if (HWND h = janelaDe(controle); h && classeDe(h) == L"Edit")
        ::SendMessageW(h, EM_SETSEL, 0, -1);
}

bool FormAL::visivelNaPagina(std::string_view controle) const {
    HWND w = janelaDe(controle);
    const HWND pag = paginas_[LogicaAL::paginaDe(controle)];
    for (; w && w != pag; w = ::GetParent(w))
        if (!(::GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE)) return false;
    return w && w == pag;
}

void FormAL::defineVisivel(std::string_view controle, bool visivel) {
    if (HWND h = janelaDe(controle)) {
        ::ShowWindow(h, visivel ? SW_SHOWNA : SW_HIDE);
        disposicao();
    }
}

int FormAL::paginaAtual() const {
    return static_cast<int>(::SendMessageW(pagina_, TCM_GETCURSEL, 0, 0));
}

void FormAL::mostraPagina(int p) {
    ::SendMessageW(pagina_, TCM_SETCURSEL, p, 0);
    mostraPaginaInterna(p);
}

bool FormAL::formularioVisivel() const {
    return form_ && ::IsWindowVisible(form_);
}

void FormAL::aplicaFoco(std::string_view controle) {
    // A late activation must not take the keyboard from the grid's own parts: its cell editor
    // or its situation selector.
    if (controle == LogicaAL::GradeChq) {
        const HWND f = ::GetFocus();
        if (f && (f == seletor_ || ::IsChild(grade_->janela(), f))) return;
    }
    if (HWND h = janelaDe(controle)) ::SetFocus(h);
}

void FormAL::fecha() {
    if (fechado_) return;
    fechado_ = true;
    RECT r;
    ::GetWindowRect(form_, &r);
    platform::gravaLimites(arquivoIni_, std::string(nome::FormAL),
                           {r.left, r.top, r.right - r.left, r.bottom - r.top});
}

void FormAL::cursorDeEspera(bool ligado) {
    espera_ = ligado;
    ::SetCursor(::LoadCursor(nullptr, ligado ? IDC_WAIT : IDC_ARROW));
}

void FormAL::botaoOkPressionado(bool pressionado) {
    ::SendMessageW(btOk_, BM_SETSTATE, pressionado, 0);
}

int FormAL::colunasGrade() const {
    return grade_->colunas();
}
void FormAL::defineColunasGrade(int n) {
    grade_->defineColunas(n);
}
int FormAL::linhasGrade() const {
    return grade_->linhas();
}
void FormAL::defineLinhasGrade(int n) {
    grade_->defineLinhas(n);
}
std::string FormAL::celula(int col, int lin) const {
    return grade_->texto(col, lin);
}
void FormAL::fechaEdicao() {
    grade_->fechaEditor();
}
void FormAL::defineCelula(int col, int lin, const std::string& texto) {
    grade_->defineTexto(col, lin, texto);
}
int FormAL::larguraColuna(int col) const {
    return grade_->largura(col);
}
void FormAL::defineLarguraColuna(int col, int largura) {
    grade_->defineLargura(col, largura);
}
int FormAL::colunaAtual() const {
    return grade_->colunaAtual();
}
int FormAL::linhaAtual() const {
    return grade_->linhaAtual();
}
void FormAL::defineCelulaAtual(int col, int lin) {
    grade_->defineAtual(col, lin);
}
void FormAL::rolaGradeParaColuna(int col) {
    grade_->garanteVisivel(col, grade_->linhaAtual());
}

void FormAL::mostraSeletor(int col, int lin, int item) {
    grade_->fechaEditor();
    grade_->garanteVisivel(col, lin);
    const RECT r = grade_->retangulo(col, lin);
    ::SendMessageW(seletor_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                   std::max(1L, r.bottom - r.top - 6));
    ::SetWindowPos(seletor_, HWND_TOP, r.left, r.top, r.right - r.left, (r.bottom - r.top) * 6,
                   SWP_SHOWWINDOW);
    ::SendMessageW(seletor_, CB_SETCURSEL, item, 0);
    ::SetFocus(seletor_);
}

void FormAL::escondeSeletor() {
    if (::GetFocus() == seletor_) ::SetFocus(grade_->janela());
    ::ShowWindow(seletor_, SW_HIDE);
}

bool FormAL::seletorVisivel() const {
    return ::IsWindowVisible(seletor_);
}

int FormAL::itemDoSeletor() const {
    return static_cast<int>(::SendMessageW(seletor_, CB_GETCURSEL, 0, 0));
}

} // namespace notera::win32
