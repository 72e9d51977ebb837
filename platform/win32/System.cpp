// The plain system services on Windows: temporary directory, folders, clock, private files,
// processes, the module's folder.

#include "platform/System.h"

#include "base/Texto.h"

#include <windows.h>

#include <ctime>
#include <filesystem>

namespace platform {

namespace {

std::wstring largo(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
    return w;
}

std::string estreito(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr,
                                        0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr,
                          nullptr);
    return s;
}

// An argument quoted as the C runtime splits a command line.
std::wstring citado(const std::wstring& a) {
    if (!a.empty() && a.find_first_of(L" \t\n\v\"") == std::wstring::npos) return a;
    std::wstring r = L"\"";
    std::size_t barras = 0;
    for (wchar_t c : a) {
        if (c == L'\\') {
            ++barras;
            continue;
        }
        r.append(c == L'"' ? barras * 2 + 1 : barras, L'\\');
        barras = 0;
        r += c;
    }
    r.append(barras * 2, L'\\');
    return r + L"\"";
}

} // namespace

std::string diretorioTemporario() {
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
    std::wstring w(buf, n);
    while (!w.empty() && (w.back() == L'\\' || w.back() == L'/'))
        w.pop_back();
    return estreito(w);
}

void criaDiretorios(const std::string& caminho) {
    std::error_code ec;
    std::filesystem::create_directories(base::caminhoUtf8(caminho), ec);
}

std::string horaAtualHHNNSS() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02u%02u%02u", t.wHour, t.wMinute, t.wSecond);
    return buf;
}

base::Data hoje() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay};
}

bool gravaArquivoPrivado(const std::string& caminho, const std::string& bytes) {
    // The file's own security descriptor is left to the folder's; a reparse point at the
    // name is opened itself, never followed.
    HANDLE h = ::CreateFileW(largo(caminho).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    std::size_t feito = 0;
    while (ok && feito < bytes.size()) {
        DWORD n = 0;
        ok = ::WriteFile(h, bytes.data() + feito, static_cast<DWORD>(bytes.size() - feito), &n,
                         nullptr) &&
             n > 0;
        feito += n;
    }
    if (!::CloseHandle(h)) ok = false;
    return ok;
}

int executaEEspera(const std::string& programa, const std::vector<std::string>& argumentos) {
    std::wstring linha = citado(largo(programa));
    for (const auto& a : argumentos)
        linha += L" " + citado(largo(a));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(largo(programa).c_str(), linha.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &si, &pi))
        return -1;
    ::WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD codigo = 0;
    const bool ok = ::GetExitCodeProcess(pi.hProcess, &codigo);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return ok ? static_cast<int>(codigo) : -1;
}

std::string diretorioDoModulo(const void* endereco) {
    HMODULE m = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                  GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<LPCWSTR>(endereco), &m))
        return {};
    wchar_t buf[32768];
    const DWORD n = ::GetModuleFileNameW(m, buf, static_cast<DWORD>(std::size(buf)));
    if (n == 0 || n >= std::size(buf)) return {};
    return estreito(std::filesystem::path(std::wstring(buf, n)).parent_path().wstring());
}

} // namespace platform
