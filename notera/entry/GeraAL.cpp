// The export GeraAL: opens the destination company's environment and runs the form.

#include "notera/notera.h"

#include "base/BrFormat.h"
#include "base/Cp1252.h"
#include "notera/core/Execucao.h"
#include "notera/form/FormAL.h"
#include "notera/notice/AvisoAL.h"
#include "notera/posting/Confirma.h"
#include "platform/Dialogs.h"

namespace notera {

namespace {

QString textoCurto(const unsigned char* p) {
    if (!p) return {};
    return QString::fromStdString(
        base::cp1252ParaUtf8(std::string(reinterpret_cast<const char*>(p + 1), p[0])));
}

QString texto(const char* p) {
    return p ? QString::fromStdString(base::cp1252ParaUtf8(p)) : QString();
}

std::string local(const QString& s) {
    return s.toStdString();
}

// Opens the destination's data sets in the order the run needs them.
void abreDestino(Execucao& ex, bool contabil, const QString& tabelaLanRec) {
    auto& d = ex.TabDestino;
    for (db::Conjunto* q :
         {static_cast<db::Conjunto*>(&d.QTbCli), static_cast<db::Conjunto*>(&d.QTbRed),
          static_cast<db::Conjunto*>(&d.QTbHis), static_cast<db::Conjunto*>(&d.QTbPla),
          static_cast<db::Conjunto*>(&d.QTbPlaG), static_cast<db::Conjunto*>(&d.QTbBan),
          static_cast<db::Conjunto*>(&d.QTbCen)})
        q->defineDiretorio(local(ex.DirCatDestino));
    d.TbLanRec.defineDiretorio(local(ex.DirEmpDestino));
    d.TbLanRec.defineNome(local(tabelaLanRec));
    d.TbLctDes.defineDiretorio(local(ex.DirEmpDestino));
    d.TbTotDes.defineDiretorio(local(ex.DirEmpDestino));

    const bool gerencial = contabil && configuracaoLigada(d.ConfigEmpresa, 27);
    d.QTbCli.abre();
    d.QTbRed.abre();
    d.QTbHis.abre();
    if (contabil) d.QTbPla.abre();
    if (gerencial) d.QTbPlaG.abre();
    if (contabil) {
        d.TbLctDes.abre();
        d.TbTotDes.abre();
    }
    d.QTbBan.abre();
    d.QTbCen.abre();
    d.TbLanRec.abre();
}

bool executa(const unsigned char* DirDados, int32_t CodEmpDestino, bool Contabil,
             double ValorInicial, const unsigned char* TabelaLanPag,
             const unsigned char* TabelaChqPag, const unsigned char* TabelaLanRec,
             NoteraSelecionaRegistro SelecionaRegistro, const char* RefPagamentos,
             NoteraReservaTabelas ReservaTabelas, NoteraLiberaTabelas LiberaTabelas,
             const char* TextoControle, double DataMovimento) {
    const QString dirDados = textoCurto(DirDados);
    const QString tabLanPag = textoCurto(TabelaLanPag);
    const QString tabChqPag = textoCurto(TabelaChqPag);
    const QString tabLanRec = textoCurto(TabelaLanRec);

    platform::AplicacaoQt app;
    // Every call starts from fresh data modules, so a second transfer in one load works.
    Execucao ex(ServicosHost(nullptr, ReservaTabelas, LiberaTabelas));

    ex.DirTabelas = dirDados;
    if (!ex.DirTabelas.endsWith('/') && !ex.DirTabelas.endsWith('\\')) ex.DirTabelas += '/';
    ex.DirTabelas += QStringLiteral("Tabelas");
    auto& emp = ex.TabPadroes.QTbEmp;
    try {
        emp.defineDiretorio(local(ex.DirTabelas));
        emp.abre();
    } catch (const std::exception& e) {
        platform::mostraErro(QStringLiteral("Não foi possível consultar tabela de empresas:\r\n") +
                             QString::fromStdString(e.what()));
        return false;
    }

    // The answer is not examined: a missing company leaves the register where it stands.
    emp.localiza("cod_emp", db::Valor(CodEmpDestino));
    ex.DirEmpDestino = diretorioDaEmpresa(ex.DirTabelas, CodEmpDestino);
    const auto cen = emp.vazio() ? 0 : emp.campo("cen_emp").comoInteiro();
    ex.DirCatDestino =
        cen < 1 ? ex.DirEmpDestino : diretorioDaEmpresa(ex.DirTabelas, static_cast<int>(cen));
    ex.TabDestino.ConfigEmpresa =
        emp.vazio() ? QString() : QString::fromStdString(emp.campo("cfg_emp").comoTexto());

    try {
        abreDestino(ex, Contabil, tabLanRec);
    } catch (const std::exception& e) {
        platform::mostraErro(
            QStringLiteral("Não foi possível consultar as tabela da empresas\r\n") +
            QString::fromStdString(e.what()));
        return false;
    }
    ex.servicos = ServicosHost(SelecionaRegistro, ReservaTabelas, LiberaTabelas);
    ex.RefPagamentos = texto(RefPagamentos);
    ex.TextoControle = texto(TextoControle);
    ex.DataMovimento = DataMovimento;

    FormAL form;
    form.logica().defineExecucao(&ex);
    // The posting writes the records; once they are confirmed the notice is printed, before
    // the form applies the result.
    form.logica().definePostagem([&ex](const DadosTransferencia& dados) {
        ResultadoPostagem r = PostaTransferencia(ex, dados);
        if (r.Concluida && r.Confirmado) ImprimeAviso(ex, dados, r.NumeroAL);
        return r;
    });
    auto& estado = form.logica().estado();
    estado.CodEmpDestino = CodEmpDestino;
    const bool gerencial = Contabil && configuracaoLigada(ex.TabDestino.ConfigEmpresa, 27);
    form.defineVisivel(QStringLiteral("Pn_Contabil1"), Contabil);
    form.defineVisivel(QStringLiteral("Lb_CredG1"), gerencial);
    form.defineVisivel(QStringLiteral("Ed_CredG1"), gerencial);
    estado.DirDados = dirDados;
    form.defineTexto(QStringLiteral("Ed_Valor"),
                     QString::fromStdString(base::formata0_00(ValorInicial)));
    estado.TabelaLanPag = tabLanPag;
    estado.TabelaChqPag = tabChqPag;

    form.exec();
    const bool resultado = estado.Confirmado;
    ex.servicos.limpaSelecao();
    return resultado;
}

} // namespace

} // namespace notera

extern "C" NOTERA_EXPORT uint8_t NOTERA_CALL
GeraAL(const unsigned char* DirDados, int32_t CodEmpDestino, uint8_t Contabil, double ValorInicial,
       const unsigned char* TabelaLanPag, const unsigned char* TabelaChqPag,
       const unsigned char* TabelaLanRec, NoteraSelecionaRegistro SelecionaRegistro,
       const char* RefPagamentos, NoteraReservaTabelas ReservaTabelas,
       NoteraLiberaTabelas LiberaTabelas, const char* TextoControle, double DataMovimento) {
    // Nothing may escape through the C interface; an error that reaches here is shown.
    try {
        return notera::executa(DirDados, CodEmpDestino, Contabil != 0, ValorInicial, TabelaLanPag,
                               TabelaChqPag, TabelaLanRec, SelecionaRegistro, RefPagamentos,
                               ReservaTabelas, LiberaTabelas, TextoControle, DataMovimento)
                   ? 1
                   : 0;
    } catch (const std::exception& e) {
        platform::mostraErro(QString::fromStdString(e.what()));
        return 0;
    }
}
