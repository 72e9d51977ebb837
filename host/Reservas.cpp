#include "Reservas.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <thread>

namespace {

// Table names match without regard to case and to a ".db" ending.
std::string normaliza(std::string t) {
    std::transform(t.begin(), t.end(), t.begin(), [](unsigned char c) { return std::tolower(c); });
    if (t.size() > 3 && t.compare(t.size() - 3, 3, ".db") == 0) t.resize(t.size() - 3);
    for (char& c : t)
        if (c == '/' || c == '\\' || c == ':' || c == '\0') c = '_';
    return t;
}

} // namespace

Reservas::Reservas(std::string diretorio, int esperaMs)
    : diretorio_(std::move(diretorio)), esperaMs_(esperaMs) {
    if (!diretorio_.empty() && diretorio_.back() != '/' && diretorio_.back() != '\\')
        diretorio_ += '/';
    try {
        servidor_ = db::emServidor(diretorio_);
    } catch (const db::Erro&) {
        // An unreadable banco.conf: the library reports it when it opens the tables.
    }
}

Reservas::~Reservas() = default;

std::string Reservas::arquivoDe(const std::string& tabela) const {
    return diretorio_ + "." + normaliza(tabela) + ".reserva";
}

bool Reservas::reserva(const std::vector<std::string>& tabelas) {
    std::vector<std::string> obtidas;
    erro_.clear();
    const auto limite = std::chrono::steady_clock::now() + std::chrono::milliseconds(esperaMs_);
    for (const auto& t : tabelas) {
        const std::string nome = normaliza(t);
        if (servidor_) {
            if (noServidor_.count(nome)) continue;
            const auto resta = std::chrono::duration_cast<std::chrono::milliseconds>(
                limite - std::chrono::steady_clock::now());
            std::optional<db::Reserva> r;
            try {
                r = db::Reserva::reserva(diretorio_, nome, std::max<int>(0, int(resta.count())));
            } catch (const db::Erro& e) {
                // The server cannot be asked: refused, and the host says why.
                erro_ = e.what();
            }
            if (!r) {
                libera(obtidas);
                return false;
            }
            noServidor_.emplace(nome, std::move(*r));
            obtidas.push_back(t);
            continue;
        }
        if (travas_.count(nome)) continue; // this host holds it already
        auto trava = TravaArquivo::abre(arquivoDe(t));
        bool ok = trava != nullptr;
        while (ok && !trava->tenta()) {
            if (std::chrono::steady_clock::now() >= limite)
                ok = false;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!ok) {
            libera(obtidas);
            return false;
        }
        travas_[nome] = std::move(trava);
        obtidas.push_back(t);
    }
    return true;
}

void Reservas::libera(const std::vector<std::string>& tabelas) {
    for (const auto& t : tabelas) {
        noServidor_.erase(normaliza(t));
        auto it = travas_.find(normaliza(t));
        if (it == travas_.end()) continue;
        travas_.erase(it); // closing drops the lock
    }
}
