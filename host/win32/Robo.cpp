#include "Robo.h"

#include "Texto16.h"

#include "base/Cp1252.h"
#include "base/Texto.h"
#include "platform/CapsLock.h"
#include "platform/win32/Nome.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <vector>

namespace {

constexpr UINT MarcaOcioso = WM_APP + 50;
constexpr UINT CapsLockNoForm = WM_APP + 51; // wParam 0: read, 1: set off, 2: set on
constexpr UINT CentroDaCelula = WM_APP + 1;
constexpr UINT MudaPagina = WM_APP + 2;
constexpr UINT CelulaAtual = WM_APP + 3;
constexpr UINT TextoDaCelula = WM_APP + 4;
constexpr UINT TamanhoDaGrade = WM_APP + 5;
const wchar_t* const Respondida = L"NoteraRespondida";
const wchar_t* const Contada = L"NoteraContada";
const wchar_t* const Ativada = L"NoteraAtivada";
const std::string DialogoImpressao = "DialogoImpressao";

std::string classe(HWND w) {
    wchar_t c[64] = {};
    ::GetClassNameW(w, c, 64);
    return paraUtf8(c);
}

std::string texto(HWND w) {
    DWORD_PTR n = 0;
    if (!::SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)) return {};
    std::wstring buf(n + 1, L'\0');
    DWORD_PTR lidos = 0;
    ::SendMessageTimeoutW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()),
                          SMTO_ABORTIFHUNG, 5000, &lidos);
    buf.resize(std::min<std::size_t>(lidos, n));
    return paraUtf8(buf);
}

LRESULT envia(HWND w, UINT m, WPARAM wp = 0, LPARAM lp = 0) {
    DWORD_PTR r = 0;
    if (!::SendMessageTimeoutW(w, m, wp, lp, SMTO_ABORTIFHUNG, 5000, &r)) return 0;
    return static_cast<LRESULT>(r);
}

bool ehGrade(HWND w) {
    return envia(w, TamanhoDaGrade) != 0;
}

// Whether the window or one of its owners is the print dialog.
bool sobImpressao(HWND w) {
    for (HWND h = w; h; h = ::GetWindow(h, GW_OWNER))
        if (platform::win32::nomeDe(h) == DialogoImpressao) return true;
    return false;
}

void CALLBACK aoTimerCaixa(HWND w, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(w, id);
    if (auto* r = RoboWin32::ativo()) r->respondeCaixa(w);
}

void CALLBACK aoTimerImpressao(HWND w, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(w, id);
    if (auto* r = RoboWin32::ativo()) r->respondeImpressao(w);
}

HHOOK ganchoCbt = nullptr, ganchoMensagens = nullptr;

// Message boxes and the print dialog are answered from a timer in their own loop: a box
// fills its controls only after it is activated. Every dialog window counts as open from its
// creation to its destruction, whether or not it has been activated yet, so the robot's next
// action waits for it.
LRESULT CALLBACK cbt(int codigo, WPARAM wp, LPARAM lp) {
    RoboWin32* r = RoboWin32::ativo();
    HWND w = reinterpret_cast<HWND>(wp);
    if (r && r->comRoteiro()) {
        if (codigo == HCBT_CREATEWND) {
            const auto* c = reinterpret_cast<const CBT_CREATEWNDW*>(lp);
            if (!(c->lpcs->style & WS_CHILD) && classe(w) == "#32770") {
                ::SetPropW(w, Contada, reinterpret_cast<HANDLE>(1));
                ++r->dialogosAbertos;
            }
        } else if (codigo == HCBT_DESTROYWND) {
            if (::RemovePropW(w, Contada)) --r->dialogosAbertos;
            ::RemovePropW(w, Respondida);
        } else if (codigo == HCBT_ACTIVATE && !::GetPropW(w, Respondida)) {
            if (platform::win32::nomeDe(w) == DialogoImpressao) {
                ::SetPropW(w, Respondida, reinterpret_cast<HANDLE>(1));
                ::SetTimer(w, 1, 10, aoTimerImpressao);
            } else if (classe(w) == "#32770" && platform::win32::nomeDe(w).empty() &&
                       ::GetDlgItem(w, 0xFFFF) && !sobImpressao(w)) {
                ::SetPropW(w, Respondida, reinterpret_cast<HANDLE>(1));
                ::SetTimer(w, 1, 10, aoTimerCaixa);
            }
        }
    }
    return ::CallNextHookEx(ganchoCbt, codigo, wp, lp);
}

LRESULT CALLBACK mensagens(int codigo, WPARAM wp, LPARAM lp) {
    if (codigo == HC_ACTION && wp == PM_REMOVE)
        if (auto* r = RoboWin32::ativo()) r->aoRemover(*reinterpret_cast<const MSG*>(lp));
    return ::CallNextHookEx(ganchoMensagens, codigo, wp, lp);
}

const char* nomeDoIcone(HWND caixa) {
    for (HWND f = ::GetWindow(caixa, GW_CHILD); f; f = ::GetWindow(f, GW_HWNDNEXT)) {
        if (classe(f) != "Static" || !::IsWindowVisible(f)) continue;
        if ((::GetWindowLongW(f, GWL_STYLE) & SS_TYPEMASK) != SS_ICON) continue;
        const HICON h = reinterpret_cast<HICON>(::SendMessageW(f, STM_GETICON, 0, 0));
        if (!h) continue;
        if (h == ::LoadIconW(nullptr, IDI_ASTERISK)) return "information";
        if (h == ::LoadIconW(nullptr, IDI_EXCLAMATION)) return "warning";
        if (h == ::LoadIconW(nullptr, IDI_HAND)) return "error";
        if (h == ::LoadIconW(nullptr, IDI_QUESTION)) return "question";
    }
    return "none";
}

// The box's buttons as the conventions name them, left to right.
struct Botao {
    HWND janela;
    int id;
    std::string texto;
};
std::vector<Botao> botoesDa(HWND caixa) {
    std::vector<std::pair<LONG, Botao>> v;
    for (HWND f = ::GetWindow(caixa, GW_CHILD); f; f = ::GetWindow(f, GW_HWNDNEXT)) {
        if (classe(f) != "Button" || !::IsWindowVisible(f)) continue;
        const int id = ::GetDlgCtrlID(f);
        std::string t = id == IDYES ? "&Sim" : id == IDNO ? "&Não" : id == IDOK ? "OK" : texto(f);
        RECT r{};
        ::GetWindowRect(f, &r);
        v.push_back({r.left, {f, id, std::move(t)}});
    }
    std::stable_sort(v.begin(), v.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Botao> b;
    for (auto& p : v)
        b.push_back(std::move(p.second));
    return b;
}

BOOL CALLBACK juntaJanela(HWND w, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

std::vector<HWND> janelasDoThread(DWORD thread) {
    std::vector<HWND> v;
    ::EnumThreadWindows(thread, juntaJanela, reinterpret_cast<LPARAM>(&v));
    return v;
}

std::string linhaDe(const Acao& a) {
    return "line " + std::to_string(a.linha) + ": ";
}

} // namespace

RoboWin32* RoboWin32::ativo_ = nullptr;

RoboWin32::RoboWin32(std::vector<Acao> acoes, Registro& log, bool comRoteiro)
    : log_(log), comRoteiro_(comRoteiro), roteiro_(std::move(acoes), log),
      threadForm_(::GetCurrentThreadId()) {
    ativo_ = this;
    if (!comRoteiro_) return;
    cbt_ = ganchoCbt = ::SetWindowsHookExW(WH_CBT, cbt, nullptr, threadForm_);
    mensagens_ = ganchoMensagens =
        ::SetWindowsHookExW(WH_GETMESSAGE, mensagens, nullptr, threadForm_);
}

RoboWin32::~RoboWin32() {
    fim_ = true;
    if (thread_.joinable()) thread_.join();
    if (cbt_) ::UnhookWindowsHookEx(cbt_);
    if (mensagens_) ::UnhookWindowsHookEx(mensagens_);
    ganchoCbt = ganchoMensagens = nullptr;
    ativo_ = nullptr;
}

bool RoboWin32::falhou() {
    std::lock_guard<std::mutex> t(trava_);
    return roteiro_.falhou();
}

bool RoboWin32::pedeImpressao() {
    std::lock_guard<std::mutex> t(trava_);
    return roteiro_.pedeImpressao();
}

std::optional<std::string> RoboWin32::proximaSelecao() {
    std::lock_guard<std::mutex> t(trava_);
    return roteiro_.proximaSelecao();
}

bool RoboWin32::proximaReservaRecusada() {
    std::lock_guard<std::mutex> t(trava_);
    return roteiro_.proximaReservaRecusada();
}

void RoboWin32::registraErro(const std::string& t) {
    std::lock_guard<std::mutex> g(trava_);
    roteiro_.registraErro(t);
}

std::optional<Acao> RoboWin32::proximaSemInteracao() {
    std::lock_guard<std::mutex> t(trava_);
    auto& acoes = roteiro_.acoes();
    if (ocupado_ || acoes.empty() || Roteiro::tipoDe(acoes.front()) == Roteiro::Tipo::Interativa)
        return std::nullopt;
    Acao a = std::move(acoes.front());
    acoes.pop_front();
    return a;
}

void RoboWin32::drenaSeParado() {
    while (auto a = proximaSemInteracao())
        executa(*a);
}

void RoboWin32::aoRemover(const MSG& m) {
    if (m.message == MarcaOcioso && !m.hwnd) {
        marcaVista_ = static_cast<unsigned>(m.wParam);
        return;
    }
    if (m.message == CapsLockNoForm && !m.hwnd) {
        // On the form's thread: its own keyboard state is the one its GetKeyState reads.
        if (m.wParam != 0 && platform::capsLockLigado() != (m.wParam == 2)) {
            BYTE estado[256] = {};
            ::GetKeyboardState(estado);
            estado[VK_CAPITAL] = static_cast<BYTE>((estado[VK_CAPITAL] & ~1) | (m.wParam == 2));
            ::SetKeyboardState(estado);
        }
        capsLock_ = platform::capsLockLigado();
        return;
    }
    // Timers and painting come on their own; they are no sign of work still queued.
    if (m.message == WM_TIMER || m.message == 0x0118 /* WM_SYSTIMER */ || m.message == WM_PAINT ||
        m.message == WM_NCPAINT || m.message == WM_MOUSEMOVE)
        return;
    ++outras_;
}

// Posted messages are taken in order, so once a marker posted after them has been taken,
// they have been too; handling them may post more, so it goes on until a marker passes alone.
// A dialog's own loop takes markers too: while one is open (or the form is disabled by it),
// the action that opened it is still running.
void RoboWin32::esperaOcioso() {
    if (::GetCurrentThreadId() == threadForm_ || fim_) return;
    auto bloqueado = [this] {
        HWND j = janela_;
        return dialogosAbertos > 0 || (j && ::IsWindow(j) && !::IsWindowEnabled(j));
    };
    for (int volta = 0; volta < 1000 && !fim_; ++volta) {
        while (!fim_ && bloqueado())
            ::Sleep(5);
        const unsigned antes = outras_;
        const unsigned marca = ++marca_;
        if (!::PostThreadMessageW(threadForm_, MarcaOcioso, marca, 0)) return;
        while (!fim_ && marcaVista_ < marca)
            ::Sleep(1);
        if (volta > 0 && outras_ == antes && !bloqueado()) return;
    }
}

void RoboWin32::iniciaPassos(const std::string& janela) {
    if (!comRoteiro_) return;
    thread_ = std::thread([this, janela] { corre(janela); });
}

void RoboWin32::corre(std::string nome) {
    HWND form = nullptr;
    while (!fim_ && !form) {
        for (HWND w : janelasDoThread(threadForm_))
            if (platform::win32::nomeDe(w) == nome && ::GetPropW(w, Ativada)) form = w;
        if (!form) ::Sleep(10);
    }
    if (fim_) return;
    janela_ = form;
    for (;;) {
        // Each action once the form takes input again: no dialog open, nothing queued.
        esperaOcioso();
        if (fim_ || !::IsWindow(form)) return;
        Acao a;
        {
            std::lock_guard<std::mutex> t(trava_);
            auto& acoes = roteiro_.acoes();
            if (acoes.empty()) {
                roteiro_.registraErro("the script ended with " + nome + " still open");
                ::PostMessageW(form, WM_CLOSE, 0, 0);
                return;
            }
            a = std::move(acoes.front());
            acoes.pop_front();
            ocupado_ = true;
        }
        executa(a);
        esperaOcioso();
        std::lock_guard<std::mutex> t(trava_);
        ocupado_ = false;
    }
}

void RoboWin32::conclui() {
    fim_ = true;
    if (thread_.joinable()) thread_.join();
    for (;;) {
        Acao a;
        {
            std::lock_guard<std::mutex> t(trava_);
            auto& acoes = roteiro_.acoes();
            if (acoes.empty()) break;
            a = std::move(acoes.front());
            acoes.pop_front();
        }
        executa(a);
    }
    std::lock_guard<std::mutex> t(trava_);
    roteiro_.confereSobras();
}

HWND RoboWin32::acha(const std::string& nome) {
    HWND primeiro = nullptr;
    for (HWND raiz : janelasDoThread(threadForm_)) {
        HWND w = platform::win32::achaPorNome(raiz, nome);
        if (!w) continue;
        if (::IsWindowVisible(w)) return w;
        if (!primeiro) primeiro = w;
    }
    return primeiro;
}

HWND RoboWin32::foco() {
    GUITHREADINFO g{};
    g.cbSize = sizeof g;
    if (!::GetGUIThreadInfo(threadForm_, &g)) return nullptr;
    return g.hwndFocus;
}

void RoboWin32::despeja(const std::string& nome, int linha) {
    (void)linha;
    if (nome == "focus") {
        // Inner windows (a grid's editor, a combo box's edit) stand for their named control.
        HWND f = foco();
        while (f && platform::win32::nomeDe(f).empty() && ::GetParent(f))
            f = ::GetParent(f);
        log_.escreve({{"event", "dump"},
                      {"name", "focus"},
                      {"value", f ? platform::win32::nomeDe(f) : std::string()}});
        return;
    }
    if (nome == "capslock") {
        bool ligado = platform::capsLockLigado();
        if (::GetCurrentThreadId() != threadForm_ && janela_) {
            // The toggle as the form's thread sees it, read there by the message hook.
            ::PostThreadMessageW(threadForm_, CapsLockNoForm, 0, 0);
            esperaOcioso();
            ligado = capsLock_;
        }
        log_.escreve({{"event", "dump"}, {"name", "capslock"}, {"value", ligado}});
        return;
    }
    HWND w = acha(nome);
    if (!w) {
        registraErro("unknown widget " + nome);
        return;
    }
    Evento ev{{"event", "dump"}, {"name", nome}};
    if (const LRESULT tam = envia(w, TamanhoDaGrade); tam != 0) {
        const int colunas = LOWORD(tam), linhas = HIWORD(tam);
        std::vector<Json> rows;
        for (int r = 0; r < linhas; ++r) {
            std::vector<std::string> l;
            for (int c = 0; c < colunas; ++c) {
                const auto* p = reinterpret_cast<const char*>(envia(w, TextoDaCelula, c, r));
                l.push_back(p ? p : "");
            }
            rows.emplace_back(l);
        }
        const LRESULT atual = envia(w, CelulaAtual);
        ev.insert_or_assign("rows", rows);
        ev.insert_or_assign("col", static_cast<int>(static_cast<short>(LOWORD(atual))));
        ev.insert_or_assign("row", static_cast<int>(static_cast<short>(HIWORD(atual))));
    } else {
        ev.insert_or_assign("text", texto(w));
        ev.insert_or_assign("visible", ::IsWindowVisible(w) != 0);
        ev.insert_or_assign("enabled", ::IsWindowEnabled(w) != 0);
        ev.insert_or_assign("focus", foco() == w);
        if (!(::GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) {
            RECT r{};
            ::GetWindowRect(w, &r);
            ev.insert_or_assign("x", static_cast<int>(r.left));
            ev.insert_or_assign("y", static_cast<int>(r.top));
            ev.insert_or_assign("width", static_cast<int>(r.right - r.left));
            ev.insert_or_assign("height", static_cast<int>(r.bottom - r.top));
        }
    }
    log_.escreve(ev);
}

void RoboWin32::clicaEm(HWND w, int x, int y) {
    const LPARAM p = MAKELPARAM(x, y);
    ::PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, p);
    ::PostMessageW(w, WM_LBUTTONUP, 0, p);
}

void RoboWin32::clica(HWND w, bool botao) {
    if (botao && classe(w) == "Button") {
        ::PostMessageW(w, BM_CLICK, 0, 0);
        return;
    }
    if (ehGrade(w)) {
        // A click on the current cell, as a user clicking into the grid would.
        const LRESULT atual = envia(w, CelulaAtual);
        int col = static_cast<short>(LOWORD(atual)), lin = static_cast<short>(HIWORD(atual));
        if (col < 0) col = 0;
        if (lin < 1) lin = 1;
        LRESULT c = envia(w, CentroDaCelula, col, lin);
        if (c == -1) c = envia(w, CentroDaCelula, 0, 0);
        if (c != -1) {
            clicaEm(w, static_cast<short>(LOWORD(c)), static_cast<short>(HIWORD(c)));
            return;
        }
    }
    RECT r{};
    ::GetClientRect(w, &r);
    clicaEm(w, (r.right - r.left) / 2, (r.bottom - r.top) / 2);
}

void RoboWin32::teclas(const std::vector<std::string>& nomes, int linha) {
    (void)linha;
    static const std::map<std::string, std::pair<UINT, bool>> mapa = {
        {"Enter", {VK_RETURN, false}},   {"Tab", {VK_TAB, false}},
        {"Backtab", {VK_TAB, false}},    {"Up", {VK_UP, true}},
        {"Down", {VK_DOWN, true}},       {"Left", {VK_LEFT, true}},
        {"Right", {VK_RIGHT, true}},     {"Home", {VK_HOME, true}},
        {"End", {VK_END, true}},         {"PageUp", {VK_PRIOR, true}},
        {"PageDown", {VK_NEXT, true}},   {"Escape", {VK_ESCAPE, false}},
        {"Backspace", {VK_BACK, false}}, {"Delete", {VK_DELETE, true}},
        {"Space", {VK_SPACE, false}},
    };
    for (const std::string& nome : nomes) {
        bool shift = false, ctrl = false, alt = false, ok = true;
        std::string base = nome;
        for (std::size_t mais;
             (mais = base.find('+')) != std::string::npos && mais + 1 < base.size();) {
            const std::string m = base.substr(0, mais);
            base = base.substr(mais + 1);
            if (m == "Shift")
                shift = true;
            else if (m == "Ctrl")
                ctrl = true;
            else if (m == "Alt")
                alt = true;
            else
                ok = false;
        }
        UINT vk = 0;
        bool estendida = false;
        if (auto it = mapa.find(base); it != mapa.end()) {
            vk = it->second.first;
            estendida = it->second.second;
            if (base == "Backtab") shift = true;
        } else if (base.size() == 1 && std::isalnum(static_cast<unsigned char>(base[0]))) {
            vk = static_cast<UINT>(std::toupper(static_cast<unsigned char>(base[0])));
        }
        if (!ok || vk == 0) {
            registraErro("unknown key " + nome);
            continue;
        }
        HWND w = foco();
        if (!w) {
            registraErro("no widget has the focus for key " + nome);
            continue;
        }
        // The form reads Shift and Ctrl with GetKeyState: they are set in its thread's
        // keyboard state while the key is taken.
        const bool estado = shift || ctrl;
        BYTE antes[256] = {};
        if (estado) {
            ::AttachThreadInput(::GetCurrentThreadId(), threadForm_, TRUE);
            ::GetKeyboardState(antes);
            BYTE agora[256];
            std::copy(std::begin(antes), std::end(antes), agora);
            if (shift) agora[VK_SHIFT] = agora[VK_LSHIFT] = 0x80;
            if (ctrl) agora[VK_CONTROL] = agora[VK_LCONTROL] = 0x80;
            ::SetKeyboardState(agora);
        }
        const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        LPARAM lp = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16) | (estendida ? 1 << 24 : 0) |
                    (alt ? 1 << 29 : 0);
        ::PostMessageW(w, alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, lp);
        ::PostMessageW(w, alt ? WM_SYSKEYUP : WM_KEYUP, vk, lp | (static_cast<LPARAM>(3) << 30));
        esperaOcioso();
        if (estado) {
            ::SetKeyboardState(antes);
            ::AttachThreadInput(::GetCurrentThreadId(), threadForm_, FALSE);
        }
    }
}

void RoboWin32::executa(const Acao& a) {
    const std::string& v = a.verbo;
    {
        std::lock_guard<std::mutex> t(trava_);
        if (roteiro_.enfileira(a)) return;
    }
    if (v == "dump") {
        despeja(a.args[0], a.linha);
    } else if (v == "capslock") {
        if (a.args[0] == "on" || a.args[0] == "off") {
            const bool quer = a.args[0] == "on";
            platform::defineCapsLock(quer);
            if (::GetCurrentThreadId() != threadForm_ && janela_) {
                esperaOcioso();
                // Without a keyboard (Wine's null driver) the key press toggles nothing: the
                // form's thread then sets the toggle in its own keyboard state.
                ::PostThreadMessageW(threadForm_, CapsLockNoForm, quer ? 2 : 1, 0);
                esperaOcioso();
            }
        } else
            registraErro(linhaDe(a) + "capslock takes on or off");
    } else if (v == "close") {
        HWND j = janela_;
        if (j && ::IsWindow(j) && ::IsWindowVisible(j))
            ::PostMessageW(j, WM_CLOSE, 0, 0);
        else
            registraErro(linhaDe(a) + "no window to close");
    } else if (v == "type") {
        // One character at a time, each to the window that has the focus then: a grid opens
        // a cell editor on the first one and the rest go to it.
        for (char32_t c : base::decodifica(a.args[0])) {
            HWND w = foco();
            if (!w || fim_) {
                registraErro(linhaDe(a) + "no widget has the focus");
                break;
            }
            std::string um;
            base::anexa(um, c);
            const std::u32string em1252 =
                base::decodifica(base::cp1252ParaUtf8(base::utf8ParaCp1252(um)));
            const wchar_t ch = em1252.empty() ? L'?' : static_cast<wchar_t>(em1252[0]);
            ::PostMessageW(w, WM_CHAR, ch, 1);
            esperaOcioso();
        }
    } else if (v == "key") {
        teclas(a.args, a.linha);
    } else {
        HWND w = acha(a.args[0]);
        if (!w) {
            registraErro("unknown widget " + a.args[0]);
        } else if (v == "click" || v == "focus") {
            clica(w, v == "click");
        } else if (v == "cell") {
            const auto col = base::leInteiro64(a.args[1]), lin = base::leInteiro64(a.args[2]);
            LRESULT c = -1;
            if (col && lin && *col >= 0 && *lin >= 0 && *col < 0x7FFF && *lin < 0x7FFF &&
                ehGrade(w))
                c = envia(w, CentroDaCelula, static_cast<WPARAM>(*col), static_cast<LPARAM>(*lin));
            if (c == -1)
                registraErro(linhaDe(a) + "no cell " + a.args[1] + " " + a.args[2] + " in " +
                             a.args[0]);
            else
                clicaEm(w, static_cast<short>(LOWORD(c)), static_cast<short>(HIWORD(c)));
        } else if (v == "tab") {
            const auto i = base::leInteiro64(a.args[1]);
            const LRESULT n = envia(w, TCM_GETITEMCOUNT);
            if (!i || *i < 0 || *i >= n)
                registraErro(linhaDe(a) + "no page " + a.args[1] + " in " + a.args[0]);
            else
                ::PostMessageW(w, MudaPagina, static_cast<WPARAM>(*i), 0);
        }
    }
}

void RoboWin32::respondeCaixa(HWND caixa) {
    drenaSeParado();
    const std::string caption = texto(caixa), msg = texto(::GetDlgItem(caixa, 0xFFFF));
    const auto botoes = botoesDa(caixa);
    std::vector<std::string> nomes;
    for (const auto& b : botoes)
        nomes.push_back(b.texto);
    Evento ev{{"event", "message"},
              {"icon", nomeDoIcone(caixa)},
              {"caption", caption},
              {"text", msg},
              {"buttons", nomes}};
    const Botao* escolhido = nullptr;
    std::string erro;
    std::optional<std::string> resposta;
    {
        std::lock_guard<std::mutex> t(trava_);
        resposta = roteiro_.proximaCaixa();
    }
    if (!resposta) {
        erro = "unexpected message box \"" + msg + "\"";
    } else {
        for (const auto& b : botoes)
            if (b.texto == *resposta) escolhido = &b;
        if (!escolhido) erro = "message box \"" + msg + "\" has no button " + *resposta;
    }
    if (!escolhido) {
        // Dismissed as Escape would: No, else Cancel, else OK.
        for (int id : {IDNO, IDCANCEL, IDOK})
            for (const auto& b : botoes)
                if (!escolhido && b.id == id) escolhido = &b;
        if (!escolhido && !botoes.empty()) escolhido = &botoes.front();
    }
    ev.insert_or_assign("answer", escolhido ? escolhido->texto : std::string());
    log_.escreve(ev);
    if (!erro.empty()) registraErro(erro);
    if (escolhido)
        ::SendMessageW(escolhido->janela, BM_CLICK, 0, 0);
    else
        ::EndDialog(caixa, IDCANCEL);
}

void RoboWin32::respondeImpressao(HWND d) {
    drenaSeParado();
    std::optional<std::string> resposta;
    {
        std::lock_guard<std::mutex> t(trava_);
        resposta = roteiro_.proximaImpressao();
    }
    auto filho = [d](const char* nome) { return platform::win32::achaPorNome(d, nome); };
    HWND cancelar = filho("BtCancelar");
    if (!resposta || resposta->empty()) {
        if (!resposta) registraErro("unexpected print dialog \"" + texto(d) + "\"");
        if (cancelar)
            ::SendMessageW(cancelar, BM_CLICK, 0, 0);
        else
            ::PostMessageW(d, WM_CLOSE, 0, 0);
        return;
    }
    HWND impressora = filho("CbImpressora"), copias = filho("EdCopias"),
         arquivo = filho("CkArquivo"), caminho = filho("EdArquivo"), ok = filho("BtOk");
    if (!arquivo || !caminho || !copias || !ok) {
        registraErro("print dialog \"" + texto(d) + "\" does not print to a file");
        if (cancelar) ::SendMessageW(cancelar, BM_CLICK, 0, 0);
        return;
    }
    if (impressora) {
        const std::wstring nome = paraUtf16("Notera PostScript");
        if (::SendMessageW(impressora, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>(nome.c_str())) != CB_ERR)
            ::SendMessageW(d, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(impressora), CBN_SELCHANGE),
                           reinterpret_cast<LPARAM>(impressora));
    }
    ::SendMessageW(arquivo, BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(d, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(arquivo), BN_CLICKED),
                   reinterpret_cast<LPARAM>(arquivo));
    const std::wstring arq = paraUtf16(*resposta);
    ::SendMessageW(caminho, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(arq.c_str()));
    ::SendMessageW(copias, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
    log_.escreve({{"event", "print"}, {"file", *resposta}, {"copies", 1}});
    ::SendMessageW(ok, BM_CLICK, 0, 0);
}
