#pragma once
// A fresh directory under $TMPDIR, removed with everything in it.

#include <cstdlib>
#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir() {
        auto base = std::filesystem::temp_directory_path() / "notera-db-XXXXXX";
        std::string modelo = base.string();
        if (!mkdtemp(modelo.data())) throw std::runtime_error("mkdtemp");
        caminho_ = modelo;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(caminho_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& caminho() const { return caminho_; }
    std::string str() const { return caminho_.string(); }

private:
    std::filesystem::path caminho_;
};
