#include "Apoio.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace apoio {

DirTemp::DirTemp() {
    std::string modelo = std::filesystem::temp_directory_path().string() + "/notera-teste-XXXXXX";
    std::vector<char> buf(modelo.begin(), modelo.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    caminho_ = buf.data();
}

DirTemp::~DirTemp() {
    std::error_code ec;
    std::filesystem::remove_all(caminho_, ec);
}

Resultado executa(const std::vector<std::string>& argv,
                  const std::map<std::string, std::string>& ambiente) {
    int po[2], pe[2];
    if (::pipe2(po, O_CLOEXEC) != 0 || ::pipe2(pe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork");
    if (pid == 0) {
        ::dup2(po[1], 1);
        ::dup2(pe[1], 2);
        int nulo = ::open("/dev/null", O_RDONLY);
        ::dup2(nulo, 0);
        for (const auto& [k, v] : ambiente) {
            if (v.empty())
                ::unsetenv(k.c_str());
            else
                ::setenv(k.c_str(), v.c_str(), 1);
        }
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        _exit(127);
    }
    ::close(po[1]);
    ::close(pe[1]);
    Resultado r;
    pollfd fds[2] = {{po[0], POLLIN, 0}, {pe[0], POLLIN, 0}};
    int abertos = 2;
    while (abertos > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = ::read(fds[i].fd, buf, sizeof buf);
            if (n > 0) {
                (i == 0 ? r.out : r.err).append(buf, static_cast<std::size_t>(n));
            } else {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --abertos;
            }
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.saida = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

std::string leArquivo(const std::string& caminho) {
    std::ifstream in(caminho, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void gravaArquivo(const std::string& caminho, const std::string& bytes) {
    std::ofstream out(caminho, std::ios::binary | std::ios::trunc);
    out << bytes;
}

bool existe(const std::string& caminho) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(caminho, ec));
}

std::string esperaConteudo(const std::string& caminho, std::size_t tamanho,
                           std::chrono::milliseconds limite) {
    auto fim = std::chrono::steady_clock::now() + limite;
    std::string s = leArquivo(caminho);
    while (s.size() < tamanho && std::chrono::steady_clock::now() < fim) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        s = leArquivo(caminho);
    }
    // A little longer, so bytes beyond the expected ones would show up too.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return leArquivo(caminho);
}

std::string binario(const std::string& nome) {
    return std::string(NOTERA_BIN_DIR) + "/" + nome;
}
std::string biblioteca(const std::string& nome) {
    return std::string(NOTERA_LIB_DIR) + "/" + nome;
}

} // namespace apoio
