#include "Fila.h"

#include "base/Texto.h"

#include <algorithm>

namespace {

std::optional<std::string> tira(std::deque<std::string>& fila) {
    if (fila.empty()) return std::nullopt;
    std::string r = std::move(fila.front());
    fila.pop_front();
    return r;
}

} // namespace

std::string textoDoBotao(const std::string& resposta) {
    if (base::igualSemCaixa(resposta, "Sim")) return "&Sim";
    if (base::igualSemCaixa(resposta, "Nao")) return "&Não";
    if (base::igualSemCaixa(resposta, "OK")) return "OK";
    return resposta;
}

Roteiro::Roteiro(std::vector<Acao> acoes, Registro& log)
    : acoes_(acoes.begin(), acoes.end()), log_(log) {}

Roteiro::Tipo Roteiro::tipoDe(const Acao& a) {
    static const char* const fila[] = {"answer",       "choose",  "cancel",  "print",
                                       "print-cancel", "reserve", "capslock"};
    if (std::find(std::begin(fila), std::end(fila), a.verbo) != std::end(fila)) return Tipo::Fila;
    if (a.verbo == "dump") return Tipo::Observacao;
    return Tipo::Interativa;
}

bool Roteiro::pedeImpressao() const {
    return std::any_of(acoes_.begin(), acoes_.end(),
                       [](const Acao& a) { return a.verbo == "print"; });
}

bool Roteiro::enfileira(const Acao& a) {
    const std::string& v = a.verbo;
    if (v == "answer") {
        caixa_.push_back(a.args[0]);
    } else if (v == "choose") {
        selecao_.push_back(a.args[0]);
    } else if (v == "cancel") {
        selecao_.push_back("cancel");
    } else if (v == "print") {
        impressao_.push_back(a.args[0]);
    } else if (v == "print-cancel") {
        impressao_.push_back({});
    } else if (v == "reserve") {
        if (a.args[0] == "refuse")
            ++recusas_;
        else
            registraErro("line " + std::to_string(a.linha) + ": reserve takes \"refuse\"");
    } else {
        return false;
    }
    return true;
}

std::optional<std::string> Roteiro::proximaCaixa() {
    auto r = tira(caixa_);
    if (r) *r = textoDoBotao(*r);
    return r;
}

std::optional<std::string> Roteiro::proximaSelecao() {
    return tira(selecao_);
}

std::optional<std::string> Roteiro::proximaImpressao() {
    return tira(impressao_);
}

bool Roteiro::proximaReservaRecusada() {
    if (recusas_ == 0) return false;
    --recusas_;
    return true;
}

void Roteiro::confereSobras() {
    for (const auto& r : caixa_)
        registraErro("answer " + r + " left over for a message box");
    for (const auto& r : selecao_)
        registraErro("answer " + r + " left over for a selection dialog");
    for (const auto& r : impressao_)
        registraErro("answer " + (r.empty() ? std::string("print-cancel") : r) +
                     " left over for a print dialog");
    if (recusas_ > 0) registraErro("reserve refuse left over");
    caixa_.clear();
    selecao_.clear();
    impressao_.clear();
    recusas_ = 0;
}

void Roteiro::registraErro(const std::string& texto) {
    falhou_ = true;
    log_.escreve({{"event", "error"}, {"text", texto}});
}
