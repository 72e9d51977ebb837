#include "ImpressaoWin32.h"

#include "Largo.h"
#include "TelaGdi.h"

#include <winspool.h>

#include <memory>
#include <vector>

namespace report {

namespace {

// The system's text of an error code, without its closing line break.
std::string textoDoErro(DWORD codigo) {
    wchar_t* buf = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, codigo, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
    std::wstring t = n ? std::wstring(buf, n) : L"erro " + std::to_wstring(codigo);
    if (buf) ::LocalFree(buf);
    while (!t.empty() && (t.back() == L'\n' || t.back() == L'\r' || t.back() == L' '))
        t.pop_back();
    return win32::estreito(t);
}

struct FechaImpressora {
    void operator()(HANDLE h) const { ::ClosePrinter(h); }
};
struct ApagaDc {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
using Impressora = std::unique_ptr<void, FechaImpressora>;
using Dc = std::unique_ptr<std::remove_pointer_t<HDC>, ApagaDc>;

std::string falhaAoIniciar(const EscolhaImpressao& e) {
    return "Não foi possível iniciar a impressão em \"" +
           win32::estreito(e.emArquivo ? e.arquivo : e.impressora) + "\".";
}

// The printer's settings with the report's paper: A4 portrait.
std::vector<BYTE> configuracao(const EscolhaImpressao& e) {
    HANDLE bruto = nullptr;
    std::wstring nome = e.impressora;
    if (!::OpenPrinterW(nome.data(), &bruto, nullptr)) throw Erro(falhaAoIniciar(e));
    Impressora impressora(bruto);
    const LONG tamanho = ::DocumentPropertiesW(nullptr, bruto, nome.data(), nullptr, nullptr, 0);
    if (tamanho <= 0) throw Erro(falhaAoIniciar(e));
    std::vector<BYTE> buf(static_cast<std::size_t>(tamanho));
    auto* dm = reinterpret_cast<DEVMODEW*>(buf.data());
    if (::DocumentPropertiesW(nullptr, bruto, nome.data(), dm, nullptr, DM_OUT_BUFFER) != IDOK)
        throw Erro(falhaAoIniciar(e));
    bool temA4 = false;
    const int papeis = ::DeviceCapabilitiesW(nome.c_str(), nullptr, DC_PAPERS, nullptr, dm);
    if (papeis > 0) {
        std::vector<WORD> lista(static_cast<std::size_t>(papeis));
        ::DeviceCapabilitiesW(nome.c_str(), nullptr, DC_PAPERS,
                              reinterpret_cast<LPWSTR>(lista.data()), dm);
        for (WORD p : lista)
            temA4 = temA4 || p == DMPAPER_A4;
    }
    if (!temA4) throw Erro("the printer does not take the report's page size");
    dm->dmFields |= DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES;
    dm->dmFields &= ~static_cast<DWORD>(DM_PAPERLENGTH | DM_PAPERWIDTH | DM_FORMNAME);
    dm->dmPaperSize = DMPAPER_A4;
    dm->dmOrientation = DMORIENT_PORTRAIT;
    // The copies are drawn as pages of their own (see imprimeEm).
    dm->dmCopies = 1;
    if (::DocumentPropertiesW(nullptr, bruto, nome.data(), dm, dm, DM_IN_BUFFER | DM_OUT_BUFFER) !=
        IDOK)
        throw Erro(falhaAoIniciar(e));
    return buf;
}

} // namespace

void imprimeEm(Relatorio& relatorio, const EscolhaImpressao& escolha) {
    if (escolha.emArquivo) {
        // The spooler does not say why a file cannot be written; the file system does.
        HANDLE f = ::CreateFileW(escolha.arquivo.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            const DWORD codigo = ::GetLastError();
            throw Erro("Não foi possível criar o arquivo \"" + win32::estreito(escolha.arquivo) +
                       "\": " + textoDoErro(codigo));
        }
        ::CloseHandle(f);
    }
    std::vector<BYTE> dm = configuracao(escolha);
    Dc dc(::CreateDCW(L"WINSPOOL", escolha.impressora.c_str(), nullptr,
                      reinterpret_cast<const DEVMODEW*>(dm.data())));
    if (!dc) throw Erro(falhaAoIniciar(escolha));

    const std::wstring nome = win32::largo(relatorio.nomeTrabalho);
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = nome.c_str();
    doc.lpszOutput = escolha.emArquivo ? escolha.arquivo.c_str() : nullptr;
    if (::StartDocW(dc.get(), &doc) <= 0) throw Erro(falhaAoIniciar(escolha));
    try {
        if (::StartPage(dc.get()) <= 0) throw Erro("the printer refused a new page");
        {
            TelaGdi tela(dc.get());
            // Copies by drawing the document that many times: a printer's own copy count
            // (dmCopies) is not kept by every driver, nor in a file printed to.
            relatorio.desenha(tela, escolha.copias);
        }
        if (::EndPage(dc.get()) <= 0 || ::EndDoc(dc.get()) <= 0)
            throw Erro("the printer reported an error while printing");
    } catch (...) {
        ::AbortDoc(dc.get());
        throw;
    }
}

bool ImpressaoWin32::imprime(Relatorio& relatorio, int copias) {
    DialogoImpressao dialogo;
    HWND dono = ::GetActiveWindow();
    const auto escolha = dialogo.mostra(dono, copias);
    if (dono && ::IsWindow(dono)) ::SetActiveWindow(dono);
    if (!escolha) return false;
    imprimeEm(relatorio, *escolha);
    return true;
}

} // namespace report
