#include "TTabPadroes.h"

#include <string>
#include <vector>

namespace notera {

namespace {

using Linhas = std::vector<std::string>;

} // namespace

TTabPadroes::TTabPadroes() : QTbEmp({}, Linhas{"Select *", "From TbEmp"}) {
    TbCtl.defineNome("TbCtl");
    TbCal.defineNome("TbCal");
}

} // namespace notera
