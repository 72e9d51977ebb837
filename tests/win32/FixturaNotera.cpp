// A stand-in for Notera.dll in the Windows host's tests: GeraAL shows a small form named
// "FormAL" whose buttons call the host's services (the selection dialog over three clients,
// a table reservation) and ask a question through the platform's message box, so a script
// can drive each of them and read the outcome from the form's controls; a print dialog with
// the report's names stands for the real one. With the control
// text "segura MS" it reserves the tables first and lets the robot in only MS milliseconds
// later, so another host can be refused meanwhile.

#include "notera/notera.h"
#include "platform/Dialogs.h"
#include "platform/win32/Nome.h"

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Clientes {
    NoteraDataSet base;
    int pos = 0;
    std::vector<std::array<std::string, 2>> linhas{{"12", "Ana"}, {"15", "Bruno"}, {"20", "Carla"}};
};

Clientes* de(NoteraDataSet* ds) {
    return reinterpret_cast<Clientes*>(ds);
}
int32_t NOTERA_CALL conta(NoteraDataSet* ds) {
    return int32_t(de(ds)->linhas.size());
}
int32_t NOTERA_CALL posicao(NoteraDataSet* ds) {
    return de(ds)->pos;
}
uint8_t NOTERA_CALL moveA(NoteraDataSet* ds, int32_t i) {
    if (i < 0 || i >= conta(ds)) return 0;
    de(ds)->pos = i;
    return 1;
}
uint8_t NOTERA_CALL proximo(NoteraDataSet* ds) {
    return moveA(ds, de(ds)->pos + 1);
}
uint8_t NOTERA_CALL anterior(NoteraDataSet* ds) {
    return moveA(ds, de(ds)->pos - 1);
}
uint8_t NOTERA_CALL primeiro(NoteraDataSet* ds) {
    return moveA(ds, 0);
}
uint8_t NOTERA_CALL ultimo(NoteraDataSet* ds) {
    return moveA(ds, conta(ds) - 1);
}
int32_t NOTERA_CALL campo(NoteraDataSet*, const char* nome) {
    const std::string n = nome ? nome : "";
    return n == "cod_cli" ? 0 : n == "nom_cli" ? 1 : -1;
}
int32_t copia(const std::string& v, char* buf, int32_t tam) {
    if (tam > 0) {
        const std::size_t n = std::min<std::size_t>(v.size(), std::size_t(tam - 1));
        v.copy(buf, n);
        buf[n] = '\0';
    }
    return int32_t(v.size());
}
int32_t NOTERA_CALL valor(NoteraDataSet* ds, int32_t c, char* buf, int32_t tam) {
    if (c < 0 || c > 1) return copia("", buf, tam);
    return copia(de(ds)->linhas[std::size_t(de(ds)->pos)][std::size_t(c)], buf, tam);
}
uint8_t NOTERA_CALL localiza(NoteraDataSet* ds, int32_t c, const char* t, uint8_t parcial) {
    if (c < 0 || c > 1) return 0;
    const std::string texto = t ? t : "";
    for (int32_t i = 0; i < conta(ds); ++i) {
        const std::string& v = de(ds)->linhas[std::size_t(i)][std::size_t(c)];
        if (parcial ? v.compare(0, texto.size(), texto) == 0 : v == texto) return moveA(ds, i);
    }
    return 0;
}
int32_t NOTERA_CALL marca(NoteraDataSet* ds) {
    return de(ds)->pos;
}
const NoteraDataSetOps opsClientes = {conta,    posicao,  moveA,    proximo, campo, valor,
                                      localiza, anterior, primeiro, ultimo,  marca, moveA};

struct Lista {
    NoteraStrings base;
    std::vector<std::string> itens;
};
void NOTERA_CALL acrescenta(NoteraStrings* l, const char* t) {
    reinterpret_cast<Lista*>(l)->itens.push_back(t ? t : "");
}
int32_t NOTERA_CALL contaItens(NoteraStrings* l) {
    return int32_t(reinterpret_cast<Lista*>(l)->itens.size());
}
int32_t NOTERA_CALL item(NoteraStrings* l, int32_t i, char* buf, int32_t tam) {
    return copia(reinterpret_cast<Lista*>(l)->itens.at(std::size_t(i)), buf, tam);
}
const NoteraStringsOps opsLista = {acrescenta, contaItens, item};

// A grid with the cheque grid's private messages: the title row and two rows, 60x20 cells; a
// click makes a cell current and takes the focus, typed characters go to the current cell.
struct Grade {
    std::vector<std::vector<std::string>> celulas{{"Vencimento", "Valor", "Situa\xC3\xA7\xC3\xA3o"},
                                                  {"01/02/2027", "10,00", "Aberto"},
                                                  {"01/03/2027", "20,00", "Aberto"}};
    int col = 0, lin = 1;
};

LRESULT CALLBACK procGrade(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    static Grade g; // one grid per run of the fixture
    thread_local std::string texto;
    const int cols = 3, lins = 3;
    switch (m) {
    case WM_APP + 1:
        if (int(wp) >= cols || lp >= lins) return -1;
        return MAKELONG(int(wp) * 60 + 30, int(lp) * 20 + 10);
    case WM_APP + 3:
        return MAKELONG(g.col, g.lin);
    case WM_APP + 4:
        texto = int(wp) < cols && lp < lins ? g.celulas[std::size_t(lp)][wp] : "";
        return reinterpret_cast<LRESULT>(texto.c_str());
    case WM_APP + 5:
        return MAKELONG(cols, lins);
    case WM_LBUTTONDOWN: {
        const int c = short(LOWORD(lp)) / 60, l = short(HIWORD(lp)) / 20;
        if (c < cols && l >= 1 && l < lins) {
            g.col = c;
            g.lin = l;
        }
        ::SetFocus(w);
        return 0;
    }
    case WM_CHAR:
        if (wp >= 0x20 && wp < 0x7F) g.celulas[std::size_t(g.lin)][std::size_t(g.col)] += char(wp);
        return 0;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

WNDPROC procTabOriginal = nullptr;

// The page control changes page on WM_APP + 2 as a click on the tab would.
LRESULT CALLBACK procTab(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_APP + 2) {
        TabCtrl_SetCurSel(w, int(wp));
        HWND resposta = ::GetDlgItem(::GetParent(w), 99);
        ::SetWindowTextA(resposta, ("pagina " + std::to_string(int(wp))).c_str());
        return 0;
    }
    return ::CallWindowProcW(procTabOriginal, w, m, wp, lp);
}

struct Form {
    NoteraSelecionaRegistro seleciona;
    NoteraReservaTabelas reserva;
    NoteraLiberaTabelas libera;
    HWND janela = nullptr, cliente = nullptr, resposta = nullptr;
    bool fim = false, resultado = false, reservado = false;
};

const char* const Tabelas[] = {"TbCal", "TbLanPag.db"};

void responde(Form& f, const std::string& t) {
    ::SetWindowTextA(f.resposta, t.c_str());
}

std::wstring textoDe(HWND w) {
    std::wstring t(static_cast<std::size_t>(::GetWindowTextLengthW(w)) + 1, L'\0');
    t.resize(static_cast<std::size_t>(::GetWindowTextW(w, t.data(), int(t.size()))));
    return t;
}

std::string utf8(const std::wstring& w) {
    std::string s(w.size() * 3 + 1, '\0');
    s.resize(static_cast<std::size_t>(::WideCharToMultiByte(
        CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), int(s.size()), nullptr, nullptr)));
    return s;
}

// A print dialog with the report dialog's names: the printers, the copies, printing to a
// file. OK writes what it was told into the file, in place of a print job.
struct Impressao {
    HWND janela = nullptr, impressoras = nullptr, copias = nullptr, arquivo = nullptr,
         caminho = nullptr;
    int fim = 0; // 1: OK, 2: cancel
};

LRESULT CALLBACK procImpressao(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* d = reinterpret_cast<Impressao*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    if (m == WM_NCCREATE)
        ::SetWindowLongPtrW(
            w, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    else if (m == WM_COMMAND && d && HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDOK)
        d->fim = 1;
    else if (m == WM_COMMAND && d && HIWORD(wp) == BN_CLICKED && LOWORD(wp) == IDCANCEL)
        d->fim = 2;
    else if (m == WM_CLOSE && d) {
        d->fim = 2;
        return 0;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

void imprime(Form& f) {
    WNDCLASSW c{};
    c.lpfnWndProc = procImpressao;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.lpszClassName = L"FixturaImpressao";
    ::RegisterClassW(&c);
    Impressao d;
    d.janela =
        ::CreateWindowExW(WS_EX_DLGMODALFRAME, c.lpszClassName, L"Imprimir", WS_POPUP | WS_CAPTION,
                          20, 20, 300, 220, f.janela, nullptr, c.hInstance, &d);
    platform::win32::defineNome(d.janela, "DialogoImpressao");
    auto filho = [&](const wchar_t* classe, const wchar_t* texto, DWORD estilo, int id, int y,
                     const char* nome) {
        HWND h = ::CreateWindowExW(
            0, classe, texto, WS_CHILD | WS_VISIBLE | estilo, 10, y, 260, id == 10 ? 120 : 24,
            d.janela, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        platform::win32::defineNome(h, nome);
        return h;
    };
    d.impressoras = filho(L"COMBOBOX", L"", CBS_DROPDOWNLIST, 10, 10, "CbImpressora");
    ::SendMessageW(d.impressoras, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Padr\x00e3o"));
    ::SendMessageW(d.impressoras, CB_SETCURSEL, 0, 0);
    d.copias = filho(L"EDIT", L"2", WS_BORDER | ES_NUMBER, 11, 40, "EdCopias");
    d.arquivo = filho(L"BUTTON", L"Imprimir em arquivo", BS_AUTOCHECKBOX, 12, 70, "CkArquivo");
    d.caminho = filho(L"EDIT", L"", WS_BORDER, 13, 100, "EdArquivo");
    HWND ok = filho(L"BUTTON", L"OK", BS_PUSHBUTTON, IDOK, 130, "BtOk");
    HWND cancelar = filho(L"BUTTON", L"Cancelar", BS_PUSHBUTTON, IDCANCEL, 160, "BtCancelar");
    ::EnableWindow(f.janela, FALSE);
    ::ShowWindow(d.janela, SW_SHOW);
    MSG m;
    while (!d.fim && ::GetMessageW(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    const bool emArquivo = ::SendMessageW(d.arquivo, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (d.fim == 1 && emArquivo) {
        std::ofstream(std::filesystem::path(textoDe(d.caminho)), std::ios::binary)
            << "copias=" << utf8(textoDe(d.copias))
            << "|impressora=" << utf8(textoDe(d.impressoras)) << "\n";
    }
    responde(f, d.fim == 1 ? (emArquivo ? "impresso em arquivo" : "impresso") : "cancelado");
    ::EnableWindow(f.janela, TRUE);
    for (HWND h : {d.impressoras, d.copias, d.arquivo, d.caminho, ok, cancelar, d.janela})
        platform::win32::tiraNome(h);
    ::DestroyWindow(d.janela);
    ::SetActiveWindow(f.janela);
}

void clicou(Form& f, int id) {
    if (id == 1 && f.seleciona) {
        Clientes c;
        c.base.ops = &opsClientes;
        Lista l;
        l.base.ops = &opsLista;
        const char* const cols[] = {"cod_cli", "nom_cli"};
        const char* const tits[] = {"C\xF3"
                                    "digo",
                                    "Nome"};
        f.seleciona("Sele\xE7\xE3o de Cliente", &c.base, cols, 1, tits, 1, 0, &l.base, nullptr);
        if (!l.itens.empty()) ::SetWindowTextA(f.cliente, l.itens[0].c_str());
        // Where the data set stands after the dialog: the chosen record, or the first again.
        responde(f, "registro " + c.linhas[std::size_t(c.pos)][1]);
    } else if (id == 2) {
        responde(f, platform::confirma("Confirma a transfer\xC3\xAAncia?") ? "Sim" : "Nao");
    } else if (id == 3) {
        f.reservado = f.reserva(Tabelas, 1) != 0;
        responde(f, f.reservado ? "reservado" : "recusado");
    } else if (id == 5) {
        imprime(f);
    } else if (id == 4) {
        f.resultado = true;
        f.fim = true;
    }
}

LRESULT CALLBACK procedimento(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    auto* f = reinterpret_cast<Form*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
    if (m == WM_NCCREATE)
        ::SetWindowLongPtrW(
            w, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    else if (m == WM_COMMAND && f && HIWORD(wp) == BN_CLICKED && LOWORD(wp) >= 1)
        clicou(*f, LOWORD(wp));
    else if (m == WM_TIMER && wp == 1) {
        ::KillTimer(w, 1);
        ::SetPropW(w, L"NoteraAtivada", reinterpret_cast<HANDLE>(1));
    } else if (m == WM_CLOSE && f) {
        f->fim = true;
        return 0;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

HWND controle(HWND pai, const wchar_t* classe, const wchar_t* texto, DWORD estilo, int id, int y,
              const char* nome) {
    HWND h =
        ::CreateWindowExW(0, classe, texto, WS_CHILD | WS_VISIBLE | estilo, 10, y, 200, 24, pai,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    platform::win32::defineNome(h, nome);
    return h;
}

} // namespace

extern "C" NOTERA_EXPORT uint8_t NOTERA_CALL GeraAL(
    const unsigned char*, int32_t, uint8_t, double, const unsigned char*, const unsigned char*,
    const unsigned char*, NoteraSelecionaRegistro seleciona, const char*,
    NoteraReservaTabelas reserva, NoteraLiberaTabelas libera, const char* textoControle, double) {
    Form f{seleciona, reserva, libera};
    const std::string modo = textoControle ? textoControle : "";
    UINT segura = 0;
    if (modo.rfind("segura ", 0) == 0) {
        segura = static_cast<UINT>(std::stoul(modo.substr(7)));
        f.reservado = f.reserva(Tabelas, 1) != 0;
    }
    WNDCLASSW c{};
    c.lpfnWndProc = procedimento;
    c.hInstance = ::GetModuleHandleW(nullptr);
    c.lpszClassName = L"FixturaFormAL";
    ::RegisterClassW(&c);
    f.janela =
        ::CreateWindowExW(0, c.lpszClassName, L"Transfer\x00eancia de Recursos",
                          WS_OVERLAPPEDWINDOW, 0, 0, 420, 260, nullptr, nullptr, c.hInstance, &f);
    platform::win32::defineNome(f.janela, "FormAL");
    f.cliente = controle(f.janela, L"EDIT", L"", WS_BORDER | WS_TABSTOP, 0, 10, "Ed_Cliente");
    HWND botoes[] = {
        controle(f.janela, L"BUTTON", L"Selecionar", BS_PUSHBUTTON, 1, 40, "BtSelecao"),
        controle(f.janela, L"BUTTON", L"Perguntar", BS_PUSHBUTTON, 2, 70, "BtMensagem"),
        controle(f.janela, L"BUTTON", L"Reservar", BS_PUSHBUTTON, 3, 100, "BtReserva"),
        controle(f.janela, L"BUTTON", L"OK", BS_PUSHBUTTON, 4, 130, "BtOk"),
        controle(f.janela, L"BUTTON", L"Imprimir", BS_PUSHBUTTON, 5, 190, "BtImprime")};
    f.resposta = controle(f.janela, L"STATIC", L"", 0, 99, 160, "LbResposta");
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES};
    ::InitCommonControlsEx(&icc);
    WNDCLASSW cg{};
    cg.lpfnWndProc = procGrade;
    cg.hInstance = c.hInstance;
    cg.lpszClassName = L"FixturaGrade";
    ::RegisterClassW(&cg);
    HWND grade = ::CreateWindowExW(0, cg.lpszClassName, L"", WS_CHILD | WS_VISIBLE, 220, 10, 180,
                                   60, f.janela, nullptr, nullptr, nullptr);
    platform::win32::defineNome(grade, "GradeChq");
    HWND pagina = ::CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE, 220, 80, 180, 40,
                                    f.janela, nullptr, nullptr, nullptr);
    for (const wchar_t* t : {L"Pagamento", L"Recebimento"}) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(t);
        TabCtrl_InsertItem(pagina, TabCtrl_GetItemCount(pagina), &item);
    }
    procTabOriginal = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(pagina, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procTab)));
    platform::win32::defineNome(pagina, "Pagina");
    ::ShowWindow(f.janela, SW_SHOW);
    ::SetFocus(f.cliente);
    if (segura)
        ::SetTimer(f.janela, 1, segura, nullptr);
    else
        ::SetPropW(f.janela, L"NoteraAtivada", reinterpret_cast<HANDLE>(1));
    MSG m;
    while (!f.fim && ::GetMessageW(&m, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&m);
        ::DispatchMessageW(&m);
    }
    if (f.reservado) f.libera(Tabelas, 1);
    for (HWND h : botoes)
        platform::win32::tiraNome(h);
    platform::win32::tiraNome(f.cliente);
    platform::win32::tiraNome(f.resposta);
    platform::win32::tiraNome(grade);
    platform::win32::tiraNome(pagina);
    platform::win32::tiraNome(f.janela);
    ::RemovePropW(f.janela, L"NoteraAtivada");
    ::DestroyWindow(f.janela);
    return f.resultado ? 1 : 0;
}
