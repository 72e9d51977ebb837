#include "GradeAL.h"

#include "LogicaAL.h"
#include "Operacoes.h"

#include "base/BrFormat.h"
#include "notera/core/Execucao.h"

#include "base/Texto.h"
#include "notera/form/Nomes.h"
#include "platform/System.h"

#include <algorithm>

namespace notera {

const std::vector<std::string> GradeAL::ItensSituacao = {"P - Pré-Datado", "D - Depositado",
                                                         "C - Compensado", "V - Devolvido"};

namespace {

const std::vector<std::string> Titulos = {"Vencimento",
                                          "Conta Bancária",
                                          "Número",
                                          "Valor",
                                          "Histórico",
                                          "Situação",
                                          "Motivo",
                                          "Quitação",
                                          "Conta Fiscal a Crédito",
                                          "Conta Gerencial a Crédito"};

std::int32_t comoInteiro(const std::string& t) {
    return leInteiro(t).value_or(0);
}

const auto& texto = textoDoCampo;

} // namespace

std::string GradeAL::hoje() const {
    return base::formataDataLonga(platform::hoje());
}

void GradeAL::ligaHandlers() {
    l_.defineEntrada(LogicaAL::GradeChq, [this] { GradeChqEnter(); });
}

void GradeAL::TitulosGrade() {
    for (int c = 0; c < l_.visao().colunasGrade() && c < static_cast<int>(Titulos.size()); ++c)
        l_.visao().defineCelula(c, 0, Titulos[static_cast<std::size_t>(c)]);
}

void GradeAL::SincronizaGradeAux() {
    l_.estado().GradeAux.redimensiona(l_.visao().colunasGrade(), l_.visao().linhasGrade());
}

namespace {

void iniciaLinhaAux(GradeTextos& aux, int lin) {
    for (int c = 0; c < aux.colunas; ++c)
        aux.defineCelula(c, lin, (c >= ColBanco && c <= ColValor) ? "0" : std::string());
}

} // namespace

bool GradeAL::confirmaChequeJaEmitido(std::int32_t banco, std::int32_t numero) {
    if (!l_.execucao() || banco < 1 || mantidos_.count({banco, numero})) return true;
    std::optional<ChequeEmitido> antes;
    try {
        antes = l_.execucao()->TabOrigem.ChequeJaEmitido(banco, numero);
    } catch (const std::exception&) {
        // Only a warning: a table that cannot be read is reported when the transfer posts.
        return true;
    }
    if (!antes) return true;
    const std::string quando =
        antes->vencimento ? "com vencimento em " + base::formataDataLonga(*antes->vencimento)
                          : "sem vencimento";
    const std::string texto = "O cheque " + std::to_string(numero) +
                              " desta conta bancária já foi emitido, " + quando + ", no valor de " +
                              base::formataMilhar0_00(antes->valor.emReais()) +
                              ".\r\nDeseja mantê-lo?";
    if (!l_.mensagens().pergunta(platform::Icone::Aviso, texto)) return false;
    mantidos_.insert({banco, numero});
    return true;
}

void GradeAL::LimpaGrade() {
    mantidos_.clear();
    TitulosGrade();
    l_.visao().defineLinhasGrade(2);
    vaiParaCelula(std::max(l_.visao().colunaAtual(), 0), 1);
    for (int c = 0; c < l_.visao().colunasGrade(); ++c)
        l_.visao().defineCelula(c, 1, std::string());
    SincronizaGradeAux();
    iniciaLinhaAux(l_.estado().GradeAux, 1);
    TotalCheques();
}

void GradeAL::NovaLinhaCheque() {
    const int nova = l_.visao().linhasGrade();
    l_.visao().defineLinhasGrade(nova + 1);
    for (int c = 0; c < l_.visao().colunasGrade(); ++c)
        l_.visao().defineCelula(c, nova, std::string());
    SincronizaGradeAux();
    iniciaLinhaAux(l_.estado().GradeAux, nova);
    vaiParaCelula(std::max(l_.visao().colunaAtual(), 0), nova);
}

bool GradeAL::LinhaSemData(int lin) const {
    return DataVazia(l_.visao().celula(ColVencimento, lin));
}
bool GradeAL::UltimaLinha(int lin) const {
    return lin == l_.visao().linhasGrade() - 1;
}

void GradeAL::TotalCheques() {
    base::Dinheiro total;
    for (int l = 1; l < l_.visao().linhasGrade(); ++l)
        total += ValorMonetario(l_.visao().celula(ColValor, l), {});
    // The label shows whole cents; the remaining amount is reckoned from what it shows.
    totalCheques_ =
        base::Dinheiro::deDezMilesimos(total.centavos() * (base::Dinheiro::Escala / 100));
    l_.visao().defineTexto(nome::Lb_ChqTotal, base::formataMilhar0_00(total.emReais()));
}

base::Dinheiro GradeAL::valorDaTransferencia() const {
    return ValorMonetario(l_.visao().texto(nome::Ed_Valor), {});
}

base::Dinheiro GradeAL::totalMostrado() const {
    return totalCheques_;
}

void GradeAL::vaiParaCelula(int col, int lin) {
    GradeChqSelectCell(col, lin);
    l_.visao().defineCelulaAtual(col, lin);
}

void GradeAL::GradeChqSelectCell(int col, int lin) {
    if (lin < 1 || lin >= l_.visao().linhasGrade() || col < 0 || col >= l_.visao().colunasGrade())
        return;
    auto& aux = l_.estado().GradeAux;
    const std::string atual = l_.visao().celula(col, lin);
    switch (col) {
    case ColVencimento:
        if (DataVazia(atual)) l_.visao().defineCelula(ColVencimento, lin, hoje());
        break;
    case ColBanco: {
        const std::int32_t codigo = comoInteiro(aux.celula(ColBanco, lin));
        l_.visao().defineCelula(ColBanco, lin,
                                codigo < 1 ? std::to_string(l_.estado().CodBanco2)
                                           : aux.celula(ColBanco, lin));
        break;
    }
    case ColValor: {
        const auto restante = valorDaTransferencia() - totalMostrado();
        if (restante > base::Dinheiro{} && ValorMonetario(atual, {}) == base::Dinheiro{})
            l_.visao().defineCelula(ColValor, lin, base::formata0_00(restante.emReais()));
        break;
    }
    case ColHistorico:
        if (base::apara(atual).empty()) {
            const std::string var = l_.visao().texto(nome::Ed_HistVar2);
            auto& his = l_.execucao()->TabOrigem.QTbHis;
            if (l_.estado().CodHistPad2 > 0 &&
                his.localiza("cod_his", db::Valor(l_.estado().CodHistPad2)))
                l_.visao().defineCelula(ColHistorico, lin, texto(his, "nom_his") + ' ' + var);
            else
                l_.visao().defineCelula(ColHistorico, lin, var);
        }
        break;
    case ColContaFiscal: {
        auto& ban = l_.execucao()->TabOrigem.QTbBan;
        const std::int32_t banco = comoInteiro(aux.celula(ColBanco, lin));
        if (base::apara(aux.celula(ColContaFiscal, lin)).empty() && banco > 0 &&
            ban.localiza("cod_ban", db::Valor(banco))) {
            const std::string conta = texto(ban, "ccb_ban");
            l_.visao().defineCelula(ColContaFiscal, lin, conta);
            aux.defineCelula(ColContaFiscal, lin, conta);
        } else {
            l_.visao().defineCelula(ColContaFiscal, lin,
                                    base::apara(aux.celula(ColContaFiscal, lin)));
        }
        break;
    }
    case ColContaGerencial: {
        auto& pla = l_.execucao()->TabOrigem.QTbPla;
        auto& plaG = l_.execucao()->TabOrigem.QTbPlaG;
        const std::string fiscal = aux.celula(ColContaFiscal, lin);
        bool preenchida = false;
        if (!base::apara(fiscal).empty() &&
            base::apara(aux.celula(ColContaGerencial, lin)).empty() &&
            pla.localiza("cde_pla", db::Valor(fiscal))) {
            const std::string plag = texto(pla, "plag_pla");
            if (!base::apara(plag).empty() && plaG.localiza("cde_pla", db::Valor(plag))) {
                const std::string g = texto(plaG, "cde_pla");
                l_.visao().defineCelula(ColContaGerencial, lin, g);
                aux.defineCelula(ColContaGerencial, lin, g);
                preenchida = true;
            }
        }
        if (!preenchida)
            l_.visao().defineCelula(ColContaGerencial, lin,
                                    base::apara(aux.celula(ColContaGerencial, lin)));
        break;
    }
    default:
        break;
    }
}

void GradeAL::GradeChqEnter() {
    const int col = l_.visao().colunaAtual(), lin = l_.visao().linhaAtual();
    if (col == ColVencimento && lin >= 1 &&
        base::apara(l_.visao().celula(ColVencimento, lin)).empty())
        l_.visao().defineCelula(ColVencimento, lin, hoje());
}

bool GradeAL::ValidaCelula(int col, int lin) {
    auto& aux = l_.estado().GradeAux;
    const std::string t = l_.visao().celula(col, lin);
    auto falha = [&](const std::string& msg) {
        l_.mensagens().mensagem(msg);
        return false;
    };
    switch (col) {
    case ColVencimento:
        if (DataVazia(t)) {
            l_.visao().mostraPagina(LogicaAL::PaginaDestino);
            return true;
        }
        return LeData(t) ? true : falha("Data inválida!");
    case ColBanco: {
        if (base::apara(t).empty()) return falha("Conta bancária inválida!");
        if (!l_.catalogos().LocalizaBanco(t)) return falha("Conta bancária não encontrada!");
        auto& ban = l_.execucao()->TabOrigem.QTbBan;
        l_.visao().defineCelula(ColBanco, lin, texto(ban, "nom_ban"));
        aux.defineCelula(ColBanco, lin, std::to_string(ban.campo("cod_ban").comoInteiro()));
        return true;
    }
    case ColNumero: {
        const std::int32_t numero = comoInteiro(t);
        if (numero == 0) return falha("Número de cheque inválido!");
        for (int r = 1; r < l_.visao().linhasGrade(); ++r) {
            if (r == lin) continue;
            if (comoInteiro(l_.visao().celula(ColNumero, r)) == numero &&
                aux.celula(ColBanco, r) == aux.celula(ColBanco, lin))
                return falha("Cheque deste banco já informado na linha " + std::to_string(r));
        }
        return confirmaChequeJaEmitido(comoInteiro(aux.celula(ColBanco, lin)), numero);
    }
    case ColValor: {
        const auto v = LeValorDecimal(t);
        if (!v || *v == base::Dinheiro{}) return falha("Valor inválido!");
        if (*v > valorDaTransferencia())
            return falha("Valor do cheque não pode ser maior que o total do lançamento!");
        TotalCheques();
        return true;
    }
    case ColSituacao:
        return base::apara(t).empty() ? falha("Situação inválida!") : true;
    case ColMotivo:
        if (l_.visao().celula(ColSituacao, lin).starts_with('V') && comoInteiro(t) == 0)
            return falha("Motivo inválido!");
        return true;
    case ColQuitacao:
        if (l_.visao().celula(ColSituacao, lin).starts_with('C') && !LeData(t))
            return falha("Data inválida!");
        return true;
    case ColContaFiscal:
    case ColContaGerencial: {
        if (base::apara(t).empty()) {
            aux.defineCelula(col, lin, std::string());
            return true;
        }
        const char tipo = col == ColContaFiscal ? 'F' : 'G';
        const std::string achado = l_.contas().BuscaConta(l_.estado().CodEmpresa, t, tipo);
        l_.visao().defineCelula(col, lin, achado);
        auto& plano =
            tipo == 'F' ? l_.execucao()->TabOrigem.QTbPla : l_.execucao()->TabOrigem.QTbPlaG;
        aux.defineCelula(col, lin, achado.empty() ? std::string() : texto(plano, "cde_pla"));
        return true;
    }
    default:
        return true;
    }
}

bool GradeAL::ValidaCheques() {
    for (int l = 1; l < l_.visao().linhasGrade(); ++l) {
        for (int c = 0; c < l_.visao().colunasGrade(); ++c) {
            if (c == ColContaFiscal || c == ColContaGerencial) continue;
            if (!ValidaCelula(c, l)) {
                vaiParaCelula(c, l);
                return false;
            }
        }
    }
    return true;
}

bool GradeAL::TrocaLinha(Tecla tecla) {
    if (tecla != Tecla::Cima && tecla != Tecla::Baixo) return true;
    const int lin = l_.visao().linhaAtual(), col = std::max(l_.visao().colunaAtual(), 0);
    const int cheques = l_.visao().linhasGrade() - 1;
    if (LinhaSemData(lin)) {
        if (cheques > 1) {
            // The row without date is the one discarded, wherever it stands.
            auto& aux = l_.estado().GradeAux;
            for (int r = lin; r < l_.visao().linhasGrade() - 1; ++r) {
                for (int c = 0; c < l_.visao().colunasGrade(); ++c) {
                    l_.visao().defineCelula(c, r, l_.visao().celula(c, r + 1));
                    aux.defineCelula(c, r, aux.celula(c, r + 1));
                }
            }
            l_.visao().defineLinhasGrade(l_.visao().linhasGrade() - 1);
            SincronizaGradeAux();
            vaiParaCelula(col, std::max(1, lin - 1));
            TotalCheques();
        } else if (tecla == Tecla::Cima) {
            l_.visao().defineCelula(ColVencimento, lin, std::string());
        }
        return tecla == Tecla::Cima;
    }
    if (tecla == Tecla::Cima) {
        if (lin > 1) vaiParaCelula(col, lin - 1);
        return true;
    }
    if (UltimaLinha(lin))
        NovaLinhaCheque();
    else
        vaiParaCelula(col, lin + 1);
    return true;
}

void GradeAL::NavegaGrade(Tecla tecla) {
    const int col = l_.visao().colunaAtual(), lin = l_.visao().linhaAtual();
    const int ultimaColuna = l_.visao().colunasGrade() - 1;
    const bool temConta = l_.visao().colunasGrade() > ColContaFiscal;
    auto mostra = [&] { MostraSituacao(l_.visao().colunaAtual(), l_.visao().linhaAtual()); };
    auto proximaLinha = [&] {
        TrocaLinha(Tecla::Baixo);
        vaiParaCelula(ColVencimento, l_.visao().linhaAtual());
        mostra();
    };
    auto contaOuProximaLinha = [&] {
        if (temConta) {
            vaiParaCelula(ColContaFiscal, lin);
            mostra();
        } else {
            proximaLinha();
        }
    };
    switch (tecla) {
    case Tecla::Esquerda:
        if (LinhaSemData(lin) || ValidaCelula(col, lin)) {
            if (col == ColVencimento) {
                TrocaLinha(Tecla::Cima);
                vaiParaCelula(ultimaColuna, l_.visao().linhaAtual());
            } else {
                vaiParaCelula(col - 1, lin);
            }
            mostra();
        }
        break;
    case Tecla::Direita:
        if (col == ColVencimento) {
            if (UltimaLinha(lin) && LinhaSemData(lin)) {
                TrocaLinha(Tecla::Cima);
                l_.visao().mostraPagina(LogicaAL::PaginaDestino);
                l_.solicitaFoco(nome::Ed_Valor); // cheque entry is over
            } else if (ValidaCelula(ColVencimento, lin)) {
                vaiParaCelula(ColBanco, lin);
                mostra();
            }
        } else if (col == ColSituacao) {
            const std::string s = l_.visao().celula(ColSituacao, lin);
            if (s.starts_with('P') || s.starts_with('D')) {
                contaOuProximaLinha();
            } else if (s.starts_with('V') || s.starts_with('C')) {
                vaiParaCelula(s.starts_with('V') ? ColMotivo : ColQuitacao, lin);
                mostra();
            }
        } else if (col == ColMotivo || col == ColQuitacao) {
            if (ValidaCelula(col, lin)) contaOuProximaLinha();
        } else if (col == ColContaFiscal || col == ColContaGerencial) {
            if (ValidaCelula(col, lin)) proximaLinha();
        } else if (ValidaCelula(col, lin)) {
            vaiParaCelula(col + 1, lin);
            mostra();
        }
        break;
    case Tecla::Cima:
    case Tecla::Baixo:
        if (LinhaSemData(lin) || ValidaCelula(col, lin)) {
            TrocaLinha(tecla);
            mostra();
        }
        break;
    case Tecla::Fim:
    case Tecla::Inicio:
        if (ValidaCelula(col, lin)) {
            vaiParaCelula(tecla == Tecla::Fim ? ultimaColuna : 0, lin);
            mostra();
        }
        break;
    case Tecla::PageDown:
        l_.BtOkClick();
        break;
    default:
        break;
    }
}

void GradeAL::MostraSituacao(int col, int lin) {
    if (col != ColSituacao || l_.visao().paginaAtual() != LogicaAL::PaginaOrigem ||
        !l_.visao().formularioVisivel()) {
        l_.visao().escondeSeletor();
        return;
    }
    if (lin < 1 || lin >= l_.visao().linhasGrade()) return;
    const auto achado =
        std::find(ItensSituacao.begin(), ItensSituacao.end(), l_.visao().celula(col, lin));
    int item = static_cast<int>(achado - ItensSituacao.begin());
    if (achado == ItensSituacao.end()) {
        item = 0;
        l_.visao().defineCelula(col, lin, ItensSituacao[0]);
    }
    l_.visao().mostraSeletor(col, lin, item);
}

bool GradeAL::gradeTeclaAbaixada(Tecla tecla, bool editorAberto) {
    switch (tecla) {
    case Tecla::Cima:
    case Tecla::Baixo:
    case Tecla::PageDown:
        NavegaGrade(tecla);
        return true;
    case Tecla::Esquerda:
    case Tecla::Direita:
    case Tecla::Fim:
    case Tecla::Inicio:
        if (editorAberto) return false;
        NavegaGrade(tecla);
        return true;
    default:
        return false;
    }
}

std::optional<char32_t> GradeAL::gradeTeclaPressionada(char32_t tecla,
                                                       const std::string& textoDaCelula) {
    if (tecla == '\r') {
        NavegaGrade(Tecla::Direita);
        return std::nullopt;
    }
    const int col = l_.visao().colunaAtual();
    const bool digito = tecla >= '0' && tecla <= '9';
    if (col == ColValor) {
        if (digito || tecla == ',' || tecla == '.') return FiltraDecimal(textoDaCelula, tecla, 2);
        if (tecla == '\b') return tecla;
        return std::nullopt;
    }
    if (col == ColNumero || col == ColMotivo) {
        if (tecla == '\b') return tecla;
        if (!digito) return std::nullopt;
        if (base::caracteres(textoDaCelula) >= (col == ColMotivo ? 3u : 10u)) return std::nullopt;
        return tecla;
    }
    return tecla;
}

void GradeAL::gradeClique(int col, int lin) {
    if (lin < 1 || col < 0) return;
    vaiParaCelula(col, lin); // a click checks no cell
    MostraSituacao(col, lin);
}

std::string GradeAL::mascaraDaColuna(int col) const {
    return (col == ColVencimento || col == ColQuitacao) ? "!99/99/9999;1;_" : std::string();
}

void GradeAL::Cb_ChqSitChange(int item) {
    if (item < 0 || item >= static_cast<int>(ItensSituacao.size())) return;
    l_.visao().defineCelula(l_.visao().colunaAtual(), l_.visao().linhaAtual(),
                            ItensSituacao[static_cast<std::size_t>(item)]);
}

void GradeAL::saiDoSeletor() {
    l_.visao().escondeSeletor();
}

bool GradeAL::seletorTeclaAbaixada(Tecla tecla, bool comModificador) {
    const int item = l_.visao().itemDoSeletor();
    const int lin = l_.visao().linhaAtual();
    switch (tecla) {
    case Tecla::Esquerda:
    case Tecla::Direita:
        Cb_ChqSitChange(item);
        saiDoSeletor();
        NavegaGrade(tecla);
        return true;
    case Tecla::Apaga:
        return true;
    case Tecla::Cima:
        if (item != 0) return false;
        Cb_ChqSitChange(item);
        if (lin > 1) {
            saiDoSeletor();
            NavegaGrade(Tecla::Cima);
        }
        return true;
    case Tecla::Baixo:
        if (comModificador || item != static_cast<int>(ItensSituacao.size()) - 1) return false;
        Cb_ChqSitChange(item);
        if (!UltimaLinha(lin)) {
            saiDoSeletor();
            NavegaGrade(Tecla::Baixo);
        }
        return true;
    default:
        return false;
    }
}

bool GradeAL::seletorTeclaPressionada(char32_t tecla) {
    if (tecla == '\r') {
        Cb_ChqSitChange(l_.visao().itemDoSeletor());
        saiDoSeletor();
        NavegaGrade(Tecla::Direita);
        return true;
    }
    return tecla == '\b';
}

} // namespace notera
