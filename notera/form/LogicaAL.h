#pragma once
// The transfer form's behaviour, apart from its widgets: focus moves with their exit and
// enter handlers, the keyboard rules and the OK action, with its parts for the catalogue
// lookups, the accounts, the cheque grid and the origin company. The window forwards its
// events here and shows what this asks of it through VisaoAL, so tests can drive it without
// any widget.

#include "notera/core/ResultadoPostagem.h"
#include "notera/core/Transferencia.h"
#include "notera/form/CatalogosAL.h"
#include "notera/form/ContasAL.h"
#include "notera/form/EstadoAL.h"
#include "notera/form/GradeAL.h"
#include "notera/form/Nomes.h"
#include "notera/form/OrigemAL.h"
#include "notera/form/Tecla.h"
#include "notera/form/TextosTransferencia.h"
#include "notera/form/VisaoAL.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace db {
class Conjunto;
class Consulta;
} // namespace db

namespace notera {

struct Execucao;
class Mensagens;

class LogicaAL {
public:
    static constexpr std::string_view Pagina = nome::Pagina;
    static constexpr std::string_view GradeChq = nome::GradeChq;
    static constexpr int PaginaOrigem = 0;
    static constexpr int PaginaDestino = 1;

    explicit LogicaAL(VisaoAL& visao);
    LogicaAL(const LogicaAL&) = delete;
    LogicaAL& operator=(const LogicaAL&) = delete;

    // The run the form belongs to: environment, data modules, host services.
    void defineExecucao(Execucao* ex) { execucao_ = ex; }
    Execucao* execucao() const { return execucao_; }

    EstadoAL& estado() { return estado_; }
    const EstadoAL& estado() const { return estado_; }
    VisaoAL& visao() { return visao_; }
    const VisaoAL& visao() const { return visao_; }
    Mensagens& mensagens();

    ContasAL& contas() { return contas_; }
    CatalogosAL& catalogos() { return catalogos_; }
    OrigemAL& origem() { return origem_; }
    GradeAL& grade() { return grade_; }
    const GradeAL& grade() const { return grade_; }

    // Handlers bound by name; tests may replace them.
    using Handler = std::function<void()>;
    void defineEntrada(std::string_view controle, Handler h) {
        entradas_[std::string(controle)] = std::move(h);
    }
    void defineSaida(std::string_view controle, Handler h) {
        saidas_[std::string(controle)] = std::move(h);
    }
    // Replaces the whole OK action (tests of the keyboard rules).
    void defineAcaoOk(Handler h) { acaoOk_ = std::move(h); }
    // The posting steps of the OK action, after the entry checks: given the transfer as a
    // value, they answer the result the form applies (AL number, confirmation, a message,
    // whether the action goes on to its normal end).
    using Postagem = std::function<ResultadoPostagem(const DadosTransferencia&)>;
    void definePostagem(Postagem p) { postagem_ = std::move(p); }
    // Binds the handlers of the lookups, accounts and origin company.
    void ligaHandlers();

    void FormCreate();
    void FormActivate(); // runs once per run; later activations only give the focus back
    void BtSairClick();
    void BtOkClick();

    // The active control, the one the form considers focused.
    const std::string& ativo() const { return ativo_; }
    // A request to move the focus (Tab, Enter, Up, a click, the robot): runs the active
    // control's exit handler, moves unless that handler moved the focus itself, then runs
    // the new control's enter handler.
    void solicitaFoco(std::string_view destino);
    // SetFocus from inside a handler: the focus goes there with its enter handler, and a
    // move under way stops.
    void focaliza(std::string_view destino);
    void proximo();
    void anterior();
    // The control after `controle` in tab order (hidden ones skipped).
    std::string seguinte(std::string_view controle, int passo = 1) const;
    // A page chosen with the mouse: the focus goes to the page control.
    void paginaEscolhida(int pagina);

    // Key handlers of the edits; true when the key was swallowed.
    bool teclaPressionada(std::string_view controle, char32_t tecla);
    bool teclaAbaixada(std::string_view controle, Tecla tecla);

    // The transfer as the form holds it, and read into a value for the posting.
    TextosTransferencia textosDaTransferencia() const;
    DadosTransferencia dadosDaTransferencia() const;

    // The controls of a page in tab order, the page control first.
    static std::vector<std::string_view> ordemDeTab(int pagina);
    static int paginaDe(std::string_view controle);

private:
    std::string vizinho(int passo) const;
    using Tabela = std::map<std::string, Handler, std::less<>>;
    void executa(const Tabela& tabela, std::string_view controle);

    VisaoAL& visao_;
    Execucao* execucao_ = nullptr;
    EstadoAL estado_;
    std::string ativo_;
    std::string emSaida_; // the control whose exit handler runs
    unsigned geracaoFoco_ = 0;
    bool ativada_ = false;
    Tabela entradas_, saidas_;
    Handler acaoOk_;
    Postagem postagem_;
    ContasAL contas_{*this};
    CatalogosAL catalogos_{*this};
    OrigemAL origem_{*this};
    GradeAL grade_{*this};
};

} // namespace notera
