#include "PostagemSemTela.h"

#include "notera/form/TextosTransferencia.h"

#include <cstdio>

namespace postagem {

using namespace notera;

int SemTela::mostra(platform::Icone, const std::string& texto,
                    const std::vector<std::string>& botoes) {
    std::fprintf(stderr, "mensagem: %s\n", texto.c_str());
    return static_cast<int>(botoes.size()) - 1;
}

uint8_t NOTERA_CALL reserva(const char* const*, int32_t) {
    return 1;
}
void NOTERA_CALL libera(const char* const*, int32_t) {}

void abreEmpresas(Execucao& ex, const std::string& dados) {
    ex.DirTabelas = (dados + "/Tabelas");
    ex.TabDestino.Ambiente.define(ex.DirTabelas, RegistroEmpresa{1, 0, {}});
    const std::string destino = ex.TabDestino.Ambiente.diretorio();
    ex.TabPadroes.QTbEmp.defineDiretorio(ex.DirTabelas);
    ex.TabPadroes.QTbEmp.abre();
    auto& d = ex.TabDestino;
    for (db::Conjunto* c :
         {static_cast<db::Conjunto*>(&d.QTbPla), static_cast<db::Conjunto*>(&d.QTbBan),
          static_cast<db::Conjunto*>(&d.TbLanRec), static_cast<db::Conjunto*>(&d.TbLctDes),
          static_cast<db::Conjunto*>(&d.TbTotDes)}) {
        c->defineDiretorio(destino);
        c->abre();
    }
    auto& o = ex.TabOrigem;
    const std::string origem = (ex.DirTabelas + "/002");
    for (db::Conjunto* c :
         {static_cast<db::Conjunto*>(&o.QTbPla), static_cast<db::Conjunto*>(&o.QTbBan),
          static_cast<db::Conjunto*>(&o.QTbHis), static_cast<db::Conjunto*>(&o.TbLanPag),
          static_cast<db::Conjunto*>(&o.TbChqPag), static_cast<db::Conjunto*>(&o.TbLctOri),
          static_cast<db::Conjunto*>(&o.TbTotOri)}) {
        c->defineDiretorio(origem);
        c->abre();
    }
}

DadosTransferencia transferencia(const std::string& historico, std::int32_t cheque) {
    TextosTransferencia d;
    auto& e = d.estado;
    e.CodEmpresa = 2;
    e.CodEmpDestino = 1;
    e.OrigemContabil = true;
    e.CodFornecedor = 1;
    e.CodBanco2 = 1;
    e.CodHistPad2 = 1;
    e.CodHisPadBan = 4;
    e.ContaCred2 = std::string("1.1.01.002");
    e.ContaDeb2 = std::string("2.1.01.001");
    e.CodCliente = 3;
    e.CodHistPad1 = 3;
    e.ContaCred1 = std::string("1.1.03.001");
    d.Valor = std::string("1500,00");
    d.HistVar1 = historico;
    // Two cheques in a grid of 9 columns.
    d.Cheques.redimensiona(9, 3);
    e.GradeAux.redimensiona(9, 3);
    const char* linhas[2][9] = {{"15/12/2026", "BANCO DO BRASIL", "", "1000,00", "PAGAMENTO",
                                 "P - Pré-Datado", "", "", "104"},
                                {"20/12/2026", "BANCO DO BRASIL", "", "500,00", "PAGAMENTO",
                                 "P - Pré-Datado", "", "", "104"}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 9; ++c)
            d.Cheques.defineCelula(c, r + 1, std::string(linhas[r][c]));
        d.Cheques.defineCelula(2, r + 1, std::to_string(cheque + r));
        e.GradeAux.defineCelula(1, r + 1, std::string("1"));
        e.GradeAux.defineCelula(8, r + 1, std::string("1.1.01.002"));
    }
    return LeTransferencia(d);
}

} // namespace postagem
