#pragma once
// A lock file taken exclusively by this process: the platform's half of the reservations.

#include <memory>
#include <string>

class TravaArquivo {
public:
    // Opens the file (UTF-8 path), creating it when missing; null when it cannot be opened.
    static std::unique_ptr<TravaArquivo> abre(const std::string& caminho);
    virtual ~TravaArquivo() = default; // closing drops the lock
    // Takes the lock without waiting; false while another process holds it.
    virtual bool tenta() = 0;
};
