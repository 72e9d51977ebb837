#pragma once
// One call of the export GeraAL, apart from the platform: opens the register and the
// destination company's environment, runs the form in the window the platform gives and
// prints the notice through the platform's printing once a transfer is posted.

#include "notera/core/Transferencia.h"
#include "notera/form/LogicaAL.h"
#include "notera/notera.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace notera {

struct Execucao;

// The form's window on a platform: its behaviour and a modal run until it closes.
class JanelaAL {
public:
    virtual ~JanelaAL() = default;
    virtual LogicaAL& logica() = 0;
    virtual VisaoAL& visao() = 0;
    virtual void mostraModal() = 0;
};

// GeraAL's arguments, texts already in UTF-8.
struct ChamadaGeraAL {
    std::string DirDados;
    std::int32_t CodEmpDestino = 0;
    bool Contabil = false;
    double ValorInicial = 0;
    std::string TabelaLanPag, TabelaChqPag, TabelaLanRec;
    NoteraSelecionaRegistro SelecionaRegistro = nullptr;
    std::string RefPagamentos;
    NoteraReservaTabelas ReservaTabelas = nullptr;
    NoteraLiberaTabelas LiberaTabelas = nullptr;
    std::string TextoControle;
    double DataMovimento = 0;

    // From the C arguments: short strings (a length byte, then the text) and C strings, both
    // in code page 1252.
    static ChamadaGeraAL deC(const unsigned char* DirDados, std::int32_t CodEmpDestino,
                             std::uint8_t Contabil, double ValorInicial,
                             const unsigned char* TabelaLanPag, const unsigned char* TabelaChqPag,
                             const unsigned char* TabelaLanRec,
                             NoteraSelecionaRegistro SelecionaRegistro, const char* RefPagamentos,
                             NoteraReservaTabelas ReservaTabelas, NoteraLiberaTabelas LiberaTabelas,
                             const char* TextoControle, double DataMovimento);
};

using CriaJanelaAL = std::function<std::unique_ptr<JanelaAL>()>;
using ImprimeAvisoAL =
    std::function<void(Execucao&, const DadosTransferencia&, std::int32_t NumeroAL)>;

// True when a transfer was posted. Failures to open the tables are shown and answer false;
// other errors go on to the caller.
bool ExecutaGeraAL(const ChamadaGeraAL& chamada, const CriaJanelaAL& criaJanela,
                   const ImprimeAvisoAL& imprimeAviso);

} // namespace notera
