#include "platform/System.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

std::string diretorioTemporario() {
    const char* t = std::getenv("TMPDIR");
    if (t && *t) return t;
    return "/tmp";
}

void criaDiretorios(const std::string& caminho) {
    std::error_code ec;
    std::filesystem::create_directories(caminho, ec);
}

std::string horaAtualHHNNSS() {
    std::time_t agora = std::time(nullptr);
    std::tm local{};
    localtime_r(&agora, &local);
    char buf[8];
    std::strftime(buf, sizeof buf, "%H%M%S", &local);
    return buf;
}

base::Data hoje() {
    std::time_t agora = std::time(nullptr);
    std::tm local{};
    localtime_r(&agora, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

bool gravaArquivoPrivado(const std::string& caminho, const std::string& bytes) {
    int fd = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    const char* p = bytes.data();
    std::size_t resto = bytes.size();
    while (ok && resto > 0) {
        ssize_t n = ::write(fd, p, resto);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        resto -= static_cast<std::size_t>(n);
    }
    if (::close(fd) != 0) ok = false;
    return ok;
}

int executaEEspera(const std::string& programa, const std::vector<std::string>& argumentos) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(programa.c_str()));
    for (const auto& a : argumentos)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, programa.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string diretorioDoModulo(const void* endereco) {
    Dl_info info{};
    if (::dladdr(endereco, &info) == 0 || !info.dli_fname) return {};
    std::error_code ec;
    auto p = std::filesystem::canonical(info.dli_fname, ec);
    if (ec) p = std::filesystem::absolute(info.dli_fname, ec);
    return p.parent_path().string();
}

} // namespace platform
