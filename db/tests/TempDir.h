#pragma once
// A fresh directory under $TMPDIR, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#ifdef _WIN32
#include <random>
#endif

class TempDir {
public:
    TempDir() {
#ifdef _WIN32
        // No mkdtemp: a random name, ours only when create_directory made it.
        std::random_device aleatorio;
        for (int tentativa = 0; caminho_.empty(); ++tentativa) {
            if (tentativa == 100) throw std::runtime_error("TempDir: no free name");
            auto nome = "notera-db-" + std::to_string(aleatorio());
            auto p = std::filesystem::temp_directory_path() / nome;
            if (std::filesystem::create_directory(p)) caminho_ = p;
        }
#else
        auto base = std::filesystem::temp_directory_path() / "notera-db-XXXXXX";
        std::string modelo = base.string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
        caminho_ = modelo;
#endif
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(caminho_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& caminho() const {
        return caminho_;
    }
    std::string str() const {
        return caminho_.string();
    }

private:
    std::filesystem::path caminho_;
};
