#include "Confirma.h"

#include "Registros.h"
#include "notera/core/Execucao.h"
#include "notera/form/LogicaAL.h"
#include "notera/form/Operacoes.h"
#include "notera/notice/AvisoAL.h"

namespace notera {

namespace {

// The AL register record, numbered under the reservation of TbCal and on disk at once.
void gravaRegistroAL(Execucao& ex, const DadosTransferencia& d) {
    auto& cal = ex.TabPadroes.TbCal;
    if (!cal.aberto()) {
        cal.defineDiretorio(ex.DirEmpDestino.toStdString());
        cal.abre();
    }
    cal.ordena("num_cal");
    cal.releia();
    cal.ultimo();
    const std::int64_t numero = cal.vazio() ? 1 : cal.campo("num_cal").comoInteiro() + 1;
    cal.acrescenta();
    try {
        cal.define("num_cal", db::Valor(numero));
        cal.define("nal_cal", db::Valor(d.estado.NumeroAL));
        const auto total = LeValorDecimal(d.Valor).value_or(base::Dinheiro{});
        cal.define("tot_cal", db::Valor(total.emReais()));
        cal.define("Ori_cal", db::Valor(d.estado.CodEmpresa));
        cal.define("dat_cal", db::Valor::dataHora(ex.DataMovimento));
        cal.define("his_cal", db::Valor(d.HistVar1.toStdString()));
        cal.define("las_cal", db::Valor(ex.TextoControle.toStdString()));
        cal.grava();
    } catch (...) {
        cal.cancela(); // a half-made record must not be posted by the next move
        throw;
    }
    cal.salvaEmDisco();
}

} // namespace

bool PostaTransferencia(LogicaAL& logica, Execucao& ex) {
    auto& estado = logica.estado();
    DadosTransferencia d = logica.dadosDaTransferencia();
    estado.NumeroAL = 0;
    d.estado.NumeroAL = 0;
    const std::int32_t operacao = NumeraAL(ex, d);
    estado.NumeroAL = d.estado.NumeroAL;
    if (estado.NumeroAL > 0)
        estado.Confirmado = GravaPagar(ex, d, operacao, estado.NumeroAL);
    else
        estado.Confirmado = false;
    if (estado.Confirmado) estado.Confirmado = GravaReceber(ex, d, estado.NumeroAL);

    const QStringList tabela{QStringLiteral("TbCal")};
    if (!ex.servicos.ReservaTabelas(tabela)) return false;
    try {
        gravaRegistroAL(ex, d);
    } catch (const std::exception&) {
        // The granted reservation is given back on this path too.
        ex.servicos.LiberaTabelas(tabela);
        ex.mensagens->mensagem(QStringLiteral("Erro ao tentar gravar AL!"));
        return false;
    }
    ex.servicos.LiberaTabelas(tabela);

    if (estado.Confirmado) {
        d.estado = estado;
        ImprimeAviso(ex, d);
    }
    return true;
}

} // namespace notera
