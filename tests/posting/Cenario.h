#pragma once
// A data directory with the register and companies 1 (origin) and 2 (destination), a run
// whose messages and table reservations are recorded, and SQL reads of what was stored.

#include "Apoio.h"
#include "Host.h"
#include "base/BrFormat.h"
#include "notera/core/Execucao.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace cenario {

struct Caixa {
    platform::Icone icone;
    std::string texto;
    bool operator==(const Caixa&) const = default;
};

// Records every box and answers its first button.
class MensagensGravadas : public notera::Mensagens {
public:
    std::vector<Caixa> caixas;
    int mostra(platform::Icone icone, const std::string& texto,
               const std::vector<std::string>&) override {
        caixas.push_back({icone, texto});
        return 0;
    }
};

// The host's reservation service: answers as told and records the lists asked and released.
struct Reservas {
    static inline bool concede = true;
    static inline std::vector<std::vector<std::string>> pedidas, liberadas;
    static void limpa() {
        concede = true;
        pedidas.clear();
        liberadas.clear();
    }
};

// A posting date: days since 1899-12-30.
inline double dia(int ano, int mes, int d) {
    return base::Data{ano, mes, d}.emDiasDelphi();
}

class Cenario : public ::testing::Test {
protected:
    Cenario();

    // DIR/Tabelas/tabelas.sqlite for 0, else the company's file.
    std::string arquivo(int empresa) const;
    std::string diretorio(int empresa) const;
    void sql(int empresa, const std::string& comando) const;
    // Rows of a query, columns joined by "|".
    std::vector<std::string> linhas(int empresa, const std::string& consulta) const;
    std::string valor(int empresa, const std::string& consulta) const;

    // Points and opens the data sets the posting reads.
    void abreRegistro();
    void abreOrigem(bool contabil);
    void abreDestino(bool contabil);

    // Periods: Dec 2003 to Jan 2004 lot 7, Feb 2004 lot 12, Mar 2024 lot 1234; TbCtl
    // lists 007/2004 and 1234/2024 only.
    void periodosPadrao(int empresa) const;

    std::vector<Caixa>& caixas() { return mensagens_->caixas; }

    apoio::DirTemp dir_;
    std::unique_ptr<notera::Execucao> ex_;

private:
    MensagensGravadas* mensagens_ = nullptr;
};

} // namespace cenario
