// The export GeraAL on Linux: the Qt window of the form and the Qt printing of the notice.

#include "notera/notera.h"

#include "notera/entry/ExecutaAL.h"
#include "notera/form/qt/FormAL.h"
#include "notera/notice/AvisoAL.h"
#include "notera/report/qt/ImpressaoQt.h"
#include "platform/Dialogs.h"

namespace notera {

namespace {

class JanelaQt : public JanelaAL {
public:
    LogicaAL& logica() override { return form_.logica(); }
    VisaoAL& visao() override { return form_; }
    void mostraModal() override { form_.exec(); }

private:
    FormAL form_;
};

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
        platform::SessaoDeJanelas janelas;
        const auto chamada = notera::ChamadaGeraAL::deC(
            DirDados, CodEmpDestino, Contabil, ValorInicial, TabelaLanPag, TabelaChqPag,
            TabelaLanRec, SelecionaRegistro, RefPagamentos, ReservaTabelas, LiberaTabelas,
            TextoControle, DataMovimento);
        const bool postada = notera::ExecutaGeraAL(
            chamada, [] { return std::make_unique<notera::JanelaQt>(); },
            [](notera::Execucao& ex, const notera::DadosTransferencia& dados,
               std::int32_t NumeroAL) {
                report::ImpressaoQt impressao;
                notera::ImprimeAviso(ex, dados, NumeroAL, impressao);
            });
        return postada ? 1 : 0;
    } catch (const std::exception& e) {
        platform::mostraErro(e.what());
        return 0;
    }
}
