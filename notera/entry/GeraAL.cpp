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
    auto& destino = ex.TabDestino;
    destino.Ambiente.define(ex.DirTabelas, RegistroEmpresa::doAtual(CodEmpDestino, emp));
    try {
        destino.Ambiente.aponta();
        destino.TbLanRec.defineNome(tabLanRec.toStdString());
        destino.Ambiente.abre(Contabil);
    } catch (const std::exception& e) {
        platform::mostraErro(
            QStringLiteral("Não foi possível consultar as tabela da empresas\r\n") +
            falhaDaEmpresa(CodEmpDestino, destino.Ambiente.diretorio(),
                           destino.Ambiente.diretorioCatalogo(), e.what()));
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
    const bool gerencial = destino.Ambiente.gerencial(Contabil);
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
