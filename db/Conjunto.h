#pragma once
// Data sets over the store: tables and queries addressed by directory and name.
//
// A data set (Tabela or Consulta) is pointed at a directory, opened, navigated, searched and
// written. Where the directory's tables are kept (a SQLite file or a server schema) is the
// store's business (Armazem.h). Opening never creates anything: a missing directory, file,
// table or field raises db::Erro with the engine's text. Names of tables and fields match
// without regard to case, and a ".db" ending on a table name is ignored.
//
// Reading never loads a whole table. The data set keeps only its current record; moves,
// searches and windows of rows are keyset reads in the data set's order (an index field,
// by default the query's first column, then the row id), so they cost what they return.
// A query of the form "SELECT list FROM table [WHERE ...]" is read this way straight from
// its table (and is updatable when its columns are plain columns); any other query is
// materialised into a temporary table when opened.
//
// Data sets of one data tree share one connection (Armazem.h). Writes: acrescenta()/edita(),
// define(), grava() is one INSERT or UPDATE, committed at once outside a unit of work
// (synchronous=FULL; writers wait on a busy database), or with the unit (UnidadeDeTrabalho).
// An UPDATE only applies if the fields it changes still hold what edita() read, so a
// concurrent change is an error, never a lost update. Texts are UTF-8 std::string.

#include "Valor.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db {

struct Campo {
    std::string nome;
    Tipo tipo = Tipo::Outro;
    bool calculado = false;
};

// Where a record stands in its data set's order; stays valid while the record exists.
struct Marcador {
    Valor ordem;
    std::int64_t linha = 0; // the store's row identity
    bool operator==(const Marcador&) const = default;
};

// One record read from a data set: values in field order, addressed by name or index.
class Registro {
public:
    Registro() = default;
    const Valor& operator[](std::string_view nome) const;
    const Valor& em(std::size_t i) const { return valores_.at(i); }
    std::size_t tamanho() const { return valores_.size(); }
    const std::vector<Campo>& campos() const;
    const Marcador& marcador() const { return marcador_; }

private:
    friend class Conjunto;
    std::shared_ptr<const std::vector<Campo>> campos_;
    std::vector<Valor> valores_;
    Marcador marcador_;
};

// Computes a calculated field from the record's stored fields.
using Calculo = std::function<Valor(const Registro&)>;

enum class Estado { Fechado, Navegando, Editando, Inserindo };
enum class Busca { Exata, Prefixo }; // Prefixo: the last field's text begins with the value

class Conjunto {
public:
    Conjunto(const Conjunto&) = delete;
    Conjunto& operator=(const Conjunto&) = delete;
    Conjunto(Conjunto&&) noexcept;
    Conjunto& operator=(Conjunto&&) noexcept;
    ~Conjunto();

    // Configuration; takes effect at the next abre().
    void defineDiretorio(std::string diretorio);
    const std::string& diretorio() const;
    // Calculated field at |posicao| in field order (clamped to the end).
    void adicionaCalculado(std::string nome, Tipo tipo, Calculo calculo, std::size_t posicao);
    // Opens the store for reading only: nothing on disk is changed, writes fail.
    void defineSomenteLeitura(bool somenteLeitura);

    void abre();
    void fecha(); // cancels a pending edit
    bool aberto() const;
    Estado estado() const;

    // Fields. campo() reads the current record, or the edit buffer while editing.
    const std::vector<Campo>& campos() const;
    bool temCampo(std::string_view nome) const;
    const Valor& campo(std::string_view nome) const;
    Registro registro() const; // copy of the current record; empty when there is none

    // Navigation. Moving while editing posts first, as the original engine did.
    void primeiro();
    void ultimo();
    void proximo();
    void anterior();
    bool inicio() const; // tried to move before the first, or at first after primeiro()
    bool fim() const;    // tried to move past the last, or after ultimo()
    bool vazio() const;
    void releia(); // re-reads from disk, keeping the current record when it still exists
    std::int64_t conta() const;

    // First record in order whose fields equal the values (texts case-sensitive; an empty
    // text also matches NULL). Busca::Prefixo applies to the last field. Leaves the current
    // record alone when nothing matches.
    bool localiza(std::string_view campo, const Valor& valor, Busca busca = Busca::Exata);
    bool localiza(const std::vector<std::pair<std::string, Valor>>& criterios,
                  Busca busca = Busca::Exata);

    // Order by a stored field ("" = natural order: a query's first column, a table's row
    // order). Keeps the current record.
    void ordena(std::string_view campo);
    const std::string& ordem() const;

    // Windows in the data set's order, for scrolling lists. Without a marker they start at
    // the first (leApos) or end at the last (leAntes) record. Both return ascending order.
    std::vector<Registro> leApos(const std::optional<Marcador>& m, std::size_t n) const;
    std::vector<Registro> leAntes(const std::optional<Marcador>& m, std::size_t n) const;
    std::optional<Marcador> marcador() const;
    bool vaiPara(const Marcador& m); // false when that record no longer exists
    std::int64_t posicao() const;    // ordinal of the current record, from 0
    bool vaiParaPosicao(std::int64_t ordinal);

    // Writing.
    void acrescenta();
    void edita(); // re-reads the current record first
    void define(std::string_view campo, Valor valor);
    void grava();
    void cancela();
    // The engine's "write buffered changes now": every post is already on disk.
    void salvaEmDisco();

    // The next number of a numbered field: its highest value in the table plus one (1 in an
    // empty table), read through the field's index. Inside a UnidadeDeTrabalho the number
    // is read under the store's write lock, so no other workstation can take it before the
    // unit commits; the field's unique key stays the backstop outside one.
    std::int64_t proximoNumero(std::string_view campo);

    // Removes every record of the table (not of a query's selection only: refused there).
    void apagaTodos();

protected:
    Conjunto();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A table of a directory. Updatable.
class Tabela : public Conjunto {
public:
    Tabela() = default;
    Tabela(std::string diretorio, std::string nome);
    void defineNome(std::string nome);
    const std::string& nome() const;
};

// A query whose SQL text is given line by line and runs as written, with :NAME parameters.
class Consulta : public Conjunto {
public:
    Consulta();
    Consulta(std::string diretorio, std::vector<std::string> linhas);
    void defineSql(std::vector<std::string> linhas);
    const std::vector<std::string>& sql() const;
    void defineParametro(std::string nome, Valor valor);
};

} // namespace db
