#include "platform/win32/Nome.h"

#include "base/Texto.h"

namespace platform::win32 {

namespace {

constexpr wchar_t Propriedade[] = L"Nome";

std::wstring largo(std::string_view s) {
    std::wstring r;
    for (char32_t c : base::decodifica(s))
        if (c < 0x10000) r.push_back(static_cast<wchar_t>(c));
    return r;
}

struct Busca {
    std::string_view nome;
    HWND achada = nullptr;
};

BOOL CALLBACK visita(HWND janela, LPARAM param) {
    auto* b = reinterpret_cast<Busca*>(param);
    if (nomeDe(janela) == b->nome) {
        b->achada = janela;
        return FALSE;
    }
    return TRUE;
}

} // namespace

void defineNome(HWND janela, std::string_view nome) {
    tiraNome(janela);
    const ATOM atomo = GlobalAddAtomW(largo(nome).c_str());
    if (atomo != 0)
        SetPropW(janela, Propriedade, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atomo)));
}

void tiraNome(HWND janela) {
    const auto atomo =
        static_cast<ATOM>(reinterpret_cast<UINT_PTR>(RemovePropW(janela, Propriedade)));
    if (atomo != 0) GlobalDeleteAtom(atomo);
}

std::string nomeDe(HWND janela) {
    const auto atomo = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(janela, Propriedade)));
    if (atomo == 0) return {};
    wchar_t buf[256];
    const UINT n = GlobalGetAtomNameW(atomo, buf, 256);
    std::string r;
    for (UINT i = 0; i < n; ++i)
        base::anexa(r, static_cast<char32_t>(buf[i]));
    return r;
}

HWND achaPorNome(HWND raiz, std::string_view nome) {
    if (raiz == nullptr) return nullptr;
    if (nomeDe(raiz) == nome) return raiz;
    Busca b{nome};
    EnumChildWindows(raiz, visita, reinterpret_cast<LPARAM>(&b));
    return b.achada;
}

} // namespace platform::win32
