// Advisory locks (flock) on POSIX systems.

#include "Trava.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

class TravaPosix : public TravaArquivo {
public:
    explicit TravaPosix(int fd) : fd_(fd) {}
    ~TravaPosix() override { ::close(fd_); }
    TravaPosix(const TravaPosix&) = delete;
    TravaPosix& operator=(const TravaPosix&) = delete;
    bool tenta() override { return ::flock(fd_, LOCK_EX | LOCK_NB) == 0; }

private:
    int fd_;
};

} // namespace

std::unique_ptr<TravaArquivo> TravaArquivo::abre(const std::string& caminho) {
    int fd = ::open(caminho.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return nullptr;
    return std::make_unique<TravaPosix>(fd);
}
