#pragma once
// A relay between the store's clients and a PostgreSQL server's Unix socket, in a thread of
// its own: every byte passes unchanged, the client's messages read one by one, and when armed
// it cuts the connection (both sides) at the Nth statement sent, before the server sees it.
// A statement is a simple query ('Q') or an Execute ('E') of the extended protocol.

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace torture {

class Rele {
public:
    // Listens in |diretorio| (made here) and relays to the server's socket directory
    // |servidor| (port 5432, as the test server's).
    Rele(const std::filesystem::path& diretorio, const std::filesystem::path& servidor);
    ~Rele();
    Rele(const Rele&) = delete;
    Rele& operator=(const Rele&) = delete;

    // Counting restarts; |n| > 0: the nth statement from now is cut, 0: nothing is.
    void arma(long n);
    // Statements seen since arma().
    long contados() const { return contados_; }
    // Connections cut since arma(), and the statement at the cut (its text when known).
    long cortes() const { return cortes_; }
    std::string cortado() const;
    // The statements seen since arma(), each as its text (a prepared one's when known).
    std::vector<std::string> textos() const;
    // Connections accepted since arma().
    long conexoes() const { return conexoes_; }
    const std::string& erro() const { return erro_; }

private:
    void roda();
    struct Par;
    std::filesystem::path servidor_;
    int escuta_ = -1;
    int acorda_[2] = {-1, -1};
    std::atomic<long> alvo_{0}, contados_{0}, cortes_{0}, conexoes_{0};
    mutable std::mutex trava_;
    std::string cortado_, erro_;
    std::vector<std::string> textos_;
    std::thread linha_;
};

} // namespace torture
