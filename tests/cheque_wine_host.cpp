// chequeteste DLL OUTDIR TEMPDIR: a 32-bit Windows host for Cheque.dll, run under Wine.
// Calls the export for every case of cheque_casos.h and writes, into OUTDIR, each print file
// as it was launched, the batch file, and manifesto.txt (one fact a line) for the Linux test
// to compare. Launches, the platform identifier and the confirmation boxes are answered
// here, in the host, by patching the DLL's imports and hooking its boxes: the DLL itself is
// the one that ships.

#include "cheque_casos.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

#pragma pack(push, 1)
struct Argumentos { // fCheque_Morvane's 56 bytes, first argument lowest
    char* arquivo;
    const char* porta;
    double valor;
    std::int32_t banco;
    const char* nomeBanco;
    std::int32_t numero;
    double data;
    const char* portador;
    const char* cidade;
    std::uint32_t imprimeCopia; // one byte in a 32-bit slot
    const char* verso;
    const unsigned char* empresa;
};
#pragma pack(pop)
#if defined(__i386__)
static_assert(sizeof(Argumentos) == 56);
#endif

} // namespace

// Calls fn with n bytes of arguments copied onto the stack and returns how many of them the
// callee removed: 56 for fCheque_Morvane under __stdcall, 0 under cdecl.
#if defined(__i386__)
extern "C" int __cdecl chamaMedindo(const void* fn, const void* args, int n);
asm(".text\n"
    ".globl _chamaMedindo\n"
    "_chamaMedindo:\n"
    "  push %ebp\n"
    "  mov %esp, %ebp\n"
    "  push %esi\n"
    "  push %edi\n"
    "  push %ebx\n"
    "  mov %esp, %ebx\n"
    "  mov 16(%ebp), %ecx\n"
    "  sub %ecx, %esp\n"
    "  mov %esp, %edi\n"
    "  mov 12(%ebp), %esi\n"
    "  cld\n"
    "  rep movsb\n"
    "  mov %esp, %esi\n"
    "  call *8(%ebp)\n"
    "  mov %esp, %eax\n"
    "  sub %esi, %eax\n"
    "  mov %ebx, %esp\n"
    "  pop %ebx\n"
    "  pop %edi\n"
    "  pop %esi\n"
    "  pop %ebp\n"
    "  ret\n");
#else
// The 64-bit build (for machines that run only 64-bit Wine) has one calling convention, in
// registers: nothing to measure, so the call is made plainly and the manifest says so.
int chamaMedindo(const void* fn, const void* args, int) {
    const auto& a = *static_cast<const Argumentos*>(args);
    using Fn = void (*)(char*, const char*, double, std::int32_t, const char*, std::int32_t,
                        double, const char*, const char*, std::uint8_t, const char*,
                        const unsigned char*);
    reinterpret_cast<Fn>(const_cast<void*>(fn))(a.arquivo, a.porta, a.valor, a.banco,
                                                a.nomeBanco, a.numero, a.data, a.portador,
                                                a.cidade, static_cast<std::uint8_t>(a.imprimeCopia),
                                                a.verso, a.empresa);
    return -1;
}
#endif

namespace {

// A deliberately wrong convention, measured the same way: the check must see it.
extern "C" void __cdecl morvaneCdecl(char*, const char*, double, std::int32_t, const char*,
                                     std::int32_t, double, const char*, const char*, std::uint32_t,
                                     const char*, const unsigned char*) {}

std::string saida;
FILE* manifesto = nullptr;
const CasoCheque* atual = nullptr;
int lancamentos = 0;
int lancamentoQueFalha = 0; // this launch does not start (0: all do)
std::size_t proximaResposta = 0;
HHOOK gancho = nullptr;

void registra(const std::string& linha) {
    std::fwrite(linha.data(), 1, linha.size(), manifesto);
    std::fputc('\n', manifesto);
    std::fflush(manifesto);
}

std::string leArquivo(const std::string& caminho) {
    std::string s;
    FILE* f = std::fopen(caminho.c_str(), "rb");
    if (!f) return s;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

void gravaArquivo(const std::string& caminho, const std::string& bytes) {
    FILE* f = std::fopen(caminho.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// What the interpreter would have printed: the print file named by the batch, now.
void capturaImpressao(std::string lote) {
    if (!lote.empty() && lote.front() == '"') lote = lote.substr(1, lote.size() - 2);
    const std::string txt = lote.substr(0, lote.size() - 4) + ".TXT";
    ++lancamentos;
    gravaArquivo(saida + "\\" + atual->nome + "_" + std::to_string(lancamentos) + ".TXT",
                 leArquivo(txt));
}

UINT WINAPI falsoWinExec(LPCSTR linha, UINT mostra) {
    registra(std::string("lancamento WinExec|") + linha + "|" + std::to_string(mostra));
    capturaImpressao(linha);
    return lancamentos == lancamentoQueFalha ? ERROR_FILE_NOT_FOUND : 33;
}

HINSTANCE WINAPI falsoShellExecuteA(HWND, LPCSTR op, LPCSTR arquivo, LPCSTR parametros, LPCSTR dir,
                                    INT mostra) {
    registra(std::string("lancamento ShellExecute|") + (op ? op : "") + "|" + arquivo + "|" +
             parametros + "|" + (dir ? dir : "") + "|" + std::to_string(mostra));
    std::string p = parametros;
    capturaImpressao(p.substr(std::min<std::size_t>(p.size(), 4)));
    return reinterpret_cast<HINSTANCE>(42);
}

BOOL WINAPI falsoGetVersionExA(LPOSVERSIONINFOA v) {
    registra("versao tamanho=" + std::to_string(v->dwOSVersionInfoSize));
    BOOL ok = ::GetVersionExA(v);
    v->dwPlatformId = static_cast<DWORD>(atual->plataforma);
    return ok;
}

// Points the module's import of `funcao` from `dll` at `novo`.
bool trocaImportacao(HMODULE modulo, const char* dll, const char* funcao, void* novo) {
    auto base = reinterpret_cast<std::uint8_t*>(modulo);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         imp->Name; ++imp) {
        if (lstrcmpiA(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
        auto nomes = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto enderecos = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; nomes->u1.AddressOfData; ++nomes, ++enderecos) {
            if (IMAGE_SNAP_BY_ORDINAL(nomes->u1.Ordinal)) continue;
            auto nome = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + nomes->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<char*>(nome->Name), funcao) != 0) continue;
            DWORD antes = 0;
            ::VirtualProtect(&enderecos->u1.Function, sizeof(void*), PAGE_READWRITE, &antes);
            enderecos->u1.Function = reinterpret_cast<DWORD_PTR>(novo);
            ::VirtualProtect(&enderecos->u1.Function, sizeof(void*), antes, &antes);
            return true;
        }
    }
    return false;
}

// Reads the box the DLL opened, then answers it with the case's next answer. It reads from a
// timer inside the box's own loop: a task-modal box fills its text only after it activates.
void CALLBACK leEResponde(HWND caixa, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(caixa, id);
    char titulo[256] = {}, texto[512] = {}, sim[64] = {}, nao[64] = {}, ok[64] = {};
    ::GetWindowTextA(caixa, titulo, sizeof titulo);
    // The message is the box's static control that holds text (the icon holds none).
    for (HWND f = ::GetWindow(caixa, GW_CHILD); f && !texto[0]; f = ::GetWindow(f, GW_HWNDNEXT)) {
        char c[16] = {};
        ::GetClassNameA(f, c, sizeof c);
        if (lstrcmpiA(c, "Static") == 0) ::GetWindowTextA(f, texto, sizeof texto);
    }
    ::GetDlgItemTextA(caixa, IDYES, sim, sizeof sim);
    ::GetDlgItemTextA(caixa, IDNO, nao, sizeof nao);
    ::GetDlgItemTextA(caixa, IDOK, ok, sizeof ok);
    const char* respostas = atual->respostas;
    char r = proximaResposta < std::strlen(respostas) ? respostas[proximaResposta++] : '?';
    // A box with one OK button shows only that one; the others stay hidden.
    const bool soOk = !::IsWindowVisible(::GetDlgItem(caixa, IDYES));
    registra(std::string("caixa ") + titulo + "|" + texto + "|" +
             (soOk ? std::string(ok) : std::string(sim) + "|" + nao) + "|" + r);
    int botao = r == 'S' ? IDYES : r == 'O' ? IDOK : IDNO;
    ::PostMessageA(caixa, WM_COMMAND, MAKEWPARAM(botao, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(caixa, botao)));
}

LRESULT CALLBACK respondeCaixa(int codigo, WPARAM w, LPARAM l) {
    if (codigo == HCBT_ACTIVATE) {
        HWND caixa = reinterpret_cast<HWND>(w);
        char classe[16] = {};
        ::GetClassNameA(caixa, classe, sizeof classe);
        if (std::strcmp(classe, "#32770") == 0) ::SetTimer(caixa, 1, 10, leEResponde);
    }
    return ::CallNextHookEx(gancho, codigo, w, l);
}

std::string hex(const std::string& s) {
    static const char* d = "0123456789abcdef";
    std::string h;
    for (unsigned char c : s) {
        h += d[c >> 4];
        h += d[c & 15];
    }
    return h;
}

int contaArquivos(const std::string& dir) {
    WIN32_FIND_DATAA f;
    HANDLE h = ::FindFirstFileA((dir + "*.*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do
        if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    while (::FindNextFileA(h, &f));
    ::FindClose(h);
    return n;
}

using FnErro = const char*(__stdcall*)();

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "uso: chequeteste Cheque.dll SAIDA TEMP\\\n");
        return 2;
    }
    saida = argv[2];
    std::string temp = argv[3];
    manifesto = std::fopen((saida + "\\manifesto.txt").c_str(), "wb");
    if (!manifesto) return 2;

    HMODULE dll = ::LoadLibraryA(argv[1]);
    if (!dll) {
        registra("falha LoadLibrary " + std::to_string(::GetLastError()));
        return 1;
    }
    const void* morvane = reinterpret_cast<const void*>(::GetProcAddress(dll, "fCheque_Morvane"));
    auto erro =
        reinterpret_cast<FnErro>(reinterpret_cast<void*>(::GetProcAddress(dll, "fCheque_Erro")));
    registra(
        std::string("exporta fCheque_Morvane=") + (morvane ? "sim" : "nao") +
        " fCheque_Erro=" + (erro ? "sim" : "nao") + " decorado=" +
        (::GetProcAddress(dll, "fCheque_Morvane@56") || ::GetProcAddress(dll, "_fCheque_Morvane@56")
             ? "sim"
             : "nao"));
    if (!morvane || !erro) return 1;
    registra(
        std::string("troca WinExec=") +
        (trocaImportacao(dll, "KERNEL32.dll", "WinExec", reinterpret_cast<void*>(&falsoWinExec))
             ? "sim"
             : "nao") +
        " ShellExecuteA=" +
        (trocaImportacao(dll, "SHELL32.dll", "ShellExecuteA",
                         reinterpret_cast<void*>(&falsoShellExecuteA))
             ? "sim"
             : "nao") +
        " GetVersionExA=" +
        (trocaImportacao(dll, "KERNEL32.dll", "GetVersionExA",
                         reinterpret_cast<void*>(&falsoGetVersionExA))
             ? "sim"
             : "nao"));

    char windir[MAX_PATH] = {};
    ::GetWindowsDirectoryA(windir, sizeof windir);
    std::string diretorioWindows = windir;
    if (diretorioWindows.back() != '\\') diretorioWindows += '\\';
    registra("windir " + diretorioWindows);
#if defined(__i386__)
    registra("arquitetura i386");
#else
    registra("arquitetura x86_64");
#endif
    ::SetEnvironmentVariableA("TMP", temp.c_str());
    ::SetEnvironmentVariableA("TEMP", temp.c_str());

    // Without a window no box can open (under Wine without a display: the null driver).
    HWND janela =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    registra(std::string("janela ") + (janela ? "sim" : "nao"));
    if (janela) ::DestroyWindow(janela);
    gancho = ::SetWindowsHookExA(WH_CBT, respondeCaixa, nullptr, ::GetCurrentThreadId());

    for (const auto& c : CasosCheque) {
        atual = &c;
        lancamentos = 0;
        proximaResposta = 0;
        registra(std::string("caso ") + c.nome);
        std::string mode;
        if (*c.modeCom) {
            const std::string d = diretorioWindows + c.modeCom;
            ::CreateDirectoryA(d.c_str(), nullptr);
            mode = d + "\\MODE.COM";
            gravaArquivo(mode, "");
        }

        std::vector<char> porta(1024, 0), portador(1024, 0), cidade(1024, 0), verso(1024, 0);
        std::memcpy(porta.data(), c.porta, std::strlen(c.porta));
        std::memcpy(portador.data(), c.portador, std::strlen(c.portador));
        std::memcpy(cidade.data(), c.cidade, std::strlen(c.cidade));
        std::memcpy(verso.data(), c.verso, std::strlen(c.verso));
        // The host's counted string: 32-bit length, characters, NUL.
        std::string nomeBanco = c.nomeBanco;
        if (std::strcmp(c.nome, "mode_com_nt") == 0) nomeBanco += std::string(5000, 'X');
        std::vector<char> contado(4 + nomeBanco.size() + 1, 0);
        auto n = static_cast<std::int32_t>(nomeBanco.size());
        std::memcpy(contado.data(), &n, 4);
        std::memcpy(contado.data() + 4, nomeBanco.data(), nomeBanco.size());
        std::vector<unsigned char> empresa(256, 0);
        std::string e = c.empresa;
        if (std::strcmp(c.nome, "mode_com_nt") == 0) e += std::string(300, 'E');
        if (e.size() > 255) e.resize(255);
        empresa[0] = static_cast<unsigned char>(e.size());
        std::memcpy(empresa.data() + 1, e.data(), e.size());
        std::vector<char> arquivo(1024, 'x');

        Argumentos a{arquivo.data(),     porta.data(),      c.valor,      c.banco,
                     contado.data() + 4, c.numero,          c.data,       portador.data(),
                     cidade.data(),      c.copia ? 1u : 0u, verso.data(), empresa.data()};
        const int antes = contaArquivos(temp);
        const int retirados = chamaMedindo(morvane, &a, sizeof a);
        registra("retirados " + std::to_string(retirados));
        registra("novos " + std::to_string(contaArquivos(temp) - antes));
        registra("erro " + hex(erro()));
        bool tudoNul = true;
        for (char ch : arquivo)
            tudoNul = tudoNul && ch == 0;
        std::string caminho(arquivo.data(), strnlen(arquivo.data(), arquivo.size()));
        registra("arquivo " + caminho + (tudoNul ? "|todo NUL" : ""));
        if (!caminho.empty())
            gravaArquivo(saida + "\\" + c.nome + ".BAT",
                         leArquivo(caminho.substr(0, caminho.size() - 4) + ".BAT"));
        registra(std::string("respostas usadas ") + std::to_string(proximaResposta));
        if (!mode.empty()) ::DeleteFileA(mode.c_str());
    }

    // Two jobs in a row, most often within one second: two names, two cheques.
    static const CasoCheque dois = {"dois_seguidos", "LPT1", 1,   1, "B", 1,  37685, "P", "C",
                                    false,           "",     "E", 2, "",  "", ""};
    atual = &dois;
    lancamentos = 0;
    registra("caso dois_seguidos");
    for (int i = 0; i < 2; ++i) {
        std::vector<char> porta(1024, 0), arquivo(1024, 0);
        std::memcpy(porta.data(), "LPT1", 4);
        char contado[8] = {1, 0, 0, 0, 'B', 0};
        unsigned char empresa[2] = {1, 'E'};
        Argumentos a{arquivo.data(), porta.data(), 1.0 + i, 1, contado + 4, 1,
                     37685,          "P",          "C",     0, "",          empresa};
        chamaMedindo(morvane, &a, sizeof a);
        registra("arquivo " + std::string(arquivo.data()));
    }

    // A launch that does not start: the front's fails the call, the back's is told in a box.
    for (int falha : {1, 2}) {
        static const CasoCheque casos[] = {{"falha_na_frente", "LPT1", 1, 1, "B", 1, 37685, "P",
                                            "C", false, "Verso", "E", 2, "", "", ""},
                                           {"falha_no_verso", "LPT1", 1, 1, "B", 1, 37685, "P", "C",
                                            false, "Verso", "E", 2, "", "SO", ""}};
        atual = &casos[falha - 1];
        lancamentos = 0;
        proximaResposta = 0;
        lancamentoQueFalha = falha;
        registra(std::string("caso ") + atual->nome);
        std::vector<char> porta(1024, 0), arquivo(1024, 'x'), verso(1024, 0);
        std::memcpy(porta.data(), "LPT1", 4);
        std::memcpy(verso.data(), "Verso", 5);
        char contado[8] = {1, 0, 0, 0, 'B', 0};
        unsigned char empresa[2] = {1, 'E'};
        Argumentos a{arquivo.data(), porta.data(), 1.0, 1, contado + 4,  1,
                     37685,          "P",          "C", 0, verso.data(), empresa};
        registra("retirados " + std::to_string(chamaMedindo(morvane, &a, sizeof a)));
        registra("erro " + hex(erro()));
        registra("arquivo " + std::string(arquivo.data(), strnlen(arquivo.data(), 1024)));
        lancamentoQueFalha = 0;
    }

    // A temporary directory the system cannot give: the call fails through fCheque_Erro.
    atual = &CasosCheque[0];
    registra("caso temp_longo");
    ::SetEnvironmentVariableA("TMP", ("C:\\" + std::string(300, 'd')).c_str());
    ::SetEnvironmentVariableA("TEMP", ("C:\\" + std::string(300, 'd')).c_str());
    {
        std::vector<char> porta(1024, 0), arquivo(1024, 'x');
        std::memcpy(porta.data(), "LPT1", 4);
        char contado[8] = {1, 0, 0, 0, 'B', 0};
        unsigned char empresa[2] = {1, 'E'};
        Argumentos a{arquivo.data(), porta.data(), 1.0, 1, contado + 4, 1,
                     37685,          "P",          "C", 0, "",          empresa};
        registra("retirados " + std::to_string(chamaMedindo(morvane, &a, sizeof a)));
        registra("erro " + hex(erro()));
        bool tudoNul = true;
        for (char ch : arquivo)
            tudoNul = tudoNul && ch == 0;
        registra(std::string("todo NUL ") + (tudoNul ? "sim" : "nao"));
    }

    // The same measure on a cdecl function must tell the conventions apart.
    {
        Argumentos a{};
        registra("cdecl retirados " +
                 std::to_string(
                     chamaMedindo(reinterpret_cast<const void*>(&morvaneCdecl), &a, sizeof a)));
    }
    ::UnhookWindowsHookEx(gancho);
    registra("fim");
    std::fclose(manifesto);
    return 0;
}
