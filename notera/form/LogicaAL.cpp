#include "LogicaAL.h"

#include "Operacoes.h"
#include "notera/core/AoSair.h"
#include "notera/core/Execucao.h"

#include <algorithm>

namespace notera {

using namespace nome;

namespace {

const std::vector<std::string_view>& ordemOrigem() {
    static const std::vector<std::string_view> o = {
        Ed_Empresa,  Ed_Fornecedor, Ed_Custo2, Ed_Banco2, Ed_Despesa, Ed_HisPadBan, Ed_HisVarBan,
        Ed_HistPad2, Ed_HistVar2,   Ed_Cred2,  Ed_Deb2,   Ed_CredG2,  Ed_DebG2,     GradeChq};
    return o;
}

const std::vector<std::string_view>& ordemDestino() {
    static const std::vector<std::string_view> o = {Ed_Valor,    Ed_Cliente, Ed_Custo1,
                                                    Ed_Banco1,   Ed_Receita, Ed_HistPad1,
                                                    Ed_HistVar1, Ed_Cred1,   Ed_CredG1};
    return o;
}

bool contem(const std::vector<std::string_view>& l, std::string_view c) {
    return std::find(l.begin(), l.end(), c) != l.end();
}

bool ehCampoDeTexto(std::string_view c) {
    return c.substr(0, 3) == "Ed_";
}

} // namespace

LogicaAL::LogicaAL(VisaoAL& visao) : visao_(visao) {}

std::vector<std::string_view> LogicaAL::ordemDeTab(int pagina) {
    std::vector<std::string_view> l{Pagina};
    const auto& campos = pagina == PaginaOrigem ? ordemOrigem() : ordemDestino();
    l.insert(l.end(), campos.begin(), campos.end());
    return l;
}

int LogicaAL::paginaDe(std::string_view controle) {
    if (contem(ordemDestino(), controle)) return PaginaDestino;
    return PaginaOrigem;
}

void LogicaAL::FormCreate() {
    estado_.GradeAux = GradeTextos{};
    estado_.OkLivre = true;
    estado_.Confirmado = false;
    estado_.LarguraConta = visao_.larguraColuna(ColContaGerencial);
    visao_.defineColunasGrade(visao_.colunasGrade() - 2);
    auto& e = estado_;
    e.CodCliente = 0;
    e.CodCusto1 = std::string();
    e.CodReceita = 0;
    e.CodBanco1 = 0;
    e.CodHistPad1 = 0;
    e.ContaCred1 = std::string();
    e.CodEmpresa = 0;
    e.EmpOrigemAberta = 0;
    e.CodFornecedor = 0;
    e.CodCusto2 = std::string();
    e.CodDespesa = 0;
    e.CodBanco2 = 0;
    e.CodHistPad2 = 0;
    e.ContaCred2 = std::string();
    e.ContaDeb2 = std::string();
}

void LogicaAL::FormActivate() {
    if (ativada_) {
        // Back from a message box or a dialog: the focus returns, no handler runs.
        if (!ativo_.empty()) visao_.aplicaFoco(ativo_);
        return;
    }
    ativada_ = true;
    visao_.mostraPagina(PaginaOrigem);
    focaliza(Ed_Empresa);
    grade_.LimpaGrade();
    grade_.MostraSituacao(visao_.colunaAtual(), visao_.linhaAtual());
}

void LogicaAL::BtSairClick() {
    estado_.Saindo = true;
    estado_.Confirmado = false;
    visao_.fecha();
}

void LogicaAL::BtOkClick() {
    if (acaoOk_) {
        if (estado_.OkLivre) acaoOk_();
        return;
    }
    // The guard is taken before any pending message runs: a second click handled while
    // the button is shown held down must not post the transfer a second time.
    if (!estado_.OkLivre) return;
    estado_.OkLivre = false;
    // However the action ends, even by an error of the store.
    const AoSair fim([this] {
        estado_.OkLivre = true;
        visao_.botaoOkPressionado(false);
        visao_.cursorDeEspera(false);
    });
    visao_.botaoOkPressionado(true);
    visao_.processaMensagens();
    visao_.fechaEdicao();
    visao_.cursorDeEspera(true);
    visao_.processaMensagens();

    if (estado_.CodEmpresa == 0) {
        visao_.mostraPagina(PaginaOrigem);
        mensagens().informacao("Informe a empresa de origem do recurso financeiro!");
        solicitaFoco(Ed_Empresa);
        return;
    }
    const std::string valor = visao_.texto(Ed_Valor);
    if (!LeValorDecimal(valor)) {
        mensagens().erro("Valor inválido!");
        visao_.mostraPagina(PaginaDestino);
        solicitaFoco(Ed_Valor);
        return;
    }
    if (ValorMonetario(valor, {}) == base::Dinheiro{}) {
        mensagens().informacao("Valor não pode ser zero!");
        visao_.mostraPagina(PaginaDestino);
        solicitaFoco(Ed_Valor);
        return;
    }
    const bool semCheques = visao_.linhasGrade() < 3 && grade_.LinhaSemData(1);
    if (!semCheques) {
        const int ultima = visao_.linhasGrade() - 1;
        if (grade_.LinhaSemData(ultima) && visao_.linhasGrade() > 2) {
            if (visao_.linhaAtual() >= ultima)
                visao_.defineCelulaAtual(std::max(visao_.colunaAtual(), 0), ultima - 1);
            visao_.defineLinhasGrade(ultima);
            grade_.SincronizaGradeAux();
        }
        if (!grade_.ValidaCheques()) return;
    }
    if (!postagem_) return;
    const ResultadoPostagem r = postagem_(dadosDaTransferencia());
    estado_.NumeroAL = r.NumeroAL;
    estado_.Confirmado = r.Confirmado;
    if (!r.Mensagem.empty()) mensagens().mensagem(r.Mensagem);
    if (!r.Concluida) return;
    if (estado_.Confirmado) visao_.fecha();
}

void LogicaAL::executa(const Tabela& tabela, std::string_view controle) {
    auto it = tabela.find(controle);
    if (it != tabela.end() && it->second) it->second();
}

void LogicaAL::focaliza(std::string_view destino) {
    ++geracaoFoco_;
    const bool mudou = destino != ativo_;
    ativo_ = destino;
    if (paginaDe(destino) != visao_.paginaAtual() && destino != Pagina)
        visao_.mostraPagina(paginaDe(destino));
    visao_.aplicaFoco(destino);
    if (mudou) executa(entradas_, destino);
}

void LogicaAL::solicitaFoco(std::string_view destino) {
    // Leaving the grid stores what its open cell editor holds.
    if (destino != ativo_ && ativo_ == GradeChq) visao_.fechaEdicao();
    if (destino == ativo_) {
        visao_.aplicaFoco(destino);
        return;
    }
    // A move asked for from inside the active control's exit handler: that exit is
    // already running.
    if (!ativo_.empty() && emSaida_ != ativo_) {
        const unsigned antes = geracaoFoco_;
        const std::string saindo = ativo_;
        emSaida_ = saindo;
        const AoSair fim([this] { emSaida_.clear(); });
        executa(saidas_, saindo);
        if (geracaoFoco_ != antes) return; // the exit handler sent the focus elsewhere
    }
    focaliza(destino);
}

std::string LogicaAL::seguinte(std::string_view controle, int passo) const {
    const auto ordem = ordemDeTab(controle == Pagina ? visao_.paginaAtual() : paginaDe(controle));
    const auto n = static_cast<long>(ordem.size());
    const auto achado = std::find(ordem.begin(), ordem.end(), controle);
    const long i = achado == ordem.end() ? 0 : achado - ordem.begin();
    for (long k = 1; k <= n; ++k) {
        const std::string_view c = ordem[static_cast<std::size_t>(((i + passo * k) % n + n) % n)];
        if (c == Pagina || visao_.visivelNaPagina(c)) return std::string(c);
    }
    return std::string(controle);
}

std::string LogicaAL::vizinho(int passo) const {
    return seguinte(ativo_.empty() ? Pagina : std::string_view(ativo_), passo);
}

Mensagens& LogicaAL::mensagens() {
    return *execucao_->mensagens;
}

void LogicaAL::proximo() {
    solicitaFoco(vizinho(1));
}
void LogicaAL::anterior() {
    solicitaFoco(vizinho(-1));
}

void LogicaAL::paginaEscolhida(int pagina) {
    if (pagina == visao_.paginaAtual() && paginaDe(ativo_) == pagina) return;
    solicitaFoco(Pagina);
    if (ativo_ == Pagina) visao_.mostraPagina(pagina);
}

bool LogicaAL::teclaPressionada(std::string_view controle, char32_t tecla) {
    if (tecla != U'\r') return false;
    if (!ehCampoDeTexto(controle)) return false;
    static const std::vector<std::string_view> contas = {Ed_Cred1, Ed_CredG1, Ed_Cred2,
                                                         Ed_Deb2,  Ed_CredG2, Ed_DebG2};
    if (contem(contas, controle)) {
        contas_.teclaEnterConta(controle, controle);
        return true;
    }
    if (controle == Ed_HistVar1) {
        if (visao_.visivelNaPagina(Pn_Contabil1))
            proximo();
        else
            BtOkClick();
        return true;
    }
    if (controle == Ed_HistVar2 || controle == Ed_HisVarBan) {
        proximo();
        visao_.rolaGradeParaColuna(0);
        return true;
    }
    proximo();
    return true;
}

bool LogicaAL::teclaAbaixada(std::string_view controle, Tecla tecla) {
    // Ed_Empresa has no key-down handler: Up and Page Down act as in a plain edit there.
    if (!ehCampoDeTexto(controle) || controle == Ed_Empresa) return false;
    switch (tecla) {
    case Tecla::Cima:
        anterior();
        return true;
    case Tecla::PageDown:
        BtOkClick();
        return true;
    default:
        break;
    }
    return false;
}

void LogicaAL::ligaHandlers() {
    origem_.ligaHandlers();
    catalogos_.ligaHandlers();
    contas_.ligaHandlers();
    grade_.ligaHandlers();
}

DadosTransferencia LogicaAL::dadosDaTransferencia() const {
    return LeTransferencia(textosDaTransferencia());
}

TextosTransferencia LogicaAL::textosDaTransferencia() const {
    TextosTransferencia d;
    d.estado = estado_;
    d.Valor = visao_.texto(Ed_Valor);
    d.HistVar1 = visao_.texto(Ed_HistVar1);
    d.HistVar2 = visao_.texto(Ed_HistVar2);
    d.HisVarBan = visao_.texto(Ed_HisVarBan);
    d.Cheques.redimensiona(visao_.colunasGrade(), visao_.linhasGrade());
    for (int l = 0; l < d.Cheques.linhas; ++l)
        for (int c = 0; c < d.Cheques.colunas; ++c)
            d.Cheques.defineCelula(c, l, visao_.celula(c, l));
    return d;
}

} // namespace notera
