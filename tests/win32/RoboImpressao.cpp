#include "RoboImpressao.h"

#include "platform/win32/Nome.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace teste {

namespace {

using platform::win32::achaPorNome;
using platform::win32::nomeDe;

struct Busca {
    HWND achada = nullptr;
    HWND dono = nullptr; // for a message box: the dialog that owns it
};

BOOL CALLBACK visita(HWND janela, LPARAM param) {
    if (nomeDe(janela) == "DialogoImpressao") {
        reinterpret_cast<Busca*>(param)->achada = janela;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK visitaCaixa(HWND janela, LPARAM param) {
    auto* b = reinterpret_cast<Busca*>(param);
    wchar_t classe[16] = {};
    ::GetClassNameW(janela, classe, 16);
    if (std::wstring_view(classe) == L"#32770" && ::GetWindow(janela, GW_OWNER) == b->dono &&
        ::IsWindowVisible(janela)) {
        b->achada = janela;
        return FALSE;
    }
    return TRUE;
}

std::wstring texto(HWND janela) {
    wchar_t buf[1024] = {};
    ::SendMessageW(janela, WM_GETTEXT, static_cast<WPARAM>(std::size(buf)),
                   reinterpret_cast<LPARAM>(buf));
    return buf;
}

std::wstring item(HWND lista, LRESULT i) {
    wchar_t buf[512] = {};
    if (i >= 0 && ::SendMessageW(lista, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0) < 511)
        ::SendMessageW(lista, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
    return buf;
}

} // namespace

RoboImpressao::RoboImpressao(DWORD thread, std::vector<Resposta> respostas)
    : thread_(thread), respostas_(std::move(respostas)), trabalho_([this] { executa(); }) {}

RoboImpressao::~RoboImpressao() {
    para_ = true;
    trabalho_.join();
}

std::vector<Visto> RoboImpressao::vistos() {
    std::lock_guard l(m_);
    return vistos_;
}

std::vector<std::wstring> RoboImpressao::avisos() {
    std::lock_guard l(m_);
    return avisos_;
}

std::vector<std::string> RoboImpressao::falhas() {
    std::lock_guard l(m_);
    return falhas_;
}

void RoboImpressao::executa() {
    using namespace std::chrono_literals;
    for (const Resposta& r : respostas_) {
        HWND dialogo = nullptr;
        while (!para_ && !dialogo) {
            Busca b;
            ::EnumThreadWindows(thread_, visita, reinterpret_cast<LPARAM>(&b));
            if (b.achada && ::IsWindowVisible(b.achada))
                dialogo = b.achada;
            else
                std::this_thread::sleep_for(20ms);
        }
        if (!dialogo) return;
        HWND lista = achaPorNome(dialogo, "CbImpressora");
        HWND copias = achaPorNome(dialogo, "EdCopias");
        HWND marca = achaPorNome(dialogo, "CkArquivo");
        HWND arquivo = achaPorNome(dialogo, "EdArquivo");
        HWND ok = achaPorNome(dialogo, "BtOk");
        HWND cancela = achaPorNome(dialogo, "BtCancelar");
        if (!lista || !copias || !marca || !arquivo || !ok || !cancela) {
            {
                std::lock_guard l(m_);
                falhas_.push_back("a control of the print dialog has no name");
            }
            ::PostMessageW(dialogo, WM_CLOSE, 0, 0);
        } else {
            Visto v;
            v.titulo = texto(dialogo);
            const auto n = ::SendMessageW(lista, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; ++i)
                v.impressoras.push_back(item(lista, i));
            v.impressora = item(lista, ::SendMessageW(lista, CB_GETCURSEL, 0, 0));
            v.copias = texto(copias);
            v.emArquivo = ::SendMessageW(marca, BM_GETCHECK, 0, 0) == BST_CHECKED;
            v.arquivoHabilitado = ::IsWindowEnabled(arquivo);
            {
                std::lock_guard l(m_);
                vistos_.push_back(v);
            }
            if (r.imprime) {
                ::SendMessageW(lista, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(r.impressora.c_str()));
                if (!r.arquivo.empty()) {
                    ::SendMessageW(marca, BM_SETCHECK, BST_CHECKED, 0);
                    ::SendMessageW(dialogo, WM_COMMAND,
                                   MAKEWPARAM(::GetDlgCtrlID(marca), BN_CLICKED),
                                   reinterpret_cast<LPARAM>(marca));
                    ::SendMessageW(arquivo, WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(r.arquivo.c_str()));
                }
                ::SendMessageW(copias, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(r.copias.c_str()));
            }
            GUITHREADINFO gui{};
            gui.cbSize = sizeof(gui);
            if (!r.tecla) {
                ::PostMessageW(r.imprime ? ok : cancela, BM_CLICK, 0, 0);
            } else if (::GetGUIThreadInfo(thread_, &gui) && gui.hwndFocus) {
                ::PostMessageW(gui.hwndFocus, WM_KEYDOWN, r.tecla, 1);
                ::PostMessageW(gui.hwndFocus, WM_KEYUP, r.tecla, 1 | (3u << 30));
            } else {
                {
                    std::lock_guard l(m_);
                    falhas_.push_back("the print dialog has no focus for a key");
                }
                ::PostMessageW(dialogo, WM_CLOSE, 0, 0);
            }
            if (!r.copiasDepois.empty()) corrigeCopias(dialogo, copias, ok, r.copiasDepois);
        }
        // The next dialog is another window.
        while (!para_ && ::IsWindow(dialogo))
            std::this_thread::sleep_for(20ms);
    }
}

void RoboImpressao::corrigeCopias(HWND dialogo, HWND copias, HWND ok, const std::wstring& novas) {
    using namespace std::chrono_literals;
    Busca b;
    b.dono = dialogo;
    const auto limite = std::chrono::steady_clock::now() + 20s;
    while (!para_ && !b.achada && std::chrono::steady_clock::now() < limite) {
        ::EnumThreadWindows(thread_, visitaCaixa, reinterpret_cast<LPARAM>(&b));
        if (!b.achada) std::this_thread::sleep_for(20ms);
    }
    if (!b.achada) {
        std::lock_guard l(m_);
        falhas_.push_back("no warning box for the refused copies");
        ::PostMessageW(dialogo, WM_CLOSE, 0, 0);
        return;
    }
    {
        std::lock_guard l(m_);
        avisos_.push_back(texto(::GetDlgItem(b.achada, 0xFFFF)));
    }
    ::PostMessageW(::GetDlgItem(b.achada, IDOK), BM_CLICK, 0, 0);
    while (!para_ && ::IsWindow(b.achada))
        std::this_thread::sleep_for(20ms);
    ::SendMessageW(copias, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(novas.c_str()));
    ::PostMessageW(ok, BM_CLICK, 0, 0);
}

std::wstring arquivoTemporario(const wchar_t* nome) {
    wchar_t dir[MAX_PATH];
    ::GetTempPathW(MAX_PATH, dir);
    std::wstring c = std::wstring(dir) + nome;
    ::DeleteFileW(c.c_str());
    return c;
}

std::string lerArquivo(const std::wstring& caminho) {
    std::ifstream f(caminho.c_str(), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

} // namespace teste
