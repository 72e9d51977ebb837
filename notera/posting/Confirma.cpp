#include "Confirma.h"

#include "Pendencia.h"
#include "Registros.h"
#include "db/Armazem.h"
#include "notera/core/AoSair.h"
#include "notera/core/Execucao.h"
#include "notera/core/Numeracao.h"
#include "notera/core/ReservaDeTabelas.h"

#include <memory>
#include <utility>

namespace notera {

namespace {

// Holds every box the writers show until the unit of work has ended, so that no dialog
// waits for the user while the store's write lock is held. The posting's boxes have only
// an OK button, whose index is answered at once.
class MensagensRetidas : public Mensagens {
public:
    MensagensRetidas(Mensagens& tela, db::UnidadeDeTrabalho& unidade)
        : tela_(tela), unidade_(unidade) {}
    int mostra(platform::Icone icone, const std::string& texto,
               const std::vector<std::string>& botoes) override {
        Mensagens& tela = tela_;
        unidade_.aoTerminar([&tela, icone, texto, botoes] { tela.mostra(icone, texto, botoes); });
        return 0;
    }

private:
    Mensagens& tela_;
    db::UnidadeDeTrabalho& unidade_;
};

// The AL register record, numbered inside the unit of work.
void gravaRegistroAL(Execucao& ex, const DadosTransferencia& d, std::int32_t NumeroAL) {
    auto& cal = ex.TabPadroes.TbCal;
    if (!cal.aberto()) {
        cal.defineDiretorio(ex.TabDestino.Ambiente.diretorio());
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
        cal.define("his_cal", db::Valor(d.HistVar1));
        cal.define("las_cal", db::Valor(ex.TextoControle));
        cal.grava();
    } catch (...) {
        cal.cancela(); // a half-made record must not be posted by the next move
        throw;
    }
}

} // namespace

ResultadoPostagem PostaTransferencia(Execucao& ex, const DadosTransferencia& d) {
    ResultadoPostagem r;
    // The reservation comes before the unit: a workstation that waited for it while holding
    // the store's write lock would keep the holder from ever committing. Holding it also
    // keeps two workstations' postings one after the other.
    const ReservaDeTabelas reserva(ex.servicos, {"TbCal"});
    if (!reserva) {
        r.Concluida = false;
        return r;
    }

    // The transfer is one unit: every record of it, in both companies and in the register,
    // is committed together or not at all. The boxes of the writers wait for its end.
    std::unique_ptr<Mensagens> tela = std::move(ex.mensagens);
    const AoSair devolve([&ex, &tela] { ex.mensagens = std::move(tela); });
    db::UnidadeDeTrabalho unidade(ex.TabDestino.Ambiente.diretorio());
    ex.mensagens = std::make_unique<MensagensRetidas>(*tela, unidade);

    const std::int32_t operacao = NumeraAL(ex, d, r.NumeroAL);
    // Without an AL number the transfer is not posted, and nothing of it is kept.
    if (r.NumeroAL <= 0) return r;
    r.Confirmado = GravaPagar(ex, d, operacao, r.NumeroAL);
    if (r.Confirmado) r.Confirmado = GravaReceber(ex, d, r.NumeroAL);
    if (!r.Confirmado) return r;

    try {
        gravaRegistroAL(ex, d, r.NumeroAL);
    } catch (const std::exception& e) {
        r.Confirmado = false;
        r.Concluida = false;
        r.Mensagem = posting::comMotivo("Erro ao tentar gravar AL!", e);
        return r;
    }
    unidade.confirma();
    return r;
}

} // namespace notera
