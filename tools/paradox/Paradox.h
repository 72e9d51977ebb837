#pragma once
// Paradox table files (.DB with their .MB blob files) read and written through pxlib.
// Values cross as the store's values: texts UTF-8, money in ten-thousandths, dates and
// timestamps as days since 1899-12-30 (the store's date-time), images as bytes.

#include "db/Valor.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace paradox {

// A table that cannot be read or written: the message says which file and why.
class Erro : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that a table's code page cannot hold: the table is refused, not written with
// another letter in its place.
class ErroDePagina : public Erro {
public:
    using Erro::Erro;
};

// Field kinds as the format numbers them.
enum class Tipo : int {
    Alfa = 0x01,
    Data = 0x02,
    Curto = 0x03,
    Longo = 0x04,
    Moeda = 0x05,
    Numero = 0x06,
    Logico = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    MemoFormatado = 0x0E,
    Ole = 0x0F,
    Grafico = 0x10,
    Hora = 0x14,
    DataHora = 0x15,
    AutoIncremento = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

struct Campo {
    std::string nome;
    Tipo tipo;
    int tamanho = 0;  // bytes in the record
    int decimais = 0; // BCD: digits after the point
};

// The store's kind closest to a field kind.
db::Tipo tipoNoArmazem(const Campo& campo);
// The kind in words, for messages ("gráfico", "data").
const char* nomeDoTipo(Tipo tipo);

// A value the store cannot hold (a date outside the years 1 to 9999, a time past 24 h),
// stored empty and reported with what the file held.
struct Descartado {
    long registro = 0; // from 1
    std::string campo;
    std::string motivo;
    std::string bruto;
};

// The code page that the sort order of an older table (format 3.x, whose header has no code
// page) was made for; 0 when the sort order is not known.
int paginaDaOrdem(unsigned ordem);

// Days of the format (0001-01-01 is day 1) and the store's days since 1899-12-30.
constexpr long DiasAte1899_12_30 = 693594;

// A table file opened read-only. The blob file beside it (same name, ".MB", any case) is
// opened when the table has blob fields; its absence is an error. Field names and texts are
// read in the table's code page: the header's, or for an older table the one its sort order
// names, unless |paginaForcada| (non-zero) says otherwise.
class Leitor {
public:
    explicit Leitor(const std::string& arquivo, int paginaForcada = 0);
    ~Leitor();
    Leitor(const Leitor&) = delete;
    Leitor& operator=(const Leitor&) = delete;

    const std::vector<Campo>& campos() const { return campos_; }
    long registros() const { return registros_; }
    int paginaDeCodigo() const { return paginaDeCodigo_; }
    // Whether the code page came from the sort order rather than from the header.
    bool paginaInferida() const { return paginaInferida_; }

    // Record |n| (from 0), one value per field, each in the kind tipoNoArmazem gives.
    // Values the store cannot hold come back empty and are added to descartados().
    std::vector<db::Valor> le(long n);
    const std::vector<Descartado>& descartados() const { return descartados_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::vector<Campo> campos_;
    long registros_ = 0;
    int paginaDeCodigo_ = 1252;
    bool paginaInferida_ = false;
    std::vector<Descartado> descartados_;
};

// A new table file (and its blob file when a field needs one) in code page |paginaDeCodigo|.
// A field name or text that the code page cannot hold is an error naming it: nothing is
// replaced by another letter. An existing file of the same name is replaced.
class Gravador {
public:
    Gravador(const std::string& arquivo, const std::vector<Campo>& campos,
             int paginaDeCodigo = 1252);
    ~Gravador();
    Gravador(const Gravador&) = delete;
    Gravador& operator=(const Gravador&) = delete;

    // One record, one value per field (NULL for an empty field).
    void acrescenta(const std::vector<db::Valor>& valores);
    // Completes the files; errors surface here rather than in the destructor.
    void fecha();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Blob fields keep this many bytes in the record (the rest goes to the .MB file).
constexpr int TamanhoCampoBlob = 20;

} // namespace paradox
