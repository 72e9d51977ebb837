// posta-sem-tela DIR: posts the fixed transfer of the fault harness into the data tree DIR
// without a form, the same source on Linux and on Windows, so that the rows both builds store
// can be compared. Prints the AL number; exit 0 when the transfer was posted whole.

#include "PostagemSemTela.h"

#include "base/BrFormat.h"
#include "notera/posting/Confirma.h"

#include <cstdio>
#include <memory>

using namespace notera;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: posta-sem-tela DIR\n");
        return 2;
    }
    try {
        Execucao ex(ServicosHost(nullptr, &postagem::reserva, &postagem::libera),
                    std::make_unique<postagem::SemTela>());
        ex.DataMovimento = base::Data{2026, 12, 10}.emDiasDelphi();
        ex.RefPagamentos = "NF 10";
        ex.TextoControle = "DUAS PLATAFORMAS";
        postagem::abreEmpresas(ex, argv[1]);
        const ResultadoPostagem r =
            PostaTransferencia(ex, postagem::transferencia("TRANSFERÊNCIA ENTRE EMPRESAS", 7));
        if (!r.Mensagem.empty()) std::fprintf(stderr, "mensagem: %s\n", r.Mensagem.c_str());
        std::printf("AL %d\n", r.NumeroAL);
        return r.NumeroAL > 0 && r.Confirmado && r.Concluida ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "erro: %s\n", e.what());
        return 1;
    }
}
