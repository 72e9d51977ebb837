#pragma once
// Helpers for tests that run the built programs: temporary directories, child processes,
// whole-file reads.

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace apoio {

// A fresh directory under the system's temporary directory, removed with its contents.
class DirTemp {
public:
    DirTemp();
    ~DirTemp();
    DirTemp(const DirTemp&) = delete;
    DirTemp& operator=(const DirTemp&) = delete;
    const std::string& caminho() const { return caminho_; }
    std::string operator/(const std::string& nome) const { return caminho_ + "/" + nome; }

private:
    std::string caminho_;
};

struct Resultado {
    int saida = -1;
    std::string out;
    std::string err;
};

// Runs a program with extra environment variables (an empty value removes the variable).
Resultado executa(const std::vector<std::string>& argv,
                  const std::map<std::string, std::string>& ambiente = {});

std::string leArquivo(const std::string& caminho);
void gravaArquivo(const std::string& caminho, const std::string& bytes);
bool existe(const std::string& caminho);

// Waits until the file holds at least `tamanho` bytes (a detached writer fills it).
std::string esperaConteudo(const std::string& caminho, std::size_t tamanho,
                           std::chrono::milliseconds limite = std::chrono::seconds(20));

std::string binario(const std::string& nome);    // build/bin/NAME
std::string biblioteca(const std::string& nome); // build/lib/NAME

} // namespace apoio
