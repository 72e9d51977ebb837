// Win32 services: the command interpreter runs the batch file, MessageBoxA asks.

#include "Sistema.h"

#include <windows.h>

// Needs windows.h first.
#include <shellapi.h>

#include <string>

namespace cheque {

namespace {

struct Identidade {
    DWORD volume = 0, indiceAlto = 0, indiceBaixo = 0;
};

bool identidade(HANDLE h, Identidade& id, DWORD* ligacoes = nullptr) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    if (ligacoes) *ligacoes = info.nNumberOfLinks;
    return true;
}

bool escreveTudo(HANDLE h, const std::string& bytes) {
    std::size_t feito = 0;
    while (feito < bytes.size()) {
        DWORD n = 0;
        if (!::WriteFile(h, bytes.data() + feito, static_cast<DWORD>(bytes.size() - feito), &n,
                         nullptr) ||
            n == 0)
            return false;
        feito += n;
    }
    return true;
}

// The command interpreter reads the file between writes, so it is closed after each one and
// reopened only when it is still the very file this job created, with no other name.
class ArquivoWin32 : public ArquivoDoTrabalho {
public:
    ArquivoWin32(std::string caminho, HANDLE h) : caminho_(std::move(caminho)), h_(h) {
        valido_ = identidade(h_, id_);
    }
    ~ArquivoWin32() override { fecha(); }
    ArquivoWin32(const ArquivoWin32&) = delete;
    ArquivoWin32& operator=(const ArquivoWin32&) = delete;

    bool regrava(const std::string& bytes) override {
        if (!valido_) return false;
        if (h_ == INVALID_HANDLE_VALUE) {
            h_ = ::CreateFileA(caminho_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                               nullptr);
            if (h_ == INVALID_HANDLE_VALUE) return false;
            Identidade agora;
            DWORD ligacoes = 0;
            if (!identidade(h_, agora, &ligacoes) || agora.volume != id_.volume ||
                agora.indiceAlto != id_.indiceAlto || agora.indiceBaixo != id_.indiceBaixo ||
                ligacoes != 1) {
                fecha();
                return false;
            }
        }
        bool ok = ::SetFilePointer(h_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                  ::SetEndOfFile(h_) && escreveTudo(h_, bytes);
        fecha();
        return ok;
    }

private:
    void fecha() {
        if (h_ != INVALID_HANDLE_VALUE) ::CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    std::string caminho_;
    HANDLE h_;
    Identidade id_;
    bool valido_ = false;
};

// The confirmation box speaks Portuguese whatever the system's language: its buttons are
// renamed as it opens, through a hook on this thread only.
thread_local HHOOK ganchoCaixa = nullptr;

LRESULT CALLBACK renomeiaBotoes(int codigo, WPARAM w, LPARAM l) {
    if (codigo == HCBT_ACTIVATE) {
        HWND caixa = reinterpret_cast<HWND>(w);
        char classe[16] = {};
        ::GetClassNameA(caixa, classe, sizeof classe);
        if (std::string(classe) == "#32770") {
            ::SetDlgItemTextA(caixa, IDYES, "&Sim");
            ::SetDlgItemTextA(caixa, IDNO, "&N\xE3o");
        }
    }
    return ::CallNextHookEx(ganchoCaixa, codigo, w, l);
}

class SistemaWin32 : public Sistema {
public:
    char separador() const override { return '\\'; }
    bool usaInterpretador() const override { return true; }

    std::string diretorioTemporario() override {
        char buf[MAX_PATH] = {};
        DWORD n = ::GetTempPathA(MAX_PATH, buf);
        if (n == 0 || n > MAX_PATH) return {};
        return std::string(buf, n);
    }
    bool existeDiretorio(const std::string& c) override {
        DWORD a = ::GetFileAttributesA(c.c_str());
        return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
    }
    void criaDiretorios(const std::string& c) override {
        // Every prefix that ends at a separator, past the drive or the server and share.
        for (std::size_t i = 0; i < c.size(); ++i)
            if ((c[i] == '\\' || c[i] == '/') && i > 0 && c[i - 1] != ':' && c[i - 1] != '\\')
                ::CreateDirectoryA(c.substr(0, i).c_str(), nullptr);
        ::CreateDirectoryA(c.c_str(), nullptr);
    }
    int segundosDoDia() override {
        SYSTEMTIME t{};
        ::GetLocalTime(&t);
        return t.wHour * 3600 + t.wMinute * 60 + t.wSecond;
    }
    Familia familia() override {
        OSVERSIONINFOA v{};
        v.dwOSVersionInfoSize = sizeof v; // 148 bytes
        if (!::GetVersionExA(&v)) return Familia::NT;
        return v.dwPlatformId < VER_PLATFORM_WIN32_NT ? Familia::Win9x : Familia::NT;
    }
    std::string diretorioWindows() override {
        char buf[255] = {};
        UINT n = ::GetWindowsDirectoryA(buf, sizeof buf);
        if (n == 0 || n >= sizeof buf) return {};
        std::string d(buf, n);
        if (d.back() != '\\') d += '\\';
        return d;
    }
    bool existeArquivo(const std::string& c) override {
        DWORD a = ::GetFileAttributesA(c.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::unique_ptr<ArquivoDoTrabalho> criaExclusivo(const std::string& caminho,
                                                     Criacao& resultado) override {
        HANDLE h = ::CreateFileA(caminho.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            DWORD e = ::GetLastError();
            resultado = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS ? Criacao::Existe
                                                                            : Criacao::Falhou;
            return nullptr;
        }
        resultado = Criacao::Criado;
        return std::make_unique<ArquivoWin32>(caminho, h);
    }
    void removeArquivo(const std::string& caminho) override { ::DeleteFileA(caminho.c_str()); }

    // The interpreter runs on its own; only a launch that did not start is known here.
    std::string lanca(const std::string& lote, Familia familia,
                      const std::string& diretorioComandos) override {
        if (familia == Familia::Win9x) {
            const std::string parametros = " /C " + lote;
            auto r = reinterpret_cast<INT_PTR>(::ShellExecuteA(nullptr, "open", "COMMAND.COM",
                                                               parametros.c_str(),
                                                               diretorioComandos.c_str(), SW_HIDE));
            if (r <= 32) return "COMMAND.COM n\xE3o iniciou (" + std::to_string(r) + ")";
            return {};
        }
        // A temporary directory with blanks (Documents and Settings) needs the quotes.
        const std::string linha = lote.find(' ') == std::string::npos ? lote : '"' + lote + '"';
        UINT r = ::WinExec(linha.c_str(), SW_HIDE);
        if (r <= 31) return lote + " n\xE3o iniciou (" + std::to_string(r) + ")";
        return {};
    }

    bool confirma(const std::string& texto) override {
        ganchoCaixa = ::SetWindowsHookExA(WH_CBT, renomeiaBotoes, nullptr, ::GetCurrentThreadId());
        int r = ::MessageBoxA(::GetActiveWindow(), texto.c_str(), "Confirme",
                              MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL);
        if (ganchoCaixa) ::UnhookWindowsHookEx(ganchoCaixa);
        ganchoCaixa = nullptr;
        return r == IDYES;
    }
    void avisa(const std::string& texto) override {
        ::MessageBoxA(::GetActiveWindow(), texto.c_str(), "Aviso",
                      MB_OK | MB_ICONWARNING | MB_TASKMODAL);
    }
};

} // namespace

std::unique_ptr<Sistema> sistemaLocal() {
    return std::make_unique<SistemaWin32>();
}

} // namespace cheque
