#pragma once
// notera-dados verificar: the books of a whole data directory checked against each other,
// read only.
//
// A transfer with AL number A from origin O to destination D leaves two payables in O
// (nal_lan A, emp_lan D, one "C" and one "D"), two receivables in D (nal_lan A, emp_lan O),
// one AL register record in D (nal_cal A, Ori_cal O), all of one amount; with cheques, O's
// cheques and both payables share the operation number taken from D's nos_emp. Ledger
// entries point at the payable ("FPA") or receivable ("FRE") they came from through
// cor_lct; a company's totals are the sums of its entries, debit side where a fiscal debit
// account is set, credit side where a fiscal credit account is.

#include <string>
#include <vector>

namespace dados {

struct Achado {
    std::string tipo;  // kind of inconsistency, a fixed word such as "pagar-sem-receber"
    std::string texto; // where it is and what disagrees
};

struct Verificacao {
    std::vector<Achado> achados;
    // What was seen but is not the system's to judge (the host's own cheques); listed apart,
    // never an inconsistency.
    std::vector<Achado> notas;
    std::vector<std::string> ilegiveis; // what could not be read, with the store's text
};

// Reads the register directory and every company directory of |dir| (the companies of
// TbEmp and every NNN directory under DIR/Tabelas) and lists every inconsistency found.
// Nothing is written. A company that cannot be read is listed in |ilegiveis| and the
// others are still checked.
Verificacao verifica(const std::string& dir);

} // namespace dados
