// The export GeraAL on Windows: the Win32 window of the form and the notice printed with GDI.

#include "notera/notera.h"

#include "notera/entry/ExecutaAL.h"
#include "notera/form/win32/FormAL.h"
#include "notera/notice/AvisoAL.h"
#include "notera/report/win32/ImpressaoWin32.h"
#include "platform/Dialogs.h"

namespace notera {

namespace {

class JanelaWin32 : public JanelaAL {
public:
    LogicaAL& logica() override { return form_.logica(); }
    VisaoAL& visao() override { return form_; }
    void mostraModal() override { form_.executaModal(); }

private:
    win32::FormAL form_;
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
        const auto chamada = notera::ChamadaGeraAL::deC(
            DirDados, CodEmpDestino, Contabil, ValorInicial, TabelaLanPag, TabelaChqPag,
            TabelaLanRec, SelecionaRegistro, RefPagamentos, ReservaTabelas, LiberaTabelas,
            TextoControle, DataMovimento);
        const bool postada = notera::ExecutaGeraAL(
            chamada, [] { return std::make_unique<notera::JanelaWin32>(); },
            [](notera::Execucao& ex, const notera::DadosTransferencia& dados,
               std::int32_t NumeroAL) {
                report::ImpressaoWin32 impressao;
                notera::ImprimeAviso(ex, dados, NumeroAL, impressao);
            });
        return postada ? 1 : 0;
    } catch (const std::exception& e) {
        platform::mostraErro(e.what());
        return 0;
    }
}
