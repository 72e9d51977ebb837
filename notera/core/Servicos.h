#pragma once
// The host's services for one run, reached through the C interface: the data set, string
// list and field handed to the selection dialog are built here around a data set.

#include "db/Conjunto.h"
#include "notera/notera.h"

#include <optional>
#include <string>
#include <vector>

namespace notera {

class ServicosHost {
public:
    ServicosHost(NoteraSelecionaRegistro seleciona, NoteraReservaTabelas reserva,
                 NoteraLiberaTabelas libera)
        : seleciona_(seleciona), reserva_(reserva), libera_(libera) {}

    bool temSelecao() const { return seleciona_ != nullptr; }
    void limpaSelecao() { seleciona_ = nullptr; }

    // Opens the host's dialog; the chosen record's first listed field as text, or nothing
    // when the user chose nothing (or there is no dialog).
    std::optional<std::string> SelecionaRegistro(const std::string& titulo, db::Conjunto& dados,
                                                 const std::vector<std::string>& colunas,
                                                 const std::vector<std::string>& titulos);
    bool ReservaTabelas(const std::vector<std::string>& tabelas);
    void LiberaTabelas(const std::vector<std::string>& tabelas);

private:
    NoteraSelecionaRegistro seleciona_;
    NoteraReservaTabelas reserva_;
    NoteraLiberaTabelas libera_;
};

} // namespace notera
