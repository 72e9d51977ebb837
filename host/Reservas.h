#pragma once
// Table reservations between hosts: one advisory lock file per table name in the data
// directory, or, when the data directory is kept on a server (banco.conf), the server's
// advisory lock per table, which holds between workstations.

#include "Trava.h"

#include "db/Armazem.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class Reservas {
public:
    explicit Reservas(std::string diretorio, int esperaMs = 3000);
    ~Reservas();
    Reservas(const Reservas&) = delete;
    Reservas& operator=(const Reservas&) = delete;

    // All or nothing: false (holding none of them) when any is not had within the wait.
    bool reserva(const std::vector<std::string>& tabelas);
    void libera(const std::vector<std::string>& tabelas);
    // The server's text when the last refusal came from a server that could not be asked
    // (not from a busy table); empty otherwise.
    const std::string& erro() const { return erro_; }

private:
    std::string arquivoDe(const std::string& tabela) const;
    std::string diretorio_;
    int esperaMs_;
    std::map<std::string, std::unique_ptr<TravaArquivo>> travas_; // normalised name -> held
    bool servidor_ = false;
    std::map<std::string, db::Reserva> noServidor_;
    std::string erro_;
};
