#pragma once
// The selection dialog's data, shared by the Linux and Windows dialogs: the data set's
// records read as rows, and what the dialog does with them. Texts are UTF-8.

#include "notera/notera.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

// The field's value on the data set's current record.
std::string valorDoCampo(NoteraDataSet* ds, int campo);

// A window of the data set's records as rows, read by keys (bookmarks and moves to the
// next or prior record) as the list scrolls; it never counts the records, so opening and
// scrolling cost what is shown, whatever the data set's size.
class JanelaRegistros {
public:
    struct Linha {
        int32_t marca;
        std::vector<std::string> valores;
    };
    static constexpr int Tamanho = 40; // rows read at a time: about two screens

    JanelaRegistros(NoteraDataSet* ds, std::vector<int> campos);
    std::size_t linhas() const { return linhas_.size(); }
    std::size_t colunas() const { return campos_.size(); }
    const std::string& valor(std::size_t linha, std::size_t coluna) const;

    // Rows around the data set's current record; answers that record's row (-1: empty).
    int recarrega();
    bool temAntes() const { return !inicio_; }
    bool temDepois() const { return !fim_ && !linhas_.empty(); }
    // Reads up to n rows past either end, leaving the rows as they are; the caller adds
    // them (a list view announces the rows before they are there).
    std::vector<Linha> leDepois(int n);
    std::vector<Linha> leAntes(int n); // nearest first
    void acrescenta(std::vector<Linha> novas);
    void antepoe(std::vector<Linha> novas); // as leAntes gave them
    // Puts the data set on the record of a row.
    bool vaiPara(int linha) const;

private:
    Linha linhaAtual() const;
    NoteraDataSet* ds_;
    std::vector<int> campos_;
    std::deque<Linha> linhas_;
    bool inicio_ = true, fim_ = true; // the rows reach the first / the last record
};

// The dialog's behaviour over its data set: the listed fields, where the data set stood at
// opening, the type-ahead search, the choice by key and the return on cancel.
class SelecaoDeRegistro {
public:
    SelecaoDeRegistro(NoteraDataSet* ds, std::vector<std::string> campos,
                      std::vector<std::string> titulos);
    NoteraDataSet* dados() const { return ds_; }
    const std::vector<std::string>& campos() const { return nomes_; }
    const std::vector<std::string>& titulos() const { return titulos_; }
    const std::vector<int>& indices() const { return campos_; }
    // The first listed field's value on the record where the data set stood at opening.
    const std::string& valorInicial() const { return inicial_; }

    // Typing: digits search the first listed field, other text the second, by beginning;
    // true when the data set moved to a match.
    bool pesquisa(const std::string& texto);
    // The record whose first listed field reads chave exactly; false (not moved) when none.
    bool localiza(const std::string& chave);
    // The chosen key, the data set standing on the row's record; nothing when it cannot be.
    std::optional<std::string> escolhe(const JanelaRegistros& janela, int linha);
    // Cancel: the data set goes back where it stood.
    void restaura();

private:
    NoteraDataSet* ds_;
    std::vector<std::string> nomes_, titulos_;
    std::vector<int> campos_;
    int32_t marcaInicial_ = -1;
    std::string inicial_;
};
