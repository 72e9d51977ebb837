// The Win32 form of Notera.dll under Wine, without the host: GeraAL runs the form on the main
// thread while a second thread drives it only with posted messages, waiting after each action
// for a marker posted to the form's thread to be taken, and answers message boxes through a
// CBT hook. Observations are made on the robot's thread and checked once GeraAL returned.

#include "notera/notera.h"
#include "platform/win32/Nome.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::win32::achaPorNome;
using platform::win32::nomeDe;

constexpr UINT Marcador = WM_APP + 50;

std::string utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                          nullptr);
    return s;
}

std::wstring utf16(const std::string& s) {
    if (s.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// What the hooks on the form's thread see: the markers taken and the boxes answered (with OK
// or No). A hook procedure has no context of its own.
// Markers count up across runs: one left unread in the queue when an action closed the form is
// older than any marker of a later run.
std::atomic<long> marcadorVisto{0}, ultimaMarca{0};
std::mutex mutexCaixas;
std::vector<std::string> caixas;
HHOOK ganchoMsg = nullptr, ganchoCbt = nullptr;

LRESULT CALLBACK procMsg(int codigo, WPARAM w, LPARAM l) {
    const auto* m = reinterpret_cast<const MSG*>(l);
    if (codigo == HC_ACTION && w == PM_REMOVE && !m->hwnd && m->message == Marcador)
        marcadorVisto = static_cast<long>(m->wParam);
    return ::CallNextHookEx(ganchoMsg, codigo, w, l);
}

LRESULT CALLBACK procCbt(int codigo, WPARAM w, LPARAM l) {
    if (codigo == HCBT_ACTIVATE) {
        const HWND h = reinterpret_cast<HWND>(w);
        wchar_t classe[16] = {};
        ::GetClassNameW(h, classe, 16);
        if (std::wstring(classe) == L"#32770") {
            wchar_t texto[1024] = {};
            ::GetDlgItemTextW(h, 0xFFFF, texto, 1024);
            {
                const std::lock_guard trava(mutexCaixas);
                caixas.push_back(utf8(texto));
            }
            HWND botao = ::GetDlgItem(h, IDNO);
            if (!botao) botao = ::GetDlgItem(h, IDOK);
            if (botao) ::PostMessageW(botao, BM_CLICK, 0, 0);
        }
    }
    return ::CallNextHookEx(ganchoCbt, codigo, w, l);
}

BOOL CALLBACK formPronto(HWND h, LPARAM l) {
    if (nomeDe(h) == "FormAL" && ::IsWindowVisible(h) && ::GetPropW(h, L"NoteraAtivada")) {
        *reinterpret_cast<HWND*>(l) = h;
        return FALSE;
    }
    return TRUE;
}

// The robot: finds the form, posts input to the focused control and waits for it to be taken.
class Robo {
public:
    explicit Robo(DWORD threadForm) : thread_(threadForm) {
        ganchoMsg = ::SetWindowsHookExW(WH_GETMESSAGE, procMsg, nullptr, thread_);
        ganchoCbt = ::SetWindowsHookExW(WH_CBT, procCbt, nullptr, thread_);
        if (!ganchoMsg || !ganchoCbt) throw std::runtime_error("hooks not installed");
    }
    ~Robo() {
        ::UnhookWindowsHookEx(ganchoMsg);
        ::UnhookWindowsHookEx(ganchoCbt);
    }

    // The form once it is ready for input.
    HWND espereForm() {
        const auto fim = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < fim) {
            form_ = nullptr;
            ::EnumThreadWindows(thread_, formPronto, reinterpret_cast<LPARAM>(&form_));
            if (form_) return form_;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        throw std::runtime_error("the form did not get ready");
    }

    HWND acha(const std::string& nome) const {
        HWND h = achaPorNome(form_, nome);
        if (!h) throw std::runtime_error("no window named " + nome);
        return h;
    }
    std::string texto(const std::string& nome) const {
        wchar_t buf[1024] = {};
        ::SendMessageW(acha(nome), WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
        return utf8(buf);
    }
    HWND janelaComFoco() const {
        GUITHREADINFO gi{};
        gi.cbSize = sizeof gi;
        if (!::GetGUIThreadInfo(thread_, &gi) || !gi.hwndFocus)
            throw std::runtime_error("no focus on the form's thread");
        return gi.hwndFocus;
    }
    // The focused control's name; the grid's cell editor answers for the grid.
    std::string foco() const {
        const HWND f = janelaComFoco();
        const std::string n = nomeDe(f);
        return n.empty() ? nomeDe(::GetParent(f)) : n;
    }

    // Two rounds: what the first marker's handling posted (a box's answer) is taken before
    // the second marker.
    void espera() {
        for (int volta = 0; volta < 2; ++volta) {
            const long n = ++ultimaMarca;
            ::PostThreadMessageW(thread_, Marcador, static_cast<WPARAM>(n), 0);
            const auto fim = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (marcadorVisto.load() < n) {
                // An action that closed the form: its thread pumps no more.
                if (form_ && (!::IsWindow(form_) || !::IsWindowVisible(form_))) return;
                if (std::chrono::steady_clock::now() > fim)
                    throw std::runtime_error("the form's thread did not take its input");
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
    }
    void digita(const std::string& t) {
        for (wchar_t c : utf16(t))
            ::PostMessageW(janelaComFoco(), WM_CHAR, c, 1);
        espera();
    }
    void tecla(WPARAM vk, bool shift = false) {
        if (shift) modificador(VK_SHIFT, true);
        const HWND f = janelaComFoco();
        ::PostMessageW(f, WM_KEYDOWN, vk, 1);
        ::PostMessageW(f, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
        espera();
        if (shift) modificador(VK_SHIFT, false);
    }
    void alt(char letra) {
        const HWND f = janelaComFoco();
        ::PostMessageW(f, WM_SYSKEYDOWN, static_cast<WPARAM>(letra), 1 | (1u << 29));
        ::PostMessageW(f, WM_SYSKEYUP, static_cast<WPARAM>(letra),
                       1 | (1u << 29) | (1u << 30) | (1u << 31));
        espera();
    }
    void cliqueEm(HWND h, POINT p) {
        ::PostMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        ::PostMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        espera();
    }
    void foca(const std::string& nome) {
        const HWND h = acha(nome);
        RECT r;
        ::GetClientRect(h, &r);
        cliqueEm(h, {r.right / 2, r.bottom / 2});
    }
    void celula(int col, int lin) {
        const HWND g = acha("GradeChq");
        const LRESULT c = ::SendMessageW(g, WM_APP + 1, col, lin);
        if (c == -1) throw std::runtime_error("no such cell");
        cliqueEm(g, {static_cast<short>(LOWORD(c)), static_cast<short>(HIWORD(c))});
    }
    void botao(const std::string& nome) {
        ::SendMessageW(acha(nome), BM_CLICK, 0, 0);
        espera();
    }
    void aba(int i) {
        ::PostMessageW(acha("Pagina"), WM_APP + 2, static_cast<WPARAM>(i), 0);
        espera();
    }
    std::vector<std::vector<std::string>> linhas() const {
        const HWND g = acha("GradeChq");
        const LRESULT t = ::SendMessageW(g, WM_APP + 5, 0, 0);
        std::vector<std::vector<std::string>> r(HIWORD(t));
        for (int l = 0; l < HIWORD(t); ++l)
            for (int c = 0; c < LOWORD(t); ++c)
                r[static_cast<std::size_t>(l)].push_back(
                    reinterpret_cast<const char*>(::SendMessageW(g, WM_APP + 4, c, l)));
        return r;
    }
    HWND form() const { return form_; }

private:
    void modificador(int vk, bool baixo) {
        const DWORD eu = ::GetCurrentThreadId();
        ::AttachThreadInput(eu, thread_, TRUE);
        BYTE estado[256];
        ::GetKeyboardState(estado);
        estado[vk] = baixo ? 0x80 : 0;
        ::SetKeyboardState(estado);
        ::AttachThreadInput(eu, thread_, FALSE);
    }

    DWORD thread_;
    HWND form_ = nullptr;
};

std::vector<unsigned char> curto(const std::string& s) {
    std::vector<unsigned char> v{static_cast<unsigned char>(s.size())};
    v.insert(v.end(), s.begin(), s.end());
    return v;
}

uint8_t NOTERA_CALL reserva(const char* const*, int32_t) {
    return 1;
}
void NOTERA_CALL libera(const char* const*, int32_t) {}

struct Execucao {
    int resultado = -1;
    std::string falha; // the robot's own failure
    std::vector<std::string> caixas;
};

// One call of GeraAL (destination company 1, amount 10,00) with |roteiro| on the robot.
Execucao roda(const std::function<void(Robo&)>& roteiro) {
    static HMODULE dll = ::LoadLibraryW(L"Notera.dll");
    if (!dll) throw std::runtime_error("Notera.dll not loaded");
    auto geraAL = reinterpret_cast<decltype(&GeraAL)>(
        reinterpret_cast<void*>(::GetProcAddress(dll, "GeraAL")));
    if (!geraAL) throw std::runtime_error("no GeraAL in Notera.dll");
    const char* dir = std::getenv("NOTERA_DADOS_WIN");
    if (!dir) throw std::runtime_error("NOTERA_DADOS_WIN not set");
    {
        const std::lock_guard trava(mutexCaixas);
        caixas.clear();
    }
    Execucao e;
    const DWORD eu = ::GetCurrentThreadId();
    std::thread robo([&] {
        try {
            Robo r(eu);
            try {
                r.espereForm();
                roteiro(r);
            } catch (const std::exception& x) {
                e.falha = x.what();
                if (r.form()) ::PostMessageW(r.form(), WM_CLOSE, 0, 0);
            }
            // The hooks stay until the form has gone, so that a late box is answered too.
            const auto fim = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            while (r.form() && ::IsWindow(r.form()) && ::IsWindowVisible(r.form()) &&
                   std::chrono::steady_clock::now() < fim)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } catch (const std::exception& x) {
            e.falha = x.what();
        }
    });
    const auto dados = curto(dir), lanPag = curto("TbLanPag.db"), chqPag = curto("TbChqPag.db"),
               lanRec = curto("TbLanRec.db");
    e.resultado = geraAL(dados.data(), 1, 0, 10.0, lanPag.data(), chqPag.data(), lanRec.data(),
                         nullptr, "REF", &reserva, &libera, "CTL", 46000.0);
    robo.join();
    const std::lock_guard trava(mutexCaixas);
    e.caixas = caixas;
    return e;
}

// Chooses origin company 2 in the first field.
void escolheOrigem(Robo& r) {
    r.digita("2");
    r.tecla(VK_RETURN);
}

TEST(FormularioWin32, ControlesPorNomeEEmpresaDeOrigem) {
    std::map<std::string, std::string> visto;
    std::vector<std::string> foraDoLugar;
    const auto e = roda([&](Robo& r) {
        for (const char* n :
             {"Pagina",       "PagOrigem",     "PagDestino",   "Panel1",        "BtOk",
              "BtSair",       "Gb_Origem",     "Gb_Cheques",   "Gb_Destino",    "Panel3",
              "Panel4",       "Pn_Contabil1",  "Pn_Contabil2", "Pn_ContabilG2", "Pn_Rodape",
              "Ed_Empresa",   "Ed_Fornecedor", "Ed_Custo2",    "Ed_Banco2",     "Ed_Despesa",
              "Ed_HisPadBan", "Ed_HisVarBan",  "Ed_HistPad2",  "Ed_HistVar2",   "Ed_Cred2",
              "Ed_Deb2",      "Ed_CredG2",     "Ed_DebG2",     "GradeChq",      "Cb_ChqSit",
              "Lb_ChqTotal",  "Ed_Valor",      "Ed_Cliente",   "Ed_Custo1",     "Ed_Banco1",
              "Ed_Receita",   "Ed_HistPad1",   "Ed_HistVar1",  "Ed_Cred1",      "Ed_CredG1",
              "Label9",       "Label21",       "Lb_CredG1"})
            r.acha(n);
        // The design's positions at 120 pixels per inch, in the panel that holds each.
        HDC tela = ::GetDC(nullptr);
        const double escala = ::GetDeviceCaps(tela, LOGPIXELSY) / 120.0;
        ::ReleaseDC(nullptr, tela);
        struct Lugar {
            const char *controle, *painel;
            int x, y, largura, altura;
        };
        for (const Lugar& l : {Lugar{"Ed_Empresa", "Panel4", 14, 21, 269, 24},
                               Lugar{"Ed_HistVar2", "Panel4", 14, 249, 556, 24},
                               Lugar{"Label21", "Panel4", 300, 97, 270, 15},
                               Lugar{"Ed_Valor", "Panel3", 14, 21, 150, 24},
                               Lugar{"Ed_Deb2", "Pn_Contabil2", 300, 18, 270, 24},
                               Lugar{"BtSair", "Panel1", 5, 47, 100, 26}}) {
            RECT q;
            ::GetWindowRect(r.acha(l.controle), &q);
            ::MapWindowPoints(nullptr, r.acha(l.painel), reinterpret_cast<POINT*>(&q), 2);
            auto px = [&](int m) { return static_cast<long>(std::lround(m * escala)); };
            if (q.left != px(l.x) || q.top != px(l.y) || q.right - q.left != px(l.largura) ||
                q.bottom - q.top != px(l.altura))
                foraDoLugar.push_back(l.controle);
        }
        wchar_t titulo[128] = {};
        ::GetWindowTextW(r.form(), titulo, 128);
        visto["titulo"] = utf8(titulo);
        visto["foco"] = r.foco();
        visto["valor"] = r.texto("Ed_Valor");
        visto["total"] = r.texto("Lb_ChqTotal");
        visto["rotulo"] = r.texto("Label21");
        r.tecla(VK_RETURN); // no company: a box, then the focus comes back
        visto["apos caixa"] = r.foco();
        escolheOrigem(r);
        visto["empresa"] = r.texto("Ed_Empresa");
        visto["depois"] = r.foco();
        r.alt('S');
    });
    EXPECT_EQ(e.falha, "");
    EXPECT_EQ(e.resultado, 0);
    EXPECT_EQ(e.caixas,
              std::vector<std::string>{"Informe a empresa geradora do recurso financeiro!"});
    EXPECT_EQ(visto["apos caixa"], "Ed_Empresa");
    EXPECT_EQ(foraDoLugar, std::vector<std::string>{});
    EXPECT_EQ(visto["titulo"], "Transferência de Recursos");
    EXPECT_EQ(visto["foco"], "Ed_Empresa");
    EXPECT_EQ(visto["valor"], "10,00");
    EXPECT_EQ(visto["total"], "0,00");
    EXPECT_EQ(visto["rotulo"], "Histórico Padrão Banco");
    EXPECT_EQ(visto["empresa"], "TRANSPORTADORA RIO CLARO S.A.");
    EXPECT_EQ(visto["depois"], "Ed_Fornecedor");
}

TEST(FormularioWin32, OrdemDoFocoPorTeclasECliques) {
    struct Passo {
        const char* acao;
        std::function<void(Robo&)> faz;
        const char* foco;
    };
    const std::vector<Passo> passos = {
        {"Tab", [](Robo& r) { r.tecla(VK_TAB); }, "Ed_Custo2"},
        {"Tab", [](Robo& r) { r.tecla(VK_TAB); }, "Ed_Banco2"},
        {"Shift+Tab", [](Robo& r) { r.tecla(VK_TAB, true); }, "Ed_Custo2"},
        {"Up", [](Robo& r) { r.tecla(VK_UP); }, "Ed_Fornecedor"},
        {"Enter", [](Robo& r) { r.tecla(VK_RETURN); }, "Ed_Custo2"},
        {"click Ed_HistVar2", [](Robo& r) { r.foca("Ed_HistVar2"); }, "Ed_HistVar2"},
        {"Shift+Tab", [](Robo& r) { r.tecla(VK_TAB, true); }, "Ed_HistPad2"},
        {"tab Pagina 1", [](Robo& r) { r.aba(1); }, "Pagina"},
        {"Tab", [](Robo& r) { r.tecla(VK_TAB); }, "Ed_Valor"},
        {"Enter", [](Robo& r) { r.tecla(VK_RETURN); }, "Ed_Cliente"},
        {"Up", [](Robo& r) { r.tecla(VK_UP); }, "Ed_Valor"},
    };
    std::vector<std::string> focos;
    const auto e = roda([&](Robo& r) {
        escolheOrigem(r);
        for (const auto& p : passos) {
            p.faz(r);
            focos.push_back(r.foco());
        }
        r.tecla(VK_TAB, true); // back to the page control
        focos.push_back(r.foco());
        ::PostMessageW(r.form(), WM_CLOSE, 0, 0);
        r.espera();
    });
    EXPECT_EQ(e.falha, "");
    EXPECT_EQ(e.resultado, 0);
    EXPECT_EQ(e.caixas, std::vector<std::string>{});
    ASSERT_EQ(focos.size(), passos.size() + 1);
    for (std::size_t i = 0; i < passos.size(); ++i)
        EXPECT_EQ(focos[i], passos[i].foco) << "step " << i << ": " << passos[i].acao;
    EXPECT_EQ(focos.back(), "Pagina");
}

TEST(FormularioWin32, ChequeDigitadoNaGrade) {
    std::vector<std::vector<std::string>> antes, depois, fim;
    std::string focoNaGrade, focoNaSituacao, situacao, focoNoFim;
    LRESULT atual = 0, naConta = 0;
    const auto e = roda([&](Robo& r) {
        escolheOrigem(r);
        r.foca("Ed_Banco2");
        r.digita("1");
        r.tecla(VK_RETURN);
        antes = r.linhas();
        r.celula(0, 1);
        focoNaGrade = r.foco();
        r.digita("15062026"); // into the date's mask
        r.tecla(VK_RETURN);
        r.tecla(VK_RETURN); // the bank proposed, then its name
        r.digita("501");
        r.tecla(VK_RETURN);
        depois = r.linhas();
        r.tecla(VK_RETURN); // the value
        r.tecla(VK_RETURN); // the history; the situation selector shows
        focoNaSituacao = r.foco();
        situacao = r.linhas()[1][5];
        r.tecla(VK_DOWN);
        r.tecla(VK_RETURN); // on to the cheque's fiscal account: company 2 keeps accounts
        focoNoFim = r.foco();
        naConta = ::SendMessageW(r.acha("GradeChq"), WM_APP + 3, 0, 0);
        fim = r.linhas();
        r.celula(2, 1);
        atual = ::SendMessageW(r.acha("GradeChq"), WM_APP + 3, 0, 0);
        r.botao("BtSair");
    });
    EXPECT_EQ(e.falha, "");
    EXPECT_EQ(e.resultado, 0);
    EXPECT_EQ(e.caixas, std::vector<std::string>{});
    EXPECT_EQ(focoNaGrade, "GradeChq");
    ASSERT_EQ(antes.size(), 2u);
    EXPECT_EQ(antes[0][0], "Vencimento");
    EXPECT_EQ(antes[0][1], "Conta Bancária");
    EXPECT_EQ(antes[1][2], "");
    ASSERT_GE(depois.size(), 2u);
    ASSERT_GE(depois[1].size(), 4u);
    EXPECT_EQ(depois[0], antes[0]);
    EXPECT_EQ(depois[1][0], "15/06/2026");
    EXPECT_NE(depois[1][1], "");
    EXPECT_EQ(depois[1][2], "501");
    EXPECT_EQ(depois[1][3], "10,00"); // what remains of the amount, proposed
    EXPECT_EQ(focoNaSituacao, "Cb_ChqSit");
    EXPECT_EQ(situacao, "P - Pré-Datado");
    EXPECT_EQ(focoNoFim, "GradeChq");
    EXPECT_EQ(naConta, MAKELONG(8, 1));
    ASSERT_EQ(fim.size(), 2u);
    ASSERT_EQ(fim[1].size(), 9u) << "the fiscal account's column shown for the origin";
    EXPECT_EQ(fim[1][5], "D - Depositado");
    EXPECT_EQ(fim[1][2], "501");
    EXPECT_EQ(atual, MAKELONG(2, 1)) << "a click on a cell makes it current";
}

std::string conteudo(const std::wstring& caminho) {
    std::ifstream f(std::filesystem::path(caminho), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

TEST(FormularioWin32, SairFechaSemPostarEAPosicaoNaoAnda) {
    wchar_t pasta[MAX_PATH], programa[MAX_PATH];
    ::GetWindowsDirectoryW(pasta, MAX_PATH);
    ::GetModuleFileNameW(nullptr, programa, MAX_PATH);
    std::wstring nome = programa;
    nome = nome.substr(nome.find_last_of(L"\\/") + 1);
    nome = nome.substr(0, nome.rfind(L'.'));
    const std::wstring ini = std::wstring(pasta) + L"\\" + nome + L".ini";
    ::DeleteFileW(ini.c_str());

    std::vector<std::string> inis;
    std::vector<RECT> molduras;
    for (int vez = 0; vez < 3; ++vez) {
        const auto e = roda([&](Robo& r) {
            RECT m;
            ::GetWindowRect(r.form(), &m);
            molduras.push_back(m);
            r.alt('S');
        });
        EXPECT_EQ(e.falha, "");
        EXPECT_EQ(e.resultado, 0) << "Alt+S leaves without posting";
        EXPECT_EQ(e.caixas, std::vector<std::string>{});
        inis.push_back(conteudo(ini));
    }
    ASSERT_EQ(inis.size(), 3u);
    EXPECT_NE(inis[0].find("[FormAL]"), std::string::npos) << inis[0];
    for (const char* chave : {"Top=", "Left=", "Width=", "Height="})
        EXPECT_NE(inis[0].find(chave), std::string::npos) << chave;
    EXPECT_EQ(inis[1], inis[0]);
    EXPECT_EQ(inis[2], inis[0]);
    ASSERT_EQ(molduras.size(), 3u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(molduras[i].left, molduras[0].left);
        EXPECT_EQ(molduras[i].top, molduras[0].top);
        EXPECT_EQ(molduras[i].right, molduras[0].right);
        EXPECT_EQ(molduras[i].bottom, molduras[0].bottom);
    }
    const std::string largura =
        "Width=" + std::to_string(molduras[0].right - molduras[0].left) + "\r\n";
    EXPECT_NE(inis[0].find(largura), std::string::npos) << inis[0];
}

} // namespace
