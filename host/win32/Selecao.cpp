#include "Selecao.h"

#include "Robo.h"
#include "Texto16.h"

#include "platform/win32/Nome.h"

#include <commctrl.h>

namespace {

constexpr int MargemAcima = 5; // rows left above the current one before reading more
constexpr UINT Responde = WM_APP + 10;
constexpr UINT VaiAoExtremo = WM_APP + 11;
constexpr int IdBusca = 100, IdLista = 101;
const wchar_t* const Classe = L"NoteraSelecao";

struct Dialogo {
    Dialogo(std::string t, SelecaoDeRegistro& s, RoboWin32* r)
        : titulo(std::move(t)), sel(s), robo(r), janela(s.dados(), s.indices()) {}
    std::string titulo;
    SelecaoDeRegistro& sel;
    RoboWin32* robo;
    JanelaRegistros janela;
    HWND w = nullptr, busca = nullptr, lista = nullptr;
    bool fim = false;
    std::optional<std::string> escolhido;
    std::wstring celula; // the text a list view asked for, kept until it asks again

    void mostraAtual() { seleciona(janela.recarrega()); }
    void contaLinhas() {
        ListView_SetItemCountEx(lista, static_cast<int>(janela.linhas()),
                                LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
        ::InvalidateRect(lista, nullptr, TRUE);
    }
    void seleciona(int linha) {
        contaLinhas();
        if (linha < 0) return;
        ListView_SetItemState(lista, linha, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        ListView_EnsureVisible(lista, linha, FALSE);
    }
    void aoMudar(int linha) {
        if (linha < MargemAcima && janela.temAntes()) {
            auto novas = janela.leAntes(JanelaRegistros::Tamanho);
            const int n = static_cast<int>(novas.size());
            if (n > 0) {
                janela.antepoe(std::move(novas));
                seleciona(linha + n);
                return;
            }
        }
        if (linha >= static_cast<int>(janela.linhas()) - MargemAcima && janela.temDepois()) {
            auto novas = janela.leDepois(JanelaRegistros::Tamanho);
            if (!novas.empty()) {
                janela.acrescenta(std::move(novas));
                contaLinhas();
            }
        }
    }
    void aceita() {
        const int linha = ListView_GetNextItem(lista, -1, LVNI_SELECTED);
        auto chave = linha >= 0 ? sel.escolhe(janela, linha) : std::nullopt;
        if (!chave) return rejeita();
        escolhido = chave;
        fim = true;
    }
    void rejeita() {
        sel.restaura();
        escolhido.reset();
        fim = true;
    }
    void respondeRobo() {
        robo->drenaSeParado();
        Evento ev{{"event", "select"},
                  {"caption", titulo},
                  {"fields", sel.campos()},
                  {"titles", sel.titulos()},
                  {"at", sel.valorInicial()}};
        auto resposta = robo->proximaSelecao();
        if (resposta && *resposta != "cancel" && sel.localiza(*resposta)) {
            mostraAtual();
            ev.insert_or_assign("answer", *resposta);
            robo->log().escreve(ev);
            aceita();
            return;
        }
        ev.insert_or_assign("answer", "cancel");
        robo->log().escreve(ev);
        if (!resposta)
            robo->registraErro("unexpected selection dialog \"" + titulo + "\"");
        else if (*resposta != "cancel")
            robo->registraErro("selection dialog \"" + titulo + "\" has no row " + *resposta);
        rejeita();
    }
};

std::string textoDe(HWND w) {
    std::wstring buf(static_cast<std::size_t>(::GetWindowTextLengthW(w)) + 1, L'\0');
    buf.resize(static_cast<std::size_t>(::GetWindowTextW(w, buf.data(), int(buf.size()))));
    return paraUtf8(buf);
}

LRESULT CALLBACK procedimento(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* d = reinterpret_cast<Dialogo*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    switch (m) {
    case WM_NCCREATE:
        ::SetWindowLongPtrW(
            w, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        break;
    case WM_COMMAND:
        if (!d) break;
        if (LOWORD(wp) == IDOK) {
            d->aceita();
        } else if (LOWORD(wp) == IDCANCEL) {
            d->rejeita();
        } else if (LOWORD(wp) == IdBusca && HIWORD(wp) == EN_CHANGE) {
            if (d->sel.pesquisa(textoDe(d->busca))) d->mostraAtual();
        }
        return 0;
    case WM_NOTIFY: {
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (!d || n->idFrom != IdLista) break;
        if (n->code == LVN_GETDISPINFOW) {
            auto* di = reinterpret_cast<NMLVDISPINFOW*>(lp);
            if (di->item.mask & LVIF_TEXT) {
                d->celula = paraUtf16(d->janela.valor(static_cast<std::size_t>(di->item.iItem),
                                                      static_cast<std::size_t>(di->item.iSubItem)));
                di->item.pszText = d->celula.data();
            }
        } else if (n->code == LVN_ITEMCHANGED) {
            const auto* i = reinterpret_cast<const NMLISTVIEW*>(lp);
            if ((i->uNewState & LVIS_FOCUSED) && !(i->uOldState & LVIS_FOCUSED) && i->iItem >= 0)
                d->aoMudar(i->iItem);
        } else if (n->code == NM_DBLCLK) {
            d->aceita();
        } else if (n->code == LVN_KEYDOWN) {
            // Ctrl+Home and Ctrl+End reach the first and the last record, not only the rows
            // read; after the list's own move.
            const auto* k = reinterpret_cast<const NMLVKEYDOWN*>(lp);
            if ((k->wVKey == VK_HOME || k->wVKey == VK_END) && ::GetKeyState(VK_CONTROL) < 0)
                ::PostMessageW(w, VaiAoExtremo, k->wVKey == VK_END, 0);
        }
        return 0;
    }
    case VaiAoExtremo:
        if (d) {
            NoteraDataSet* ds = d->sel.dados();
            if (wp ? ds->ops->Last(ds) : ds->ops->First(ds)) d->mostraAtual();
        }
        return 0;
    case Responde:
        if (d && d->robo) d->respondeRobo();
        return 0;
    case WM_CLOSE:
        if (d) d->rejeita();
        return 0;
    case WM_NCDESTROY:
        platform::win32::tiraNome(w);
        break;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

HWND filho(HWND pai, const wchar_t* classe, const wchar_t* texto, DWORD estilo, int id, int x,
           int y, int cx, int cy, const char* nome) {
    HWND h = ::CreateWindowExW(0, classe, texto, WS_CHILD | WS_VISIBLE | estilo, x, y, cx, cy, pai,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                               ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)),
                   TRUE);
    platform::win32::defineNome(h, nome);
    return h;
}

} // namespace

std::optional<std::string> mostraSelecao(const std::string& titulo, SelecaoDeRegistro& selecao,
                                         RoboWin32* robo) {
    static const bool registrada = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = procedimento;
        c.hInstance = ::GetModuleHandleW(nullptr);
        c.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = Classe;
        return ::RegisterClassExW(&c) != 0;
    }();
    if (!registrada) return std::nullopt;

    Dialogo d(titulo, selecao, robo && robo->comRoteiro() ? robo : nullptr);
    HWND dono = ::GetActiveWindow();
    d.w = ::CreateWindowExW(WS_EX_DLGMODALFRAME, Classe, paraUtf16(titulo).c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 560,
                            420, dono, nullptr, ::GetModuleHandleW(nullptr), &d);
    if (!d.w) return std::nullopt;
    platform::win32::defineNome(d.w, "SelecionaRegistro");
    RECT r{};
    ::GetClientRect(d.w, &r);
    const int larg = r.right - 16, alt = r.bottom;
    d.busca = filho(d.w, L"EDIT", L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, IdBusca, 8, 8, larg,
                    22, "Pesquisa");
    d.lista = filho(d.w, WC_LISTVIEWW, L"",
                    WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                        LVS_OWNERDATA,
                    IdLista, 8, 38, larg, alt - 38 - 44, "Registros");
    ListView_SetExtendedListViewStyle(d.lista, LVS_EX_FULLROWSELECT);
    HWND ok = filho(d.w, L"BUTTON", L"OK", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, larg - 170,
                    alt - 34, 85, 26, "BtOk");
    HWND cancelar = filho(d.w, L"BUTTON", L"Cancelar", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL,
                          larg - 77, alt - 34, 85, 26, "BtCancelar");
    const auto& titulos = selecao.titulos();
    for (std::size_t i = 0; i < selecao.indices().size(); ++i) {
        std::wstring t = paraUtf16(i < titulos.size() ? titulos[i] : std::string());
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = i + 1 == selecao.indices().size() ? larg - 24 - 100 * int(i) : 100;
        c.pszText = t.data();
        ListView_InsertColumn(d.lista, static_cast<int>(i), &c);
    }
    d.mostraAtual();

    // The robot's next action waits while the dialog is open.
    if (d.robo) ++d.robo->dialogosAbertos;
    if (dono) ::EnableWindow(dono, FALSE);
    ::ShowWindow(d.w, SW_SHOW);
    ::SetFocus(d.busca);
    if (d.robo) ::PostMessageW(d.w, Responde, 0, 0);
    MSG m;
    while (!d.fim) {
        const BOOL r2 = ::GetMessageW(&m, nullptr, 0, 0);
        if (r2 <= 0) {
            if (r2 == 0) ::PostQuitMessage(static_cast<int>(m.wParam));
            d.rejeita();
            break;
        }
        if (!::IsDialogMessageW(d.w, &m)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
    if (dono) ::EnableWindow(dono, TRUE);
    for (HWND h : {d.busca, d.lista, ok, cancelar})
        platform::win32::tiraNome(h);
    ::DestroyWindow(d.w);
    if (dono) ::SetActiveWindow(dono);
    if (d.robo) --d.robo->dialogosAbertos;
    return d.escolhido;
}
