#include "Confirma.h"

#include "Registros.h"
#include "notera/core/Execucao.h"
#include "notera/core/Numeracao.h"
#include "notera/core/ReservaDeTabelas.h"

namespace notera {

namespace {

// The AL register record, numbered under the reservation of TbCal and on disk at once.
void gravaRegistroAL(Execucao& ex, const DadosTransferencia& d, std::int32_t NumeroAL) {
    auto& cal = ex.TabPadroes.TbCal;
    if (!cal.aberto()) {
        cal.defineDiretorio(ex.TabDestino.Ambiente.diretorio().toStdString());
        cal.abre();
    }
    const std::int64_t numero = ProximoNumero(cal, "num_cal");
    cal.acrescenta();
    try {
        cal.define("num_cal", db::Valor(numero));
        cal.define("nal_cal", db::Valor(NumeroAL));
        cal.define("tot_cal", db::Valor(d.Valor));
        cal.define("Ori_cal", db::Valor(d.CodEmpresa));
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

ResultadoPostagem PostaTransferencia(Execucao& ex, const DadosTransferencia& d) {
    ResultadoPostagem r;
    const std::int32_t operacao = NumeraAL(ex, d, r.NumeroAL);
    if (r.NumeroAL > 0) r.Confirmado = GravaPagar(ex, d, operacao, r.NumeroAL);
    if (r.Confirmado) r.Confirmado = GravaReceber(ex, d, r.NumeroAL);

    const QStringList tabela{QStringLiteral("TbCal")};
    ReservaDeTabelas reserva(ex.servicos, tabela);
    if (!reserva) {
        r.Concluida = false;
        return r;
    }
    try {
        gravaRegistroAL(ex, d, r.NumeroAL);
    } catch (const std::exception&) {
        r.Concluida = false;
        r.Mensagem = QStringLiteral("Erro ao tentar gravar AL!");
    }
    return r;
}

} // namespace notera
