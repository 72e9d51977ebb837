#include "Cenario.h"

#include "notera/notera.h"

#include <sstream>

namespace cenario {

namespace {

std::vector<std::string> lista(const char* const* tabelas, int32_t ultimo) {
    std::vector<std::string> l;
    for (int32_t i = 0; i <= ultimo; ++i)
        l.emplace_back(tabelas[i]);
    return l;
}

uint8_t NOTERA_CALL reserva(const char* const* tabelas, int32_t ultimo) {
    Reservas::pedidas.push_back(lista(tabelas, ultimo));
    return Reservas::concede ? 1 : 0;
}

void NOTERA_CALL libera(const char* const* tabelas, int32_t ultimo) {
    Reservas::liberadas.push_back(lista(tabelas, ultimo));
}

} // namespace

Cenario::Cenario() {
    Reservas::limpa();
    const auto r =
        apoio::executa({apoio::binario("notera-dados"), "criar", dir_.caminho(), "1", "2"});
    EXPECT_EQ(r.saida, 0) << r.err;
    auto m = std::make_unique<MensagensGravadas>();
    mensagens_ = m.get();
    ex_ = std::make_unique<notera::Execucao>(notera::ServicosHost(nullptr, reserva, libera),
                                             std::move(m));
    ex_->DirTabelas = (diretorio(0));
    ex_->TabDestino.Ambiente.define(ex_->DirTabelas, notera::RegistroEmpresa{2, 0, {}});
}

std::string Cenario::diretorio(int empresa) const {
    if (empresa == 0) return dir_ / "Tabelas";
    return notera::diretorioDaEmpresa((dir_ / "Tabelas"), empresa);
}

std::string Cenario::arquivo(int empresa) const {
    return diretorio(empresa) + "/tabelas.sqlite";
}

void Cenario::sql(int empresa, const std::string& comando) const {
    apoio::sql(arquivo(empresa), comando);
}

std::vector<std::string> Cenario::linhas(int empresa, const std::string& consulta) const {
    std::vector<std::string> r;
    std::istringstream in(apoio::sql(arquivo(empresa), consulta));
    for (std::string l; std::getline(in, l);)
        r.push_back(l);
    return r;
}

std::string Cenario::valor(int empresa, const std::string& consulta) const {
    auto l = linhas(empresa, consulta);
    return l.empty() ? std::string() : l.front();
}

void Cenario::abreRegistro() {
    auto& emp = ex_->TabPadroes.QTbEmp;
    emp.defineDiretorio(diretorio(0));
    emp.abre();
}

void Cenario::abreOrigem(bool contabil) {
    auto& o = ex_->TabOrigem;
    for (db::Tabela* t : {&o.TbLanPag, &o.TbChqPag, &o.TbLctOri, &o.TbTotOri})
        t->defineDiretorio(diretorio(1));
    o.TbLanPag.abre();
    o.TbChqPag.abre();
    if (contabil) {
        o.TbLctOri.abre();
        o.TbTotOri.abre();
    }
}

void Cenario::abreDestino(bool contabil) {
    auto& d = ex_->TabDestino;
    for (db::Tabela* t : {&d.TbLanRec, &d.TbLctDes, &d.TbTotDes})
        t->defineDiretorio(diretorio(2));
    d.TbLanRec.abre();
    if (contabil) {
        d.TbLctDes.abre();
        d.TbTotDes.abre();
    }
}

void Cenario::periodosPadrao(int empresa) const {
    sql(empresa, "INSERT INTO TBPERLOT (INI_PER, FIM_PER, LOT_PER) VALUES "
                 "('2003-12-01', '2004-01-31', 7), ('2004-02-01', '2004-02-29', 12), "
                 "('2024-03-01', '2024-03-31', 1234);"
                 "INSERT INTO TbCtl (num_lot) VALUES ('007/2004'), ('1234/2024');");
}

} // namespace cenario
