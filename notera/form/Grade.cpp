// The cheque grid: defaults, cell checks, rows added and discarded, the situation selector.

#include "LogicaAL.h"
#include "Operacoes.h"

#include "base/BrFormat.h"
#include "notera/core/Execucao.h"

namespace notera {

namespace {

const QStringList Titulos = {"Vencimento",
                             "Conta Bancária",
                             "Número",
                             "Valor",
                             "Histórico",
                             "Situação",
                             "Motivo",
                             "Quitação",
                             "Conta Fiscal a Crédito",
                             "Conta Gerencial a Crédito"};

std::int32_t comoInteiro(const QString& t) {
    return leInteiro(t).value_or(0);
}

std::string u8(const QString& s) {
    return s.toStdString();
}
const auto& texto = textoDoCampo;

} // namespace

void LogicaAL::TitulosGrade() {
    for (int c = 0; c < visao_.colunasGrade() && c < Titulos.size(); ++c)
        visao_.defineCelula(c, 0, Titulos[c]);
}

void LogicaAL::SincronizaGradeAux() {
    estado_.GradeAux.redimensiona(visao_.colunasGrade(), visao_.linhasGrade());
}

namespace {

void iniciaLinhaAux(GradeTextos& aux, int lin) {
    for (int c = 0; c < aux.colunas; ++c)
        aux.defineCelula(c, lin,
                         (c >= ColBanco && c <= ColValor) ? QStringLiteral("0") : QString());
}

} // namespace

void LogicaAL::LimpaGrade() {
    TitulosGrade();
    visao_.defineLinhasGrade(2);
    vaiParaCelula(std::max(visao_.colunaAtual(), 0), 1);
    for (int c = 0; c < visao_.colunasGrade(); ++c)
        visao_.defineCelula(c, 1, QString());
    SincronizaGradeAux();
    iniciaLinhaAux(estado_.GradeAux, 1);
    TotalCheques();
}

void LogicaAL::NovaLinhaCheque() {
    const int nova = visao_.linhasGrade();
    visao_.defineLinhasGrade(nova + 1);
    for (int c = 0; c < visao_.colunasGrade(); ++c)
        visao_.defineCelula(c, nova, QString());
    SincronizaGradeAux();
    iniciaLinhaAux(estado_.GradeAux, nova);
    vaiParaCelula(std::max(visao_.colunaAtual(), 0), nova);
}

bool LogicaAL::LinhaSemData(int lin) const {
    return DataVazia(visao_.celula(ColVencimento, lin));
}
bool LogicaAL::UltimaLinha(int lin) const {
    return lin == visao_.linhasGrade() - 1;
}

void LogicaAL::TotalCheques() {
    base::Dinheiro total;
    for (int l = 1; l < visao_.linhasGrade(); ++l)
        total += ValorMonetario(visao_.celula(ColValor, l), {});
    // The label shows whole cents; the remaining amount is reckoned from what it shows.
    totalCheques_ =
        base::Dinheiro::deDezMilesimos(total.centavos() * (base::Dinheiro::Escala / 100));
    visao_.defineTexto(QStringLiteral("Lb_ChqTotal"),
                       QString::fromStdString(base::formataMilhar0_00(total.emReais())));
}

base::Dinheiro LogicaAL::valorDaTransferencia() const {
    return ValorMonetario(visao_.texto(QStringLiteral("Ed_Valor")), {});
}

base::Dinheiro LogicaAL::totalMostrado() const {
    return totalCheques_;
}

void LogicaAL::vaiParaCelula(int col, int lin) {
    GradeChqSelectCell(col, lin);
    visao_.defineCelulaAtual(col, lin);
}

void LogicaAL::GradeChqSelectCell(int col, int lin) {
    if (lin < 1 || lin >= visao_.linhasGrade() || col < 0 || col >= visao_.colunasGrade()) return;
    auto& aux = estado_.GradeAux;
    const QString atual = visao_.celula(col, lin);
    switch (col) {
    case ColVencimento:
        if (DataVazia(atual)) visao_.defineCelula(ColVencimento, lin, hoje());
        break;
    case ColBanco: {
        const std::int32_t codigo = comoInteiro(aux.celula(ColBanco, lin));
        visao_.defineCelula(ColBanco, lin,
                            codigo < 1 ? QString::number(estado_.CodBanco2)
                                       : aux.celula(ColBanco, lin));
        break;
    }
    case ColValor: {
        const auto restante = valorDaTransferencia() - totalMostrado();
        if (restante > base::Dinheiro{} && ValorMonetario(atual, {}) == base::Dinheiro{})
            visao_.defineCelula(ColValor, lin,
                                QString::fromStdString(base::formata0_00(restante.emReais())));
        break;
    }
    case ColHistorico:
        if (atual.trimmed().isEmpty()) {
            const QString var = visao_.texto(QStringLiteral("Ed_HistVar2"));
            auto& his = execucao_->TabOrigem.QTbHis;
            if (estado_.CodHistPad2 > 0 && his.localiza("cod_his", db::Valor(estado_.CodHistPad2)))
                visao_.defineCelula(ColHistorico, lin, texto(his, "nom_his") + ' ' + var);
            else
                visao_.defineCelula(ColHistorico, lin, var);
        }
        break;
    case ColContaFiscal: {
        auto& ban = execucao_->TabOrigem.QTbBan;
        const std::int32_t banco = comoInteiro(aux.celula(ColBanco, lin));
        if (aux.celula(ColContaFiscal, lin).trimmed().isEmpty() && banco > 0 &&
            ban.localiza("cod_ban", db::Valor(banco))) {
            const QString conta = texto(ban, "ccb_ban");
            visao_.defineCelula(ColContaFiscal, lin, conta);
            aux.defineCelula(ColContaFiscal, lin, conta);
        } else {
            visao_.defineCelula(ColContaFiscal, lin, aux.celula(ColContaFiscal, lin).trimmed());
        }
        break;
    }
    case ColContaGerencial: {
        auto& pla = execucao_->TabOrigem.QTbPla;
        auto& plaG = execucao_->TabOrigem.QTbPlaG;
        const QString fiscal = aux.celula(ColContaFiscal, lin);
        bool preenchida = false;
        if (!fiscal.trimmed().isEmpty() && aux.celula(ColContaGerencial, lin).trimmed().isEmpty() &&
            pla.localiza("cde_pla", db::Valor(u8(fiscal)))) {
            const QString plag = texto(pla, "plag_pla");
            if (!plag.trimmed().isEmpty() && plaG.localiza("cde_pla", db::Valor(u8(plag)))) {
                const QString g = texto(plaG, "cde_pla");
                visao_.defineCelula(ColContaGerencial, lin, g);
                aux.defineCelula(ColContaGerencial, lin, g);
                preenchida = true;
            }
        }
        if (!preenchida)
            visao_.defineCelula(ColContaGerencial, lin,
                                aux.celula(ColContaGerencial, lin).trimmed());
        break;
    }
    default:
        break;
    }
}

void LogicaAL::GradeChqEnter() {
    const int col = visao_.colunaAtual(), lin = visao_.linhaAtual();
    if (col == ColVencimento && lin >= 1 && visao_.celula(ColVencimento, lin).trimmed().isEmpty())
        visao_.defineCelula(ColVencimento, lin, hoje());
}

bool LogicaAL::ValidaCelula(int col, int lin) {
    auto& aux = estado_.GradeAux;
    const QString t = visao_.celula(col, lin);
    auto falha = [&](const QString& msg) {
        mensagens().mensagem(msg);
        return false;
    };
    switch (col) {
    case ColVencimento:
        if (DataVazia(t)) {
            visao_.mostraPagina(PaginaDestino);
            return true;
        }
        return LeData(t) ? true : falha(QStringLiteral("Data inválida!"));
    case ColBanco: {
        if (t.trimmed().isEmpty()) return falha(QStringLiteral("Conta bancária inválida!"));
        if (!LocalizaBanco(t)) return falha(QStringLiteral("Conta bancária não encontrada!"));
        auto& ban = execucao_->TabOrigem.QTbBan;
        visao_.defineCelula(ColBanco, lin, texto(ban, "nom_ban"));
        aux.defineCelula(ColBanco, lin, QString::number(ban.campo("cod_ban").comoInteiro()));
        return true;
    }
    case ColNumero: {
        const std::int32_t numero = comoInteiro(t);
        if (numero == 0) return falha(QStringLiteral("Número de cheque inválido!"));
        for (int r = 1; r < visao_.linhasGrade(); ++r) {
            if (r == lin) continue;
            if (comoInteiro(visao_.celula(ColNumero, r)) == numero &&
                aux.celula(ColBanco, r) == aux.celula(ColBanco, lin))
                return falha(QStringLiteral("Cheque deste banco já informado na linha ") +
                             QString::number(r));
        }
        return true;
    }
    case ColValor: {
        const auto v = LeValorDecimal(t);
        if (!v || *v == base::Dinheiro{}) return falha(QStringLiteral("Valor inválido!"));
        if (*v > valorDaTransferencia())
            return falha(
                QStringLiteral("Valor do cheque não pode ser maior que o total do lançamento!"));
        TotalCheques();
        return true;
    }
    case ColSituacao:
        return t.trimmed().isEmpty() ? falha(QStringLiteral("Situação inválida!")) : true;
    case ColMotivo:
        if (visao_.celula(ColSituacao, lin).startsWith('V') && comoInteiro(t) == 0)
            return falha(QStringLiteral("Motivo inválido!"));
        return true;
    case ColQuitacao:
        if (visao_.celula(ColSituacao, lin).startsWith('C') && !LeData(t))
            return falha(QStringLiteral("Data inválida!"));
        return true;
    case ColContaFiscal:
    case ColContaGerencial: {
        if (t.trimmed().isEmpty()) {
            aux.defineCelula(col, lin, QString());
            return true;
        }
        const QChar tipo = col == ColContaFiscal ? 'F' : 'G';
        const QString achado = BuscaConta(estado_.CodEmpresa, t, tipo);
        visao_.defineCelula(col, lin, achado);
        auto& plano = tipo == 'F' ? execucao_->TabOrigem.QTbPla : execucao_->TabOrigem.QTbPlaG;
        aux.defineCelula(col, lin, achado.isEmpty() ? QString() : texto(plano, "cde_pla"));
        return true;
    }
    default:
        return true;
    }
}

bool LogicaAL::ValidaCheques() {
    for (int l = 1; l < visao_.linhasGrade(); ++l) {
        for (int c = 0; c < visao_.colunasGrade(); ++c) {
            if (c == ColContaFiscal || c == ColContaGerencial) continue;
            if (!ValidaCelula(c, l)) {
                vaiParaCelula(c, l);
                return false;
            }
        }
    }
    return true;
}

bool LogicaAL::TrocaLinha(Tecla tecla) {
    if (tecla != Tecla::Cima && tecla != Tecla::Baixo) return true;
    const int lin = visao_.linhaAtual(), col = std::max(visao_.colunaAtual(), 0);
    const int cheques = visao_.linhasGrade() - 1;
    if (LinhaSemData(lin)) {
        if (cheques > 1) {
            // The row without date is the one discarded, wherever it stands.
            auto& aux = estado_.GradeAux;
            for (int r = lin; r < visao_.linhasGrade() - 1; ++r) {
                for (int c = 0; c < visao_.colunasGrade(); ++c) {
                    visao_.defineCelula(c, r, visao_.celula(c, r + 1));
                    aux.defineCelula(c, r, aux.celula(c, r + 1));
                }
            }
            visao_.defineLinhasGrade(visao_.linhasGrade() - 1);
            SincronizaGradeAux();
            vaiParaCelula(col, std::max(1, lin - 1));
            TotalCheques();
        } else if (tecla == Tecla::Cima) {
            visao_.defineCelula(ColVencimento, lin, QString());
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

void LogicaAL::NavegaGrade(Tecla tecla) {
    const int col = visao_.colunaAtual(), lin = visao_.linhaAtual();
    const int ultimaColuna = visao_.colunasGrade() - 1;
    const bool temConta = visao_.colunasGrade() > ColContaFiscal;
    auto mostra = [&] { MostraSituacao(visao_.colunaAtual(), visao_.linhaAtual()); };
    auto proximaLinha = [&] {
        TrocaLinha(Tecla::Baixo);
        vaiParaCelula(ColVencimento, visao_.linhaAtual());
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
                vaiParaCelula(ultimaColuna, visao_.linhaAtual());
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
                visao_.mostraPagina(PaginaDestino);
                solicitaFoco(QStringLiteral("Ed_Valor")); // cheque entry is over
            } else if (ValidaCelula(ColVencimento, lin)) {
                vaiParaCelula(ColBanco, lin);
                mostra();
            }
        } else if (col == ColSituacao) {
            const QString s = visao_.celula(ColSituacao, lin);
            if (s.startsWith('P') || s.startsWith('D')) {
                contaOuProximaLinha();
            } else if (s.startsWith('V') || s.startsWith('C')) {
                vaiParaCelula(s.startsWith('V') ? ColMotivo : ColQuitacao, lin);
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
        BtOkClick();
        break;
    default:
        break;
    }
}

void LogicaAL::MostraSituacao(int col, int lin) {
    if (col != ColSituacao || visao_.paginaAtual() != PaginaOrigem || !visao_.formularioVisivel()) {
        visao_.escondeSeletor();
        return;
    }
    if (lin < 1 || lin >= visao_.linhasGrade()) return;
    int item = ItensSituacao.indexOf(visao_.celula(col, lin));
    if (item < 0) {
        item = 0;
        visao_.defineCelula(col, lin, ItensSituacao[0]);
    }
    visao_.mostraSeletor(col, lin, item);
}

bool LogicaAL::gradeTeclaAbaixada(Tecla tecla, bool editorAberto) {
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

std::optional<QChar> LogicaAL::gradeTeclaPressionada(QChar tecla, const QString& textoDaCelula) {
    if (tecla == '\r') {
        NavegaGrade(Tecla::Direita);
        return std::nullopt;
    }
    const int col = visao_.colunaAtual();
    const bool digito = tecla >= '0' && tecla <= '9';
    if (col == ColValor) {
        if (digito || tecla == ',' || tecla == '.') return FiltraDecimal(textoDaCelula, tecla, 2);
        if (tecla == '\b') return tecla;
        return std::nullopt;
    }
    if (col == ColNumero || col == ColMotivo) {
        if (tecla == '\b') return tecla;
        if (!digito) return std::nullopt;
        if (textoDaCelula.size() >= (col == ColMotivo ? 3 : 10)) return std::nullopt;
        return tecla;
    }
    return tecla;
}

void LogicaAL::gradeClique(int col, int lin) {
    if (lin < 1 || col < 0) return;
    vaiParaCelula(col, lin); // a click checks no cell
    MostraSituacao(col, lin);
}

QString LogicaAL::mascaraDaColuna(int col) const {
    return (col == ColVencimento || col == ColQuitacao) ? QStringLiteral("!99/99/9999;1;_")
                                                        : QString();
}

void LogicaAL::Cb_ChqSitChange(int item) {
    if (item < 0 || item >= ItensSituacao.size()) return;
    visao_.defineCelula(visao_.colunaAtual(), visao_.linhaAtual(), ItensSituacao[item]);
}

void LogicaAL::saiDoSeletor() {
    visao_.escondeSeletor();
}

bool LogicaAL::seletorTeclaAbaixada(Tecla tecla, bool comModificador) {
    const int item = visao_.itemDoSeletor();
    const int lin = visao_.linhaAtual();
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
        if (comModificador || item != ItensSituacao.size() - 1) return false;
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

bool LogicaAL::seletorTeclaPressionada(QChar tecla) {
    if (tecla == '\r') {
        Cb_ChqSitChange(visao_.itemDoSeletor());
        saiDoSeletor();
        NavegaGrade(Tecla::Direita);
        return true;
    }
    return tecla == '\b';
}

} // namespace notera
