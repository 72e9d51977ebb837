#pragma once
// What the host's commands share: options, value parsing, library loading, the robot.

#include "Log.h"
#include "Robot.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace host {

constexpr int SaidaUso = 2;
constexpr int SaidaRoteiro = 3;

int uso(const std::string& msg);
// The usage on standard output, status 0: what --help and -h ask for.
int ajuda();
bool pedeAjuda(const char* arg);

struct Opcoes {
    std::map<std::string, std::string> valores;
    std::set<std::string> chaves;
    bool tem(const std::string& o) const { return valores.count(o) || chaves.count(o); }
    std::string valor(const std::string& o, const std::string& padrao = {}) const {
        auto it = valores.find(o);
        return it == valores.end() ? padrao : it->second;
    }
};

// "--name value" options and "--flag" switches; nullopt (and erro) on anything else.
// --help or -h is recorded as the switch "--help" whatever the command.
std::optional<Opcoes> leOpcoes(int argc, char** argv, int inicio,
                               const std::set<std::string>& comValor,
                               const std::set<std::string>& chaves, std::string& erro);

std::optional<long long> inteiro(const std::string& s);
std::optional<double> decimal(const std::string& s);
std::optional<double> dataIso(const std::string& s); // YYYY-MM-DD -> days since 1899-12-30
std::string leArquivo(const std::string& caminho, bool& ok);

// A library loaded from build/lib beside build/bin, closed when it goes out of scope.
class Biblioteca {
public:
    explicit Biblioteca(const std::string& nome);
    ~Biblioteca();
    Biblioteca(const Biblioteca&) = delete;
    Biblioteca& operator=(const Biblioteca&) = delete;
    void* simbolo(const char* nome) const;

private:
    void* h_ = nullptr;
};

// Texts in the libraries' forms, in code page 1252.
std::vector<char> buffer1024(const std::string& s);
std::vector<unsigned char> textoCurto(const std::string& s);
class TextoContado {
public:
    explicit TextoContado(const std::string& s);
    const char* ptr() const { return mem_.data() + 8; }

private:
    std::vector<char> mem_;
};

// The log and, with --script, the robot that drives the run.
struct Sessao {
    Registro log;
    std::unique_ptr<Robo> robo;
    bool comRoteiro = false;
};
int preparaSessao(const Opcoes& o, Sessao& s);

int comandoCheque(int argc, char** argv);
int comandoTransferencia(int argc, char** argv);

} // namespace host
