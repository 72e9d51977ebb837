#pragma once
// A company's environment: its register row as values, its directories and the data sets of
// a data module pointed at them. The destination's module and the origin's each have one.

#include "db/Conjunto.h"

#include <cstdint>
#include <string>
#include <vector>

namespace notera {

// What the run takes of a company's register record.
struct RegistroEmpresa {
    std::int32_t codigo = 0;
    std::int32_t cen_emp = 0; // the company whose catalogues it uses, below 1 for its own
    std::string cfg_emp;      // the configuration text

    // The code given, the rest from the register's current record (none when it is empty).
    static RegistroEmpresa doAtual(std::int32_t codigo, const db::Conjunto& QTbEmp);
};

class AmbienteEmpresa {
public:
    // When a data set opens.
    enum class Quando { Sempre, Contabil, Gerencial };

    AmbienteEmpresa() = default;
    AmbienteEmpresa(const AmbienteEmpresa&) = delete;
    AmbienteEmpresa& operator=(const AmbienteEmpresa&) = delete;

    // Data sets in the order they open: catalogues live in the catalogue directory, tables
    // in the company directory.
    void adicionaCatalogo(db::Conjunto& conjunto, Quando quando = Quando::Sempre);
    void adicionaTabela(db::Conjunto& conjunto, Quando quando = Quando::Sempre);

    // The company, with its directories formed under |diretorioTabelas|: the company's own is
    // that directory, "/" and the code with at least three digits; its catalogue directory
    // is the one of the company in cen_emp when that is 1 or more, else its own.
    void define(const std::string& diretorioTabelas, RegistroEmpresa registro);

    const RegistroEmpresa& registro() const { return registro_; }
    // The configuration text; the chart queries' calculated field reads it where it stands.
    const std::string& configuracao() const { return registro_.cfg_emp; }
    const std::string& diretorio() const { return diretorio_; }
    const std::string& diretorioCatalogo() const { return diretorioCatalogo_; }
    // Managerial accounts: the company keeps accounts and position 27 of its configuration is
    // "S".
    bool gerencial(bool contabil) const;

    void fecha();
    // Points every data set at its directory.
    void aponta();
    // Opens, in order, the data sets whose condition holds. Store errors go to the caller.
    void abre(bool contabil);

private:
    struct Item {
        db::Conjunto* conjunto;
        bool catalogo;
        Quando quando;
    };
    std::vector<Item> itens_;
    RegistroEmpresa registro_;
    std::string diretorio_, diretorioCatalogo_;
};

// A company's directory: the register directory, "/", the code with at least three digits.
std::string diretorioDaEmpresa(const std::string& diretorioTabelas, int codigo);

// Two directories that are one on disk (a symbolic link, a bind mount). False when either
// cannot be reached.
bool mesmoDiretorio(const std::string& a, const std::string& b);

// What follows the message of a company whose tables did not open: the company, its
// directories and the store's text, or that a directory does not exist.
std::string falhaDaEmpresa(int codigo, const std::string& dirEmpresa,
                           const std::string& dirCatalogo, const char* erro);

// Character n (counting from 1) of a configuration text is "S".
bool configuracaoLigada(const std::string& cfg, int posicao);

} // namespace notera
