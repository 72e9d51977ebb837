#pragma once
// What the books of a data tree hold, read straight from the store files, and the checks
// the harness makes against a transfer's known shape.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace torture {

// Rows per "directory|table" that carry one AL number.
using Forma = std::map<std::string, std::int64_t>;

struct Retrato {
    std::map<std::int64_t, Forma> porAL;
    // "directory|code" -> debits and credits in cents.
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> totais;
    std::int64_t registrosSemAL = 0;    // register records with AL 0
    std::int64_t contadorAL = 0;        // the highest AL counter of the company register
    std::vector<std::string> problemas; // integrity, duplicates, read errors
};

// Reads every store file under |dados| (each one passing its integrity check first).
Retrato le(const std::string& dados);

// One transfer's shape: what the first transfer posted on |base| added, as |depois| shows.
struct Modelo {
    Forma forma;
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> base, delta;
    Retrato inicial;
};
Modelo modelo(const Retrato& antes, const Retrato& depois);

struct Resultado {
    std::int64_t inteiros = 0;       // transfers whole
    std::int64_t meios = 0;          // transfers half there
    std::int64_t perdidos = 0;       // acknowledged, not there
    std::int64_t naoConfirmados = 0; // whole but reported as failed
    std::int64_t duplicados = 0;     // numbers used twice
    std::vector<std::string> achados;
};

// Checks |agora| against the model: every transfer whole or absent, every acknowledged one
// whole, the totals the sum of the whole ones, no number twice. With |todosReportados|
// every transfer stored must have been acknowledged.
Resultado avalia(const Modelo& m, const Retrato& agora, const std::set<std::int64_t>& reportados,
                 bool todosReportados);

} // namespace torture
