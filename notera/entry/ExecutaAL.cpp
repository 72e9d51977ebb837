#include "ExecutaAL.h"

#include "base/BrFormat.h"
#include "base/Cp1252.h"
#include "notera/core/Execucao.h"
#include "notera/form/Nomes.h"
#include "notera/posting/Confirma.h"
#include "platform/Dialogs.h"
#include "platform/System.h"

namespace notera {

namespace {

std::string textoCurto(const unsigned char* p) {
    if (!p) return {};
    return base::cp1252ParaUtf8(std::string(reinterpret_cast<const char*>(p + 1), p[0]));
}

std::string texto(const char* p) {
    return p ? base::cp1252ParaUtf8(p) : std::string();
}

} // namespace

ChamadaGeraAL
ChamadaGeraAL::deC(const unsigned char* DirDados, std::int32_t CodEmpDestino, std::uint8_t Contabil,
                   double ValorInicial, const unsigned char* TabelaLanPag,
                   const unsigned char* TabelaChqPag, const unsigned char* TabelaLanRec,
                   NoteraSelecionaRegistro SelecionaRegistro, const char* RefPagamentos,
                   NoteraReservaTabelas ReservaTabelas, NoteraLiberaTabelas LiberaTabelas,
                   const char* TextoControle, double DataMovimento) {
    ChamadaGeraAL c;
    c.DirDados = textoCurto(DirDados);
    c.CodEmpDestino = CodEmpDestino;
    c.Contabil = Contabil != 0;
    c.ValorInicial = ValorInicial;
    c.TabelaLanPag = textoCurto(TabelaLanPag);
    c.TabelaChqPag = textoCurto(TabelaChqPag);
    c.TabelaLanRec = textoCurto(TabelaLanRec);
    c.SelecionaRegistro = SelecionaRegistro;
    c.RefPagamentos = texto(RefPagamentos);
    c.ReservaTabelas = ReservaTabelas;
    c.LiberaTabelas = LiberaTabelas;
    c.TextoControle = texto(TextoControle);
    c.DataMovimento = DataMovimento;
    return c;
}

bool ExecutaGeraAL(const ChamadaGeraAL& c, const CriaJanelaAL& criaJanela,
                   const ImprimeAvisoAL& imprimeAviso) {
    // Every call starts from fresh data modules, so a second transfer in one load works.
    Execucao ex(ServicosHost(nullptr, c.ReservaTabelas, c.LiberaTabelas));

    ex.DirTabelas = c.DirDados;
    if (!ex.DirTabelas.ends_with('/') && !ex.DirTabelas.ends_with('\\'))
        ex.DirTabelas += platform::SeparadorDeDiretorios;
    ex.DirTabelas += "Tabelas";
    auto& emp = ex.TabPadroes.QTbEmp;
    try {
        emp.defineDiretorio(ex.DirTabelas);
        emp.abre();
    } catch (const std::exception& e) {
        platform::mostraErro(std::string("Não foi possível consultar tabela de empresas:\r\n") +
                             e.what());
        return false;
    }

    // The answer is not examined: a missing company leaves the register where it stands.
    emp.localiza("cod_emp", db::Valor(c.CodEmpDestino));
    auto& destino = ex.TabDestino;
    destino.Ambiente.define(ex.DirTabelas, RegistroEmpresa::doAtual(c.CodEmpDestino, emp));
    try {
        destino.Ambiente.aponta();
        destino.TbLanRec.defineNome(c.TabelaLanRec);
        destino.Ambiente.abre(c.Contabil);
    } catch (const std::exception& e) {
        platform::mostraErro("Não foi possível consultar as tabela da empresas\r\n" +
                             falhaDaEmpresa(c.CodEmpDestino, destino.Ambiente.diretorio(),
                                            destino.Ambiente.diretorioCatalogo(), e.what()));
        return false;
    }
    ex.servicos = ServicosHost(c.SelecionaRegistro, c.ReservaTabelas, c.LiberaTabelas);
    ex.RefPagamentos = c.RefPagamentos;
    ex.TextoControle = c.TextoControle;
    ex.DataMovimento = c.DataMovimento;

    const std::unique_ptr<JanelaAL> janela = criaJanela();
    LogicaAL& logica = janela->logica();
    VisaoAL& visao = janela->visao();
    logica.defineExecucao(&ex);
    // The posting writes the records; once they are confirmed the notice is printed, before
    // the form applies the result.
    logica.definePostagem([&ex, &imprimeAviso](const DadosTransferencia& dados) {
        ResultadoPostagem r = PostaTransferencia(ex, dados);
        if (r.Concluida && r.Confirmado) imprimeAviso(ex, dados, r.NumeroAL);
        return r;
    });
    auto& estado = logica.estado();
    estado.CodEmpDestino = c.CodEmpDestino;
    const bool gerencial = destino.Ambiente.gerencial(c.Contabil);
    visao.defineVisivel(nome::Pn_Contabil1, c.Contabil);
    visao.defineVisivel(nome::Lb_CredG1, gerencial);
    visao.defineVisivel(nome::Ed_CredG1, gerencial);
    estado.DirDados = c.DirDados;
    visao.defineTexto(nome::Ed_Valor, base::formata0_00(c.ValorInicial));
    estado.TabelaLanPag = c.TabelaLanPag;
    estado.TabelaChqPag = c.TabelaChqPag;

    janela->mostraModal();
    const bool resultado = estado.Confirmado;
    ex.servicos.limpaSelecao();
    return resultado;
}

} // namespace notera
