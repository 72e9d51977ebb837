// notera-host transferencia: calls GeraAL of Notera.dll with the command line's values and
// plays the host's services: the selection dialog and the table reservations.

#include "Comum.h"
#include "ImpressoraArquivo.h"
#include "Selecao.h"
#include "Texto16.h"
#include "host/Reservas.h"

#include "base/Cp1252.h"
#include "notera/notera.h"

#include <cstdio>

namespace host {

namespace {

// The services are plain functions without a context argument, so the run's context is
// reached through this pointer while GeraAL runs.
struct Contexto {
    RoboWin32* robo = nullptr;
    Registro* log = nullptr;
    Reservas* reservas = nullptr;
};
Contexto* contexto = nullptr;

std::vector<std::string> lista(const char* const* itens, int32_t ultimo) {
    std::vector<std::string> l;
    for (int32_t i = 0; itens && i <= ultimo; ++i)
        l.push_back(base::cp1252ParaUtf8(itens[i] ? itens[i] : ""));
    return l;
}

void NOTERA_CALL selecionaRegistro(const char* titulo, NoteraDataSet* ds,
                                   const char* const* colunas, int32_t ultimaColuna,
                                   const char* const* titulos, int32_t ultimoTitulo, int32_t,
                                   NoteraStrings* resultado, NoteraField*) {
    SelecaoDeRegistro sel(ds, lista(colunas, ultimaColuna), lista(titulos, ultimoTitulo));
    if (auto chave = mostraSelecao(base::cp1252ParaUtf8(titulo ? titulo : ""), sel, contexto->robo))
        resultado->ops->Add(resultado, base::utf8ParaCp1252(*chave).c_str());
}

uint8_t NOTERA_CALL reservaTabelas(const char* const* tabelas, int32_t ultimo) {
    const auto nomes = lista(tabelas, ultimo);
    bool ok = !(contexto->robo && contexto->robo->proximaReservaRecusada());
    if (ok) ok = contexto->reservas->reserva(nomes);
    contexto->log->escreve({{"event", "reserve"}, {"tables", nomes}, {"answer", ok}});
    // A busy table is refused without a word; a server that cannot be asked is not.
    if (!ok && !contexto->reservas->erro().empty())
        ::MessageBoxW(::GetActiveWindow(), paraUtf16(contexto->reservas->erro()).c_str(),
                      L"Reserva de tabelas", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    return ok ? 1 : 0;
}

void NOTERA_CALL liberaTabelas(const char* const* tabelas, int32_t ultimo) {
    const auto nomes = lista(tabelas, ultimo);
    contexto->reservas->libera(nomes);
    contexto->log->escreve({{"event", "release"}, {"tables", nomes}});
}

} // namespace

int comandoTransferencia(const std::vector<std::string>& args) {
    int saida = 0;
    auto a = leTransferencia(args, '\\', saida);
    if (!a) return saida;

    Sessao s;
    if (int r = preparaSessao(a->sessao, s); r != 0) return r;
    // A fresh Wine prefix has no printer: a print answer needs one that writes to a file.
    if (s.robo->pedeImpressao()) {
        std::string erro;
        if (!garanteImpressoraPostScript(erro)) s.robo->registraErro(erro);
    }

    Biblioteca lib("Notera.dll");
    auto geraAL = reinterpret_cast<decltype(&GeraAL)>(lib.simbolo("GeraAL"));
    if (!geraAL) {
        std::fprintf(stderr, "notera-host: Notera.dll: %s\n",
                     lib.erro().empty() ? "sem GeraAL" : lib.erro().c_str());
        return 1;
    }

    Reservas reservas(a->dirDados);
    Contexto ctx{s.robo.get(), &s.log, &reservas};
    contexto = &ctx;
    s.robo->iniciaPassos("FormAL");
    const bool resultado =
        geraAL(a->dados.data(), a->empresa, a->contabil ? 1 : 0, a->valor, a->lanPag.data(),
               a->chqPag.data(), a->lanRec.data(), a->semSelecao ? nullptr : &selecionaRegistro,
               a->ref.c_str(), &reservaTabelas, &liberaTabelas, a->controle.c_str(), a->data) != 0;
    s.robo->conclui();
    contexto = nullptr;

    s.log.escreve({{"event", "result"}, {"value", resultado}});
    if (s.robo->falhou()) return SaidaRoteiro;
    return resultado ? 0 : 1;
}

} // namespace host
