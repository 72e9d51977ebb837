// The field handlers of the transfer form: account fields, catalogue lookups and the
// origin company.

#include "LogicaAL.h"
#include "Operacoes.h"
#include "notera/core/Contas.h"

#include "notera/core/AoSair.h"
#include "notera/core/Execucao.h"
#include "platform/CapsLock.h"

#include <QFileInfo>

namespace notera {

namespace {

std::string u8(const QString& s) {
    return s.toStdString();
}
std::int32_t inteiro(const db::Conjunto& c, const char* campo) {
    return static_cast<std::int32_t>(c.campo(campo).comoInteiro());
}

const QString SemSintetica = QStringLiteral("Não é possível lançar em contas sintéticas!");

// A catalogue field: where it searches, where its code goes, and what differs.
struct Catalogo {
    const char* campo;
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
    {"Ed_Cliente", true, &TTabDestino::QTbCli, nullptr, "cod_cli", "nom_cli", &EstadoAL::CodCliente,
     true, true, "Seleção de Cliente", "Nome"},
    {"Ed_Banco1", true, &TTabDestino::QTbBan, nullptr, "cod_ban", "nom_ban", &EstadoAL::CodBanco1,
     true, true, "Seleção de Bancos", "Nome"},
    {"Ed_Receita", true, &TTabDestino::QTbRed, nullptr, "cod_red", "nom_red", &EstadoAL::CodReceita,
     false, false, "Seleção de Receitas", "Descrição"},
    {"Ed_HistPad1", true, &TTabDestino::QTbHis, nullptr, "cod_his", "nom_his",
     &EstadoAL::CodHistPad1, true, true, "Seleção de Históricos Padrões", "Descrição"},
    {"Ed_Fornecedor", false, nullptr, &TTabOrigem::QTbFor, "cod_for", "nom_for",
     &EstadoAL::CodFornecedor, true, true, "Seleção de Fornecedor", "Nome"},
    {"Ed_Banco2", false, nullptr, &TTabOrigem::QTbBan, "cod_ban", "nom_ban", &EstadoAL::CodBanco2,
     false, false, "Seleção de Bancos", "Nome"},
    {"Ed_Despesa", false, nullptr, &TTabOrigem::QTbRed, "cod_red", "nom_red", &EstadoAL::CodDespesa,
     true, true, "Seleção de Despesas", "Descrição"},
    {"Ed_HistPad2", false, nullptr, &TTabOrigem::QTbHis, "cod_his", "nom_his",
     &EstadoAL::CodHistPad2, true, true, "Seleção de Históricos Padrões", "Descrição"},
    {"Ed_HisPadBan", false, nullptr, &TTabOrigem::QTbHis, "cod_his", "nom_his",
     &EstadoAL::CodHisPadBan, true, true, "Seleção de Históricos Padrões", "Descrição"},
};

const Catalogo* catalogoDe(const QString& campo) {
    for (const auto& c : Catalogos)
        if (campo == QLatin1String(c.campo)) return &c;
    return nullptr;
}

// An account field: its company side, chart and form value.
struct CampoConta {
    const char* campo;
    bool destino;
    QChar tipo;
    TextoFixo<30> EstadoAL::*valor;
};

const CampoConta CamposConta[] = {
    {"Ed_Cred1", true, 'F', &EstadoAL::ContaCred1},
    {"Ed_CredG1", true, 'G', &EstadoAL::ContaCredG1},
    {"Ed_Cred2", false, 'F', &EstadoAL::ContaCred2},
    {"Ed_Deb2", false, 'F', &EstadoAL::ContaDeb2},
    {"Ed_CredG2", false, 'G', &EstadoAL::ContaCredG2},
    {"Ed_DebG2", false, 'G', &EstadoAL::ContaDebG2},
};

const CampoConta& campoConta(const QString& campo) {
    for (const auto& c : CamposConta)
        if (campo == QLatin1String(c.campo)) return c;
    return CamposConta[0];
}

// A selection answer for an integer-coded catalogue that is not a whole number counts as
// nothing chosen.
std::optional<std::int32_t> codigoEscolhido(const std::optional<QString>& escolha) {
    if (!escolha) return std::nullopt;
    return leInteiro(*escolha);
}

const auto& texto = textoDoCampo;

db::Consulta& planoDe(Execucao& ex, bool destino, QChar tipo) {
    if (destino) return tipo == 'F' ? ex.TabDestino.QTbPla : ex.TabDestino.QTbPlaG;
    return tipo == 'F' ? ex.TabOrigem.QTbPla : ex.TabOrigem.QTbPlaG;
}

} // namespace

// ---- Accounts ----

QString LogicaAL::BuscaConta(std::int32_t empresa, const QString& digitado, QChar tipo) {
    const QString texto = digitado.trimmed();
    db::Consulta& plano = planoDe(*execucao_, empresa == estado_.CodEmpDestino, tipo);
    auto& emp = execucao_->TabPadroes.QTbEmp;
    const QString cfg =
        emp.localiza("cod_emp", db::Valor(empresa)) ? notera::texto(emp, "cfg_emp") : QString();

    auto sintetica = [&] { return EhSintetica(notera::texto(plano, "cde_pla")); };
    // A synthetic match is refused with a warning and offered in the dialog.
    auto aceitaAchado = [&] {
        if (!sintetica()) return true;
        mensagens().atencao(SemSintetica);
        return SelecionaConta(plano);
    };

    bool aceito = false;
    const TextoDeConta tc = classificaTextoDeConta(texto, cfg);
    switch (tc.busca) {
    case BuscaDeConta::Estrutural:
        aceito = plano.localiza("cde_pla", db::Valor(u8(texto))) ? aceitaAchado()
                                                                 : SelecionaConta(plano);
        break;
    case BuscaDeConta::Descricao:
        if (plano.localiza("nom_pla", db::Valor(u8(texto)))) {
            aceito = aceitaAchado();
        } else {
            plano.localiza("nom_pla", db::Valor(u8(texto)),
                           db::Busca::Prefixo); // the dialog opens there
            aceito = SelecionaConta(plano);
            if (aceito && sintetica()) {
                mensagens().atencao(SemSintetica);
                aceito = SelecionaConta(plano);
            }
        }
        break;
    case BuscaDeConta::Reduzido: {
        bool ok = false;
        const int n = tc.digitosReduzidos.toInt(&ok);
        if (ok && plano.localiza("cdr_pla", db::Valor(n))) {
            aceito = aceitaAchado();
            if (aceito && FormataReduzido(plano.campo("cdr_pla").comoInteiro(), cfg) != texto)
                aceito = SelecionaConta(plano);
        } else {
            aceito = SelecionaConta(plano);
        }
        break;
    }
    case BuscaDeConta::SoDialogo:
        aceito = SelecionaConta(plano);
        break;
    }
    if (!aceito) return {};
    return FormataReduzido(plano.campo("cdr_pla").comoInteiro(), cfg) + QStringLiteral("  ") +
           notera::texto(plano, "nom_pla");
}

bool LogicaAL::SelecionaConta(db::Consulta& plano) {
    platform::AjustaCapsLock(true);
    bool aceito = false;
    while (execucao_->servicos.temSelecao()) {
        const auto escolha = execucao_->servicos.SelecionaRegistro(
            QStringLiteral("Seleção de Conta Contábil"), plano, {"codigo", "cde_pla", "nom_pla"},
            {QStringLiteral("Reduzido"), QStringLiteral("Estrutural"),
             QStringLiteral("Descrição")});
        if (!escolha) break;
        // The chosen record's structural code decides, as everywhere else.
        if (EhSintetica(notera::texto(plano, "cde_pla"))) {
            mensagens().atencao(SemSintetica);
            continue;
        }
        aceito = true;
        break;
    }
    platform::AjustaCapsLock(false);
    return aceito;
}

void LogicaAL::entradaConta(const QString& campo) {
    estado_.Saindo = false;
    const CampoConta& cc = campoConta(campo);
    auto& valor = estado_.*cc.valor;
    auto& ex = *execucao_;
    if (valor.vazio()) {
        auto contaDaCategoria = [&](db::Consulta& red, std::int32_t categoria) {
            if (categoria > 0 && red.localiza("cod_red", db::Valor(categoria)))
                valor = texto(red, "ccb_red").left(30);
        };
        auto gerencialDaFiscal = [&](db::Consulta& pla, db::Consulta& plaG, const QString& fiscal) {
            if (fiscal.isEmpty() || !pla.localiza("cde_pla", db::Valor(u8(fiscal)))) return;
            const QString plag = texto(pla, "plag_pla");
            if (!plag.isEmpty() && plaG.localiza("cde_pla", db::Valor(u8(plag)))) valor = plag;
        };
        if (campo == QLatin1String("Ed_Cred1"))
            contaDaCategoria(ex.TabDestino.QTbRed, estado_.CodReceita);
        else if (campo == QLatin1String("Ed_Deb2"))
            contaDaCategoria(ex.TabOrigem.QTbRed, estado_.CodDespesa);
        else if (campo == QLatin1String("Ed_CredG1"))
            gerencialDaFiscal(ex.TabDestino.QTbPla, ex.TabDestino.QTbPlaG, estado_.ContaCred1);
        else if (campo == QLatin1String("Ed_DebG2"))
            gerencialDaFiscal(ex.TabOrigem.QTbPla, ex.TabOrigem.QTbPlaG, estado_.ContaDeb2);
    }
    const bool semPadrao =
        campo == QLatin1String("Ed_Cred2") || campo == QLatin1String("Ed_CredG2");
    if (!(semPadrao && valor.vazio())) visao_.defineTexto(campo, valor);
    visao_.selecionaTudo(campo);
}

void LogicaAL::teclaEnterConta(const QString& campo, const QString& remetente) {
    const CampoConta& cc = campoConta(campo);
    auto& valor = estado_.*cc.valor;
    const QString digitado = visao_.texto(campo);
    if (digitado.trimmed().isEmpty()) {
        valor = QString();
    } else {
        const std::int32_t empresa = cc.destino ? estado_.CodEmpDestino : estado_.CodEmpresa;
        const QString achado = BuscaConta(empresa, digitado, cc.tipo);
        visao_.defineTexto(campo, achado);
        valor = achado.isEmpty()
                    ? QString()
                    : texto(planoDe(*execucao_, cc.destino, cc.tipo), "cde_pla").left(30);
    }
    if (campo == QLatin1String("Ed_Cred1")) {
        if (visao_.visivelNaPagina(QStringLiteral("Ed_CredG1")))
            solicitaFoco(seguinte(remetente));
        else if (mensagens().pergunta(platform::Icone::Aviso,
                                      QStringLiteral("Deseja concluir AL?")))
            BtOkClick();
    } else if (campo == QLatin1String("Ed_Cred2") || campo == QLatin1String("Ed_CredG2")) {
        solicitaFoco(seguinte(remetente));
    } else if (campo == QLatin1String("Ed_Deb2") || campo == QLatin1String("Ed_DebG2")) {
        solicitaFoco(seguinte(remetente));
        visao_.rolaGradeParaColuna(0);
    }
}

// ---- Catalogues ----

void LogicaAL::entradaCatalogo(const QString& campo) {
    estado_.Saindo = false;
    if (campo == QLatin1String("Ed_Custo1"))
        visao_.defineTexto(campo, estado_.CodCusto1);
    else if (campo == QLatin1String("Ed_Custo2"))
        visao_.defineTexto(campo, estado_.CodCusto2);
    else if (const Catalogo* c = catalogoDe(campo); c && estado_.*c->codigoNoEstado > 0)
        visao_.defineTexto(campo, QString::number(estado_.*c->codigoNoEstado));
    visao_.selecionaTudo(campo);
}

void LogicaAL::saidaCatalogo(const QString& campo) {
    if (estado_.Saindo) return;
    auto& ex = *execucao_;
    const QString digitado = visao_.texto(campo);

    if (campo == QLatin1String("Ed_Custo1") || campo == QLatin1String("Ed_Custo2")) {
        const bool destino = campo == QLatin1String("Ed_Custo1");
        auto& codigo = destino ? estado_.CodCusto1 : estado_.CodCusto2;
        db::Consulta& q = destino ? ex.TabDestino.QTbCen : ex.TabOrigem.QTbCen;
        if (digitado.trimmed().isEmpty()) {
            codigo = QString();
            return;
        }
        bool achou = q.localiza("cod_cen", db::Valor(u8(digitado))) ||
                     q.localiza("nom_cen", db::Valor(u8(digitado)));
        if (!achou && ex.servicos.temSelecao()) {
            const auto escolha = ex.servicos.SelecionaRegistro(
                QStringLiteral("Seleção de Centro de Custos"), q, {"cod_cen", "nom_cen"},
                {QStringLiteral("Código"), QStringLiteral("Descrição")});
            if (escolha) {
                q.localiza("cod_cen", db::Valor(u8(*escolha)));
                achou = true;
            }
        }
        if (achou) {
            codigo = texto(q, "cod_cen").left(11);
            visao_.defineTexto(campo, texto(q, "nom_cen"));
        }
        return;
    }

    const Catalogo* c = catalogoDe(campo);
    if (!c) return;
    db::Consulta& q = c->destino ? ex.TabDestino.*c->qDestino : ex.TabOrigem.*c->qOrigem;
    auto& codigo = estado_.*c->codigoNoEstado;
    if (digitado.trimmed().isEmpty()) {
        codigo = 0; // defaults handed on earlier stay
        return;
    }
    bool achou = false;
    if (EhNome(digitado)) {
        achou = q.localiza(c->nome, db::Valor(u8(digitado)));
        if (!achou && c->prefixo) q.localiza(c->nome, db::Valor(u8(digitado)), db::Busca::Prefixo);
    } else {
        achou = q.localiza(c->codigo, db::Valor(leInteiro(digitado).value_or(0)));
    }
    if (!achou) {
        if (c->capsLock) platform::AjustaCapsLock(true);
        if (ex.servicos.temSelecao()) {
            const auto n = codigoEscolhido(ex.servicos.SelecionaRegistro(
                QString::fromUtf8(c->titulo), q, {c->codigo, c->nome},
                {QStringLiteral("Código"), QString::fromUtf8(c->segundoTitulo)}));
            if (n) {
                q.localiza(c->codigo, db::Valor(*n));
                achou = true;
            }
        }
    }
    if (achou) {
        const std::int32_t cod = inteiro(q, c->codigo);
        const QString nome = texto(q, c->nome);
        // Client, supplier and origin bank hand on a default account and history.
        struct Repasse {
            const char* campo;
            const char* conta;
            const char* historico;
            TextoFixo<30> EstadoAL::*valorConta;
            const char* campoConta;
            std::int32_t EstadoAL::*codHistorico;
            const char* campoHistorico;
        };
        static const Repasse repasses[] = {
            {"Ed_Cliente", "ccn_cli", "hpn_cli", &EstadoAL::ContaCred1, "Ed_Cred1",
             &EstadoAL::CodHistPad1, "Ed_HistPad1"},
            {"Ed_Fornecedor", "ccn_for", "hpn_for", &EstadoAL::ContaDeb2, "Ed_Deb2",
             &EstadoAL::CodHistPad2, "Ed_HistPad2"},
            {"Ed_Banco2", "ccn_ban", "hpn_ban", &EstadoAL::ContaCred2, "Ed_Cred2",
             &EstadoAL::CodHisPadBan, "Ed_HisPadBan"},
        };
        const Repasse* r = nullptr;
        for (const auto& x : repasses)
            if (campo == QLatin1String(x.campo)) r = &x;
        if (r) {
            const QString conta = texto(q, r->conta).left(30);
            const std::int32_t historico = inteiro(q, r->historico);
            estado_.*r->valorConta = QString();
            visao_.defineTexto(r->campoConta, QString());
            visao_.defineTexto(r->campoHistorico, QString());
            estado_.*r->codHistorico = 0;
            codigo = cod;
            visao_.defineTexto(campo, nome);
            estado_.*r->valorConta = conta;
            estado_.*r->codHistorico = historico;
            if (!conta.isEmpty()) {
                visao_.defineTexto(r->campoConta, conta);
                teclaEnterConta(r->campoConta, campo);
            }
            if (estado_.*r->codHistorico > 0) {
                visao_.defineTexto(r->campoHistorico, QString::number(estado_.*r->codHistorico));
                saidaCatalogo(r->campoHistorico);
            }
        } else {
            codigo = cod;
            visao_.defineTexto(campo, nome);
            if (campo == QLatin1String("Ed_Receita") && estado_.CodHistPad1 == 0)
                estado_.CodHistPad1 = inteiro(q, "his_red");
            if (campo == QLatin1String("Ed_Despesa") && estado_.CodHistPad2 == 0)
                estado_.CodHistPad2 = inteiro(q, "his_red");
        }
    }
    if (c->capsLock) platform::AjustaCapsLock(false);
}

bool LogicaAL::LocalizaBanco(const QString& digitado) {
    auto& ex = *execucao_;
    db::Consulta& q = ex.TabOrigem.QTbBan;
    const bool achou = EhNome(digitado)
                           ? q.localiza("nom_ban", db::Valor(u8(digitado)))
                           : q.localiza("cod_ban", db::Valor(leInteiro(digitado).value_or(0)));
    if (achou) return true;
    q.localiza("nom_ban", db::Valor(u8(digitado)), db::Busca::Prefixo);
    if (!ex.servicos.temSelecao()) return false;
    const auto n = codigoEscolhido(ex.servicos.SelecionaRegistro(
        QStringLiteral("Seleção de Bancos"), q, {"cod_ban", "nom_ban"},
        {QStringLiteral("Código"), QStringLiteral("Nome")}));
    if (!n) return false;
    q.localiza("cod_ban", db::Valor(*n));
    return true;
}

// ---- Origin company ----

void LogicaAL::Ed_EmpresaEnter() {
    estado_.Saindo = false;
    if (estado_.CodEmpresa > 0)
        visao_.defineTexto(QStringLiteral("Ed_Empresa"), QString::number(estado_.CodEmpresa));
    visao_.selecionaTudo(QStringLiteral("Ed_Empresa"));
}

void LogicaAL::Ed_EmpresaExit() {
    if (estado_.Saindo) return;
    const QString campo = QStringLiteral("Ed_Empresa");
    auto& ex = *execucao_;
    auto& emp = ex.TabPadroes.QTbEmp;
    const QString digitado = visao_.texto(campo);
    if (digitado.trimmed().isEmpty()) {
        mensagens().informacao(QStringLiteral("Informe a empresa geradora do recurso financeiro!"));
        estado_.CodEmpresa = 0;
        focaliza(campo);
        return;
    }
    bool achou = EhNome(digitado)
                     ? emp.localiza("nom_emp", db::Valor(u8(digitado)))
                     : emp.localiza("cod_emp", db::Valor(leInteiro(digitado).value_or(0)));
    if (!achou && ex.servicos.temSelecao()) {
        const auto n = codigoEscolhido(ex.servicos.SelecionaRegistro(
            QStringLiteral("Seleção de Empresas"), emp, {"cod_emp", "nom_emp"},
            {QStringLiteral("Código"), QStringLiteral("Nome")}));
        if (n) {
            emp.localiza("cod_emp", db::Valor(*n));
            achou = true;
        }
    }
    if (!achou) {
        estado_.CodEmpresa = 0;
        visao_.defineTexto(campo, QString());
        mensagens().mensagem(
            QStringLiteral("Informe a empresa de onde virão os recursos financeiros!"));
        focaliza(campo);
        return;
    }
    estado_.CodEmpresa = inteiro(emp, "cod_emp");
    visao_.defineTexto(campo, texto(emp, "nom_emp"));
    if (estado_.CodEmpresa == estado_.CodEmpDestino) {
        estado_.CodEmpresa = 0;
        visao_.defineTexto(campo, QString());
        mensagens().informacao(QStringLiteral(
            "Não é possível informar a mesma empresa de destino dos recursos financeiro!"));
        focaliza(campo);
        return;
    }
    if (estado_.CodEmpresa == estado_.EmpOrigemAberta) return;
    trocaOrigem();
}

void LogicaAL::trocaOrigem() {
    auto& ex = *execucao_;
    auto& o = ex.TabOrigem;
    auto& emp = ex.TabPadroes.QTbEmp;
    estado_.EmpOrigemAberta = estado_.CodEmpresa;

    db::Conjunto* conjuntos[] = {&o.QTbFor,   &o.QTbRed,   &o.QTbHis,  &o.QTbBan,
                                 &o.QTbPla,   &o.QTbPlaG,  &o.QTbCen,  &o.TbChqPag,
                                 &o.TbLanPag, &o.TbLctOri, &o.TbTotOri};
    for (auto* c : conjuntos)
        c->fecha();

    // The data directory as passed, "Tabelas/" and the code with three digits at least.
    auto diretorio = [&](std::int32_t codigo) {
        return QString(estado_.DirDados) + QStringLiteral("Tabelas/") +
               QString::number(codigo).rightJustified(3, '0');
    };
    const QString dirEmpresa = diretorio(estado_.CodEmpresa);
    const std::int32_t cen = inteiro(emp, "cen_emp");
    const QString dirCatalogo = cen >= 1 ? diretorio(cen) : dirEmpresa;

    estado_.OrigemContabil =
        QFileInfo::exists(QString(estado_.DirDados) + QStringLiteral("Contabilidade.exe"));
    o.ConfigEmpresa = texto(emp, "cfg_emp");
    const bool contabil = estado_.OrigemContabil;
    const bool gerencial = contabil && configuracaoLigada(o.ConfigEmpresa, 27);
    visao_.defineVisivel(QStringLiteral("Pn_Contabil2"), contabil);
    visao_.defineVisivel(QStringLiteral("Pn_ContabilG2"), gerencial);

    // The account columns come last: the fiscal one with accounts, the managerial one too
    // with managerial accounts.
    if (!contabil) {
        visao_.defineColunasGrade(ColContaFiscal);
    } else {
        visao_.defineColunasGrade(gerencial ? ColunasCheque : ColContaGerencial);
        visao_.defineLarguraColuna(ColContaFiscal, estado_.LarguraConta);
        if (gerencial) visao_.defineLarguraColuna(ColContaGerencial, estado_.LarguraConta);
        LimpaGrade();
    }

    visao_.cursorDeEspera(true);
    const AoSair cursor([this] { visao_.cursorDeEspera(false); });

    for (db::Conjunto* q :
         {static_cast<db::Conjunto*>(&o.QTbFor), static_cast<db::Conjunto*>(&o.QTbRed),
          static_cast<db::Conjunto*>(&o.QTbHis), static_cast<db::Conjunto*>(&o.QTbBan),
          static_cast<db::Conjunto*>(&o.QTbPla), static_cast<db::Conjunto*>(&o.QTbPlaG),
          static_cast<db::Conjunto*>(&o.QTbCen)})
        q->defineDiretorio(u8(dirCatalogo));
    for (db::Tabela* t : {&o.TbChqPag, &o.TbLanPag, &o.TbLctOri, &o.TbTotOri})
        t->defineDiretorio(u8(dirEmpresa));
    o.TbChqPag.defineNome(u8(estado_.TabelaChqPag));
    o.TbLanPag.defineNome(u8(estado_.TabelaLanPag));

    try {
        for (db::Conjunto* q :
             {static_cast<db::Conjunto*>(&o.QTbFor), static_cast<db::Conjunto*>(&o.QTbRed),
              static_cast<db::Conjunto*>(&o.QTbHis), static_cast<db::Conjunto*>(&o.QTbBan),
              static_cast<db::Conjunto*>(&o.QTbCen), static_cast<db::Conjunto*>(&o.TbChqPag),
              static_cast<db::Conjunto*>(&o.TbLanPag)})
            q->abre();
        if (contabil) {
            o.QTbPla.abre();
            o.TbLctOri.abre();
            o.TbTotOri.abre();
        }
        if (gerencial) o.QTbPlaG.abre();
    } catch (const std::exception& e) {
        mensagens().erro(QStringLiteral("Erro na consulta as tabelas da empresa indicada.\r\n") +
                         QString::fromStdString(e.what()));
    }

    estado_.CodFornecedor = 0;
    estado_.CodDespesa = 0;
    estado_.CodBanco2 = 0;
    estado_.CodHistPad2 = 0;
    estado_.CodCusto2 = QString();
    estado_.ContaCred2 = QString();
    estado_.ContaDeb2 = QString();
    for (const char* c : {"Ed_Fornecedor", "Ed_Custo2", "Ed_Despesa", "Ed_Banco2", "Ed_HistPad2",
                          "Ed_Cred2", "Ed_Deb2"})
        visao_.defineTexto(QLatin1String(c), QString());
    TitulosGrade();
}

void LogicaAL::ligaHandlers() {
    defineEntrada(QStringLiteral("Ed_Empresa"), [this] { Ed_EmpresaEnter(); });
    defineSaida(QStringLiteral("Ed_Empresa"), [this] { Ed_EmpresaExit(); });
    for (const auto& c : Catalogos) {
        const QString campo = QLatin1String(c.campo);
        defineEntrada(campo, [this, campo] { entradaCatalogo(campo); });
        defineSaida(campo, [this, campo] { saidaCatalogo(campo); });
    }
    for (const char* c : {"Ed_Custo1", "Ed_Custo2"}) {
        const QString campo = QLatin1String(c);
        defineEntrada(campo, [this, campo] { entradaCatalogo(campo); });
        defineSaida(campo, [this, campo] { saidaCatalogo(campo); });
    }
    for (const auto& c : CamposConta) {
        const QString campo = QLatin1String(c.campo);
        defineEntrada(campo, [this, campo] { entradaConta(campo); });
    }
    defineEntrada(GradeChq, [this] { GradeChqEnter(); });
}

} // namespace notera
