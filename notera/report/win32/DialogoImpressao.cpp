#include "DialogoImpressao.h"

#include "platform/win32/Nome.h"

#include <cwctype>

namespace report {

namespace {

constexpr wchar_t Classe[] = L"NoteraDialogoImpressao";
enum : int { IdImpressora = 101, IdCopias, IdEmArquivo, IdArquivo };

// The window class, registered once for the process.
void registraClasse(WNDPROC procedimento) {
    static const ATOM classe = [procedimento] {
        WNDCLASSEXW c{};
        c.cbSize = sizeof(c);
        c.lpfnWndProc = procedimento;
        c.hInstance = ::GetModuleHandleW(nullptr);
        c.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = Classe;
        return ::RegisterClassExW(&c);
    }();
    (void)classe;
}

std::wstring textoDe(HWND janela) {
    std::wstring t(static_cast<std::size_t>(::GetWindowTextLengthW(janela)) + 1, L'\0');
    t.resize(
        static_cast<std::size_t>(::GetWindowTextW(janela, t.data(), static_cast<int>(t.size()))));
    return t;
}

// A whole number of copies between 1 and 999, blanks around it allowed.
std::optional<int> leCopias(const std::wstring& t) {
    int n = 0, digitos = 0;
    std::size_t i = 0;
    while (i < t.size() && std::iswspace(t[i]))
        ++i;
    for (; i < t.size() && t[i] >= L'0' && t[i] <= L'9'; ++i, ++digitos) {
        n = n * 10 + (t[i] - L'0');
        if (n > 999) return std::nullopt;
    }
    while (i < t.size() && std::iswspace(t[i]))
        ++i;
    if (digitos == 0 || i != t.size() || n < 1) return std::nullopt;
    return n;
}

std::vector<std::wstring> listaImpressoras() {
    std::vector<std::wstring> r;
    DWORD precisa = 0, quantas = 0;
    const DWORD onde = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    ::EnumPrintersW(onde, nullptr, 4, nullptr, 0, &precisa, &quantas);
    if (precisa == 0) return r;
    std::vector<BYTE> buf(precisa);
    if (!::EnumPrintersW(onde, nullptr, 4, buf.data(), precisa, &precisa, &quantas)) return r;
    const auto* info = reinterpret_cast<const PRINTER_INFO_4W*>(buf.data());
    for (DWORD i = 0; i < quantas; ++i)
        if (info[i].pPrinterName) r.emplace_back(info[i].pPrinterName);
    return r;
}

std::wstring impressoraPadrao() {
    DWORD n = 0;
    ::GetDefaultPrinterW(nullptr, &n);
    if (n == 0) return {};
    std::wstring nome(n, L'\0');
    if (!::GetDefaultPrinterW(nome.data(), &n)) return {};
    nome.resize(n > 0 ? n - 1 : 0);
    return nome;
}

} // namespace

DialogoImpressao::DialogoImpressao()
    : impressoras_(listaImpressoras()), padrao_(impressoraPadrao()) {}

std::optional<EscolhaImpressao> DialogoImpressao::mostra(HWND dono, int copias) {
    registraClasse(&DialogoImpressao::procedimento);
    copiasPropostas_ = copias;
    fim_ = false;
    escolha_.reset();
    const DWORD estilo = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    RECT r{0, 0, 380, 176};
    ::AdjustWindowRectEx(&r, estilo, FALSE, WS_EX_DLGMODALFRAME);
    const int l = r.right - r.left, a = r.bottom - r.top;
    int xJanela = (::GetSystemMetrics(SM_CXSCREEN) - l) / 2;
    int yJanela = (::GetSystemMetrics(SM_CYSCREEN) - a) / 2;
    RECT rd{};
    if (dono && ::GetWindowRect(dono, &rd)) {
        xJanela = rd.left + (rd.right - rd.left - l) / 2;
        yJanela = rd.top + (rd.bottom - rd.top - a) / 2;
    }
    janela_ =
        ::CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, Classe, L"Imprimir", estilo,
                          xJanela, yJanela, l, a, dono, nullptr, ::GetModuleHandleW(nullptr), this);
    if (!janela_) return std::nullopt;

    // Modal: the owner takes no input until the dialog ends.
    const bool donoAtivo = dono && ::IsWindowEnabled(dono);
    if (donoAtivo) ::EnableWindow(dono, FALSE);
    ::ShowWindow(janela_, SW_SHOW);
    ::SetForegroundWindow(janela_);
    ::SetFocus(impressora_);
    MSG m;
    while (!fim_) {
        const BOOL r = ::GetMessageW(&m, nullptr, 0, 0);
        if (r == 0) {
            // The application is ending: leave WM_QUIT for the loop that owns it.
            ::PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (r < 0) break;
        if (!::IsDialogMessageW(janela_, &m)) {
            ::TranslateMessage(&m);
            ::DispatchMessageW(&m);
        }
    }
    // The owner is enabled again before the dialog goes, so that it gets the activation back.
    if (donoAtivo) ::EnableWindow(dono, TRUE);
    ::DestroyWindow(janela_);
    janela_ = nullptr;
    return escolha_;
}

LRESULT CALLBACK DialogoImpressao::procedimento(HWND janela, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        ::SetWindowLongPtrW(janela, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* d = reinterpret_cast<DialogoImpressao*>(::GetWindowLongPtrW(janela, GWLP_USERDATA));
    if (!d) return ::DefWindowProcW(janela, msg, wp, lp);
    return d->trata(janela, msg, wp, lp);
}

void DialogoImpressao::cria(HWND janela) {
    namespace w = platform::win32;
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    auto fonte = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
    auto controle = [&](DWORD exEstilo, const wchar_t* classe, const wchar_t* texto, DWORD estilo,
                        int x, int y, int l, int a, int id, const char* nome) {
        HWND c = ::CreateWindowExW(exEstilo, classe, texto, WS_CHILD | WS_VISIBLE | estilo, x, y, l,
                                   a, janela, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   inst, nullptr);
        ::SendMessageW(c, WM_SETFONT, fonte, FALSE);
        if (nome) w::defineNome(c, nome);
        return c;
    };
    controle(0, L"STATIC", L"Impressora:", SS_LEFT, 12, 16, 80, 16, -1, nullptr);
    impressora_ = controle(0, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 96, 12,
                           272, 200, IdImpressora, "CbImpressora");
    controle(0, L"STATIC", L"Cópias:", SS_LEFT, 12, 48, 80, 16, -1, nullptr);
    copias_ = controle(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, 96,
                       44, 60, 22, IdCopias, "EdCopias");
    emArquivo_ = controle(0, L"BUTTON", L"Imprimir em arquivo", BS_AUTOCHECKBOX | WS_TABSTOP, 12,
                          78, 200, 20, IdEmArquivo, "CkArquivo");
    controle(0, L"STATIC", L"Arquivo:", SS_LEFT, 12, 108, 80, 16, -1, nullptr);
    arquivo_ = controle(WS_EX_CLIENTEDGE, L"EDIT", L"", ES_AUTOHSCROLL | WS_TABSTOP, 96, 104, 272,
                        22, IdArquivo, "EdArquivo");
    controle(0, L"BUTTON", L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 196, 140, 80, 26, IDOK, "BtOk");
    controle(0, L"BUTTON", L"Cancelar", BS_PUSHBUTTON | WS_TABSTOP, 288, 140, 80, 26, IDCANCEL,
             "BtCancelar");

    int escolhida = -1;
    for (std::size_t i = 0; i < impressoras_.size(); ++i) {
        ::SendMessageW(impressora_, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(impressoras_[i].c_str()));
        if (impressoras_[i] == padrao_) escolhida = static_cast<int>(i);
    }
    if (escolhida < 0 && !impressoras_.empty()) escolhida = 0;
    ::SendMessageW(impressora_, CB_SETCURSEL, static_cast<WPARAM>(escolhida), 0);
    ::SetWindowTextW(copias_, std::to_wstring(copiasPropostas_).c_str());
    w::defineNome(janela, "DialogoImpressao");
    atualiza();
}

void DialogoImpressao::atualiza() {
    ::EnableWindow(arquivo_, ::SendMessageW(emArquivo_, BM_GETCHECK, 0, 0) == BST_CHECKED);
}

bool DialogoImpressao::aceita() {
    auto recusa = [this](const wchar_t* texto, HWND foco) {
        ::MessageBoxW(janela_, texto, L"Imprimir", MB_OK | MB_ICONWARNING);
        ::SetFocus(foco);
        return false;
    };
    const LRESULT i = ::SendMessageW(impressora_, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR || static_cast<std::size_t>(i) >= impressoras_.size())
        return recusa(L"Nenhuma impressora escolhida.", impressora_);
    const auto copias = leCopias(textoDe(copias_));
    if (!copias) return recusa(L"O número de cópias deve estar entre 1 e 999.", copias_);
    EscolhaImpressao e;
    // The list's text, not our copy by index: the list sorts nothing, but a robot may select
    // by text.
    std::wstring nome(static_cast<std::size_t>(
                          ::SendMessageW(impressora_, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0)) +
                          1,
                      L'\0');
    const LRESULT n = ::SendMessageW(impressora_, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(nome.data()));
    nome.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    e.impressora = nome;
    e.copias = *copias;
    e.emArquivo = ::SendMessageW(emArquivo_, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (e.emArquivo) {
        e.arquivo = textoDe(arquivo_);
        if (e.arquivo.find_first_not_of(L" \t") == std::wstring::npos)
            return recusa(L"Informe o arquivo em que imprimir.", arquivo_);
    }
    escolha_ = std::move(e);
    return true;
}

void DialogoImpressao::termina(bool aceito) {
    if (!aceito) escolha_.reset();
    fim_ = true;
}

LRESULT DialogoImpressao::trata(HWND janela, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        cria(janela);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            if (HIWORD(wp) == BN_CLICKED && aceita()) termina(true);
            return 0;
        case IDCANCEL:
            if (HIWORD(wp) == BN_CLICKED) termina(false);
            return 0;
        case IdEmArquivo:
            if (HIWORD(wp) == BN_CLICKED) atualiza();
            return 0;
        }
        break;
    case WM_CLOSE:
        termina(false);
        return 0;
    case WM_DESTROY:
        // The controls are still there: their names go with them.
        for (HWND c = ::GetWindow(janela, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
            platform::win32::tiraNome(c);
        return 0;
    case WM_NCDESTROY:
        platform::win32::tiraNome(janela);
        ::SetWindowLongPtrW(janela, GWLP_USERDATA, 0);
        break;
    }
    return ::DefWindowProcW(janela, msg, wp, lp);
}

} // namespace report
