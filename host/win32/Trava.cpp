// Lock files on Windows: an exclusive LockFileEx on the file's first byte.

#include "host/Trava.h"

#include "base/Texto.h"

#include <windows.h>

namespace {

class TravaWin32 : public TravaArquivo {
public:
    explicit TravaWin32(HANDLE h) : h_(h) {}
    ~TravaWin32() override { ::CloseHandle(h_); }
    TravaWin32(const TravaWin32&) = delete;
    TravaWin32& operator=(const TravaWin32&) = delete;
    bool tenta() override {
        OVERLAPPED o{};
        return ::LockFileEx(h_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &o) !=
               0;
    }

private:
    HANDLE h_;
};

} // namespace

std::unique_ptr<TravaArquivo> TravaArquivo::abre(const std::string& caminho) {
    const std::wstring w = base::caminhoUtf8(caminho).wstring();
    HANDLE h = ::CreateFileW(w.c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<TravaWin32>(h);
}
