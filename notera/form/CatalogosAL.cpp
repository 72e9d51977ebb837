#include "CatalogosAL.h"

#include "LogicaAL.h"
#include "Operacoes.h"

#include "base/Texto.h"
#include "notera/core/Execucao.h"
#include "notera/form/Nomes.h"
#include "platform/CapsLock.h"

namespace notera {

using namespace nome;

namespace {

std::int32_t inteiro(const db::Conjunto& c, const char* campo) {
    return static_cast<std::int32_t>(c.campo(campo).comoInteiro());
}

// A catalogue field: where it searches, where its code goes, and what differs.
struct Catalogo {
    std::string_view campo;
    bool destino;
    db::Consulta TTabDestino::*qDestino;
    db::Consulta TTabOrigem::*qOrigem;
    const char* codigo;
    const char* nome;
    std::int32_t EstadoAL::*codigoNoEstado;
    bool prefixo;
    bool capsLock;
    const char* titulo;
    const char* segundoTitulo;
};

const Catalogo Catalogos[] = {
    {Ed_Cliente, true, &TTabDestino::QTbCli, nullptr, "cod_cli", "nom_cli", &EstadoAL::CodCliente,
     true, true, "Seleção de Cliente", "Nome"},
    {Ed_Banco1, true, &TTabDestino::QTbBan, nullptr, "cod_ban", "nom_ban", &EstadoAL::CodBanco1,
     true, true, "Seleção de Bancos", "Nome"},
    {Ed_Receita, true, &TTabDestino::QTbRed, nullptr, "cod_red", "nom_red", &EstadoAL::CodReceita,
     false, false, "Seleção de Receitas", "Descrição"},
    {Ed_HistPad1, true, &TTabDestino::QTbHis, nullptr, "cod_his", "nom_his", &EstadoAL::CodHistPad1,
     true, true, "Seleção de Históricos Padrões", "Descrição"},
    {Ed_Fornecedor, false, nullptr, &TTabOrigem::QTbFor, "cod_for", "nom_for",
     &EstadoAL::CodFornecedor, true, true, "Seleção de Fornecedor", "Nome"},
    {Ed_Banco2, false, nullptr, &TTabOrigem::QTbBan, "cod_ban", "nom_ban", &EstadoAL::CodBanco2,
     false, false, "Seleção de Bancos", "Nome"},
    {Ed_Despesa, false, nullptr, &TTabOrigem::QTbRed, "cod_red", "nom_red", &EstadoAL::CodDespesa,
     true, true, "Seleção de Despesas", "Descrição"},
    {Ed_HistPad2, false, nullptr, &TTabOrigem::QTbHis, "cod_his", "nom_his", &EstadoAL::CodHistPad2,
     true, true, "Seleção de Históricos Padrões", "Descrição"},
    {Ed_HisPadBan, false, nullptr, &TTabOrigem::QTbHis, "cod_his", "nom_his",
     &EstadoAL::CodHisPadBan, true, true, "Seleção de Históricos Padrões", "Descrição"},
};

const Catalogo* catalogoDe(std::string_view campo) {
    for (const auto& c : Catalogos)
        if (campo == c.campo) return &c;
    return nullptr;
}

const auto& texto = textoDoCampo;

// Client, supplier and origin bank hand on a default account and history.
struct Repasse {
    std::string_view campo;
    const char* conta;
    const char* historico;
    TextoFixo<30> EstadoAL::*valorConta;
    std::string_view campoConta;
    std::int32_t EstadoAL::*codHistorico;
    std::string_view campoHistorico;
};

const Repasse Repasses[] = {
    {Ed_Cliente, "ccn_cli", "hpn_cli", &EstadoAL::ContaCred1, Ed_Cred1, &EstadoAL::CodHistPad1,
     Ed_HistPad1},
    {Ed_Fornecedor, "ccn_for", "hpn_for", &EstadoAL::ContaDeb2, Ed_Deb2, &EstadoAL::CodHistPad2,
     Ed_HistPad2},
    {Ed_Banco2, "ccn_ban", "hpn_ban", &EstadoAL::ContaCred2, Ed_Cred2, &EstadoAL::CodHisPadBan,
     Ed_HisPadBan},
};

// The catalogue |q| is on the record chosen for |campo|, whose code is already in the state:
// its name is shown, and its default account and history are handed on to their fields,
// each resolved as if typed there.
void repassa(LogicaAL& l, const Repasse& r, const db::Consulta& q, std::string_view campo,
             const std::string& nome) {
    auto& estado = l.estado();
    auto& visao = l.visao();
    const std::string conta = base::inicio(texto(q, r.conta), 30);
    const std::int32_t historico = inteiro(q, r.historico);
    estado.*r.valorConta = std::string();
    visao.defineTexto(r.campoConta, std::string());
    visao.defineTexto(r.campoHistorico, std::string());
    estado.*r.codHistorico = 0;
    visao.defineTexto(campo, nome);
    estado.*r.valorConta = conta;
    estado.*r.codHistorico = historico;
    if (!conta.empty()) {
        visao.defineTexto(r.campoConta, conta);
        l.contas().teclaEnterConta(r.campoConta, campo);
    }
    if (estado.*r.codHistorico > 0) {
        visao.defineTexto(r.campoHistorico, std::to_string(estado.*r.codHistorico));
        l.catalogos().saidaCatalogo(r.campoHistorico);
    }
}

} // namespace

void CatalogosAL::entradaCatalogo(std::string_view campo) {
    l_.estado().Saindo = false;
    if (campo == Ed_Custo1)
        l_.visao().defineTexto(campo, l_.estado().CodCusto1);
    else if (campo == Ed_Custo2)
        l_.visao().defineTexto(campo, l_.estado().CodCusto2);
    else if (const Catalogo* c = catalogoDe(campo); c && l_.estado().*c->codigoNoEstado > 0)
        l_.visao().defineTexto(campo, std::to_string(l_.estado().*c->codigoNoEstado));
    l_.visao().selecionaTudo(campo);
}

void CatalogosAL::saidaCatalogo(std::string_view campo) {
    if (l_.estado().Saindo) return;
    auto& ex = *l_.execucao();
    const std::string digitado = l_.visao().texto(campo);

    if (campo == Ed_Custo1 || campo == Ed_Custo2) {
        const bool destino = campo == Ed_Custo1;
        auto& codigo = destino ? l_.estado().CodCusto1 : l_.estado().CodCusto2;
        db::Consulta& q = destino ? ex.TabDestino.QTbCen : ex.TabOrigem.QTbCen;
        if (base::apara(digitado).empty()) {
            codigo = std::string();
            return;
        }
        bool achou = q.localiza("cod_cen", db::Valor(digitado)) ||
                     q.localiza("nom_cen", db::Valor(digitado));
        if (!achou && ex.servicos.temSelecao()) {
            const auto escolha = ex.servicos.SelecionaRegistro(
                "Seleção de Centro de Custos", q, {"cod_cen", "nom_cen"}, {"Código", "Descrição"});
            if (escolha) {
                q.localiza("cod_cen", db::Valor(*escolha));
                achou = true;
            }
        }
        if (achou) {
            codigo = base::inicio(texto(q, "cod_cen"), 11);
            l_.visao().defineTexto(campo, texto(q, "nom_cen"));
        }
        return;
    }

    const Catalogo* c = catalogoDe(campo);
    if (!c) return;
    db::Consulta& q = c->destino ? ex.TabDestino.*c->qDestino : ex.TabOrigem.*c->qOrigem;
    auto& codigo = l_.estado().*c->codigoNoEstado;
    if (base::apara(digitado).empty()) {
        codigo = 0; // defaults handed on earlier stay
        return;
    }
    bool achou = false;
    if (EhNome(digitado)) {
        achou = q.localiza(c->nome, db::Valor(digitado));
        if (!achou && c->prefixo) q.localiza(c->nome, db::Valor(digitado), db::Busca::Prefixo);
    } else {
        achou = q.localiza(c->codigo, db::Valor(leInteiro(digitado).value_or(0)));
    }
    if (!achou) {
        if (c->capsLock) platform::AjustaCapsLock(true);
        if (ex.servicos.temSelecao()) {
            const auto n = CodigoEscolhido(
                ex.servicos.SelecionaRegistro(std::string(c->titulo), q, {c->codigo, c->nome},
                                              {"Código", std::string(c->segundoTitulo)}));
            if (n) {
                q.localiza(c->codigo, db::Valor(*n));
                achou = true;
            }
        }
    }
    if (achou) {
        const std::int32_t cod = inteiro(q, c->codigo);
        const std::string nome = texto(q, c->nome);
        const Repasse* r = nullptr;
        for (const auto& x : Repasses)
            if (campo == x.campo) r = &x;
        if (r) {
            codigo = cod;
            repassa(l_, *r, q, campo, nome);
        } else {
            codigo = cod;
            l_.visao().defineTexto(campo, nome);
            if (campo == Ed_Receita && l_.estado().CodHistPad1 == 0)
                l_.estado().CodHistPad1 = inteiro(q, "his_red");
            if (campo == Ed_Despesa && l_.estado().CodHistPad2 == 0)
                l_.estado().CodHistPad2 = inteiro(q, "his_red");
        }
    }
    if (c->capsLock) platform::AjustaCapsLock(false);
}

bool CatalogosAL::LocalizaBanco(const std::string& digitado) {
    auto& ex = *l_.execucao();
    db::Consulta& q = ex.TabOrigem.QTbBan;
    const bool achou = EhNome(digitado)
                           ? q.localiza("nom_ban", db::Valor(digitado))
                           : q.localiza("cod_ban", db::Valor(leInteiro(digitado).value_or(0)));
    if (achou) return true;
    q.localiza("nom_ban", db::Valor(digitado), db::Busca::Prefixo);
    if (!ex.servicos.temSelecao()) return false;
    const auto n = CodigoEscolhido(ex.servicos.SelecionaRegistro(
        "Seleção de Bancos", q, {"cod_ban", "nom_ban"}, {"Código", "Nome"}));
    if (!n) return false;
    q.localiza("cod_ban", db::Valor(*n));
    return true;
}

void CatalogosAL::ligaHandlers() {
    for (const auto& c : Catalogos) {
        const std::string_view campo = c.campo;
        l_.defineEntrada(campo, [this, campo] { entradaCatalogo(campo); });
        l_.defineSaida(campo, [this, campo] { saidaCatalogo(campo); });
    }
    for (const std::string_view campo : {Ed_Custo1, Ed_Custo2}) {
        l_.defineEntrada(campo, [this, campo] { entradaCatalogo(campo); });
        l_.defineSaida(campo, [this, campo] { saidaCatalogo(campo); });
    }
}

} // namespace notera
