#pragma once
// Data trees for the benchmarks: the demo data directory grown to n rows in every
// catalogue, chart of accounts, ledger and numbered table of its companies.

#include <string>

namespace bench {

// DIR holds the tree when DIR/.pronto names the same n; otherwise DIR is made anew.
// Answers whether it had to be made.
bool preparaArvore(const std::string& dir, long n);

// Sizes as "10^3", "10^6" when they are powers of ten.
std::string potencia(long n);

} // namespace bench
