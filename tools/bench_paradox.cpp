// bench-paradox DIR [ROWS]: writes a Paradox tree whose company 001 keeps ROWS payables
// (10^6 by default) into DIR/paradox, then imports it into DIR/dados and prints the rate.
// Peak memory: run `notera-dados importar DIR/paradox OTHER` under /usr/bin/time -v.

#include "paradox/Paradox.h"
#include "paradox/Transporte.h"

#include "base/Money.h"

#include <charconv>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace fs = std::filesystem;
using paradox::Campo;
using paradox::Tipo;

int main(int argc, char** argv) {
    const char* uso = "uso: bench-paradox DIR [REGISTROS]\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::fputs(uso, stdout);
        return 0;
    }
    // An option it does not know is never taken for a directory to fill.
    long n = 1000000;
    if (argc > 2) {
        const std::string texto = argv[2];
        auto [fim, ec] = std::from_chars(texto.data(), texto.data() + texto.size(), n);
        if (ec != std::errc() || fim != texto.data() + texto.size() || n < 1) n = 0;
    }
    if (argc < 2 || argc > 3 || argv[1][0] == '-' || n < 1) {
        std::fputs(uso, stderr);
        return 2;
    }
    const fs::path dir = argv[1];
    try {
        fs::create_directories(dir / "paradox/Tabelas/001");
        {
            paradox::Gravador emp((dir / "paradox/Tabelas/TbEmp.DB").string(),
                                  {{"cod_emp", Tipo::Longo, 4}, {"nom_emp", Tipo::Alfa, 40}});
            emp.acrescenta({db::Valor(1), db::Valor("EMPRESA UM")});
            emp.fecha();
        }
        const std::vector<Campo> campos = {
            {"num_lan", Tipo::Longo, 4}, {"dat_lan", Tipo::Data, 4},  {"ven_lan", Tipo::Data, 4},
            {"ccf_lan", Tipo::Longo, 4}, {"ban_lan", Tipo::Longo, 4}, {"con_lan", Tipo::Longo, 4},
            {"dup_lan", Tipo::Alfa, 20}, {"his_lan", Tipo::Alfa, 60}, {"val_lan", Tipo::Moeda, 8},
            {"sit_lan", Tipo::Alfa, 2},  {"d_c_lan", Tipo::Alfa, 1},  {"bai_lan", Tipo::Alfa, 1},
            {"cen_lan", Tipo::Alfa, 11}, {"cde_lan", Tipo::Alfa, 30}, {"ccr_lan", Tipo::Alfa, 30},
            {"nal_lan", Tipo::Longo, 4}, {"emp_lan", Tipo::Longo, 4}};
        auto t0 = std::chrono::steady_clock::now();
        {
            paradox::Gravador g((dir / "paradox/Tabelas/001/TbLanPag.DB").string(), campos);
            for (long i = 1; i <= n; ++i) {
                double dia = 40000 + static_cast<double>(i % 3000);
                g.acrescenta(
                    {db::Valor(static_cast<std::int64_t>(i)), db::Valor::dataHora(dia),
                     db::Valor::dataHora(dia + 30), db::Valor(static_cast<int>(i % 500)),
                     db::Valor(1), db::Valor(3), db::Valor("AL " + std::to_string(i)),
                     db::Valor("TRANSFERÊNCIA ENTRE EMPRESAS DO GRUPO Nº " + std::to_string(i)),
                     db::Valor(base::Dinheiro::deDezMilesimos(i * 12345 % 100000000)),
                     db::Valor("R"), db::Valor(i % 2 ? "D" : "C"), db::Valor("S"), db::Valor("ADM"),
                     db::Valor("2.1.02.001"), db::Valor("1.1.01.005"),
                     db::Valor(static_cast<std::int64_t>(i)), db::Valor(2)});
            }
            g.fecha();
        }
        auto t1 = std::chrono::steady_clock::now();
        std::cout << "escrita Paradox de " << n
                  << " registros: " << std::chrono::duration<double>(t1 - t0).count() << " s\n";
        fs::remove_all(dir / "dados");
        auto r = paradox::importar((dir / "paradox").string(), (dir / "dados").string(), false,
                                   std::cout, std::cerr);
        auto t2 = std::chrono::steady_clock::now();
        double s = std::chrono::duration<double>(t2 - t1).count();
        std::cout << "importação de " << r.registros << " registros: " << s << " s, "
                  << static_cast<long>(static_cast<double>(r.registros) / s) << " registros/s\n";
        return r.ignoradas || r.recusado ? 1 : 0;
    } catch (const std::exception& e) {
        std::cerr << "bench-paradox: " << e.what() << "\n";
        return 1;
    }
}
