#pragma once
// A printer to print into files under Wine, whose fresh prefix has none: "Notera PostScript",
// the Wine PostScript driver on the port "FILE:", so that a document printed with an output
// file holds PostScript.

#include <string>

namespace host {

// Adds the printer when it is not there yet (and its driver when that is not known). False
// with the spooler's reason in |erro| when it cannot be had.
bool garanteImpressoraPostScript(std::string& erro);

} // namespace host
