#include "Extenso.h"

#include "base/Money.h"

#include <cstdio>

namespace {

constexpr const char* Unidades[] = {"",      "UM",   "DOIS", "TRES", "QUATRO",
                                    "CINCO", "SEIS", "SETE", "OITO", "NOVE"};
constexpr const char* DezADezenove[] = {"DEZ",    "ONZE",      "DOZE",      "TREZE",   "QUATORZE",
                                        "QUINZE", "DEZESSEIS", "DEZESSETE", "DEZOITO", "DEZENOVE"};
constexpr const char* Dezenas[] = {"",          "",         "VINTE",   "TRINTA",  "QUARENTA",
                                   "CINQUENTA", "SESSENTA", "SETENTA", "OITENTA", "NOVENTA"};
constexpr const char* Centenas[] = {
    "",           "CEM",        "DUZENTOS",   "TREZENTOS",  "QUATROCENTOS",
    "QUINHENTOS", "SEISCENTOS", "SETECENTOS", "OITOCENTOS", "NOVECENTOS"};

constexpr long long LimiteCentavos = 100000000000000LL; // 10^12 reais

bool ehGrupoValido(std::string_view g) {
    if (g.size() != 3) return false;
    for (char c : g)
        if (c < '0' || c > '9') return false;
    return true;
}

int numeroDoGrupo(std::string_view g) {
    return (g[0] - '0') * 100 + (g[1] - '0') * 10 + (g[2] - '0');
}

std::string apara(const std::string& s) {
    auto ini = s.find_first_not_of(' ');
    if (ini == std::string::npos) return {};
    auto fim = s.find_last_not_of(' ');
    return s.substr(ini, fim - ini + 1);
}

} // namespace

std::string TExtenso::Centena(std::string_view g) {
    if (!ehGrupoValido(g)) return {};
    int h = g[0] - '0', t = g[1] - '0', u = g[2] - '0';
    std::string w;
    if (h > 0) w = (h == 1 && numeroDoGrupo(g) > 100) ? "CENTO" : Centenas[h];
    if (t == 1) {
        if (!w.empty()) w += " E ";
        w += DezADezenove[u];
        return w;
    }
    if (!w.empty() && t > 0) w += " E ";
    if (t > 1) w += Dezenas[t];
    if (u > 0) {
        if (!w.empty()) w += " E ";
        w += Unidades[u];
    }
    return w;
}

std::string TExtenso::PorExtenso() {
    figura_.clear();
    auto cent = base::roundScaled(Valor, 2);
    if (!cent) return {};
    long long a = *cent < 0 ? -*cent : *cent;
    if (a >= LimiteCentavos) return {};

    char buf[32];
    std::snprintf(buf, sizeof buf, "%012lld,%02lld", a / 100, a % 100);
    figura_ = buf;
    const std::string_view f = figura_;
    const long long inteira = a / 100;
    const bool temCentavos = a % 100 != 0;

    std::string r = Centena(f.substr(0, 3));
    if (numeroDoGrupo(f.substr(0, 3)) == 1)
        r += " BILHAO";
    else if (!r.empty())
        r += " BILHOES";

    std::string m = Centena(f.substr(3, 3));
    if (!m.empty()) {
        if (!r.empty()) r += ", ";
        m += numeroDoGrupo(f.substr(3, 3)) == 1 ? " MILHAO" : " MILHOES";
        r += m;
    }

    std::string t = Centena(f.substr(6, 3));
    if (!t.empty()) {
        if (!r.empty()) r += ", ";
        r += t + " MIL";
    }

    std::string u = Centena(f.substr(9, 3));
    if (!u.empty()) {
        if (!r.empty()) r += temCentavos ? ", " : " E ";
        r += u;
    }

    std::string moeda = inteira == 1 ? " REAL" : " REAIS";
    if (f.substr(6, 6) == "000000") moeda = " DE REAIS";
    r = apara(r) + moeda;
    if (inteira == 0) r.clear();

    std::string k = Centena(std::string("0") + std::string(f.substr(13, 2)));
    if (!k.empty()) {
        if (!r.empty()) r += " E ";
        r += k + (k == "UM" ? " CENTAVO" : " CENTAVOS");
    }

    if (a == 0) r = "ZERO";
    return r;
}
