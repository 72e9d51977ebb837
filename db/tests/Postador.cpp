// A workstation posting in a loop, for the concurrency and crash tests of the store:
//   db_postador DADOS RODADAS [congela]
// With "congela" it freezes inside its last unit, after its writes and before the commit,
// holding the tree's lock (prints "congelado"), as a workstation that hung would.
// Each round is one unit of work across the register and two companies: the destination's
// counter in TbEmp, a payable in company 1, a receivable and an AL register record in
// company 2, all numbered inside the unit. Prints "ok N" after each commit.

#include "db/Armazem.h"
#include "db/Conjunto.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && std::string(argv[3]) == "congela")) {
        std::fputs("uso: db_postador DADOS RODADAS [congela]\n", stderr);
        return 2;
    }
    const std::string dados = argv[1];
    const int rodadas = std::atoi(argv[2]);
    const bool congela = argc == 4;
    const std::string registro = dados + "/Tabelas";
    try {
        db::Consulta emp(registro, {"Select *", "From TbEmp"});
        db::Tabela pag(registro + "/001", "TbLanPag");
        db::Tabela rec(registro + "/002", "TbLanRec");
        db::Tabela cal(registro + "/002", "TbCal");
        for (db::Conjunto* c : std::initializer_list<db::Conjunto*>{&emp, &pag, &rec, &cal})
            c->abre();
        for (int i = 0; i < rodadas; ++i) {
            db::UnidadeDeTrabalho u(registro);
            emp.releia();
            if (!emp.localiza("cod_emp", 2)) throw db::Erro("empresa 2 não está no cadastro");
            emp.edita();
            const auto al = emp.campo("nal_emp").comoInteiro() + 1;
            emp.define("nal_emp", al);
            emp.grava();
            pag.acrescenta();
            pag.define("num_lan", pag.proximoNumero("num_lan"));
            pag.define("nal_lan", al);
            pag.grava();
            rec.acrescenta();
            rec.define("num_lan", rec.proximoNumero("num_lan"));
            rec.define("nal_lan", al);
            rec.grava();
            cal.acrescenta();
            cal.define("num_cal", cal.proximoNumero("num_cal"));
            cal.define("nal_cal", al);
            cal.grava();
            if (congela && i == rodadas - 1) {
                std::printf("congelado\n");
                std::fflush(stdout);
                for (;;)
                    pause();
            }
            u.confirma();
            std::printf("ok %lld\n", static_cast<long long>(al));
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "db_postador: %s\n", e.what());
        return 1;
    }
    return 0;
}
