#include "AmbienteEmpresa.h"

#include "base/Texto.h"
#include "platform/System.h"

#include <filesystem>

namespace notera {

RegistroEmpresa RegistroEmpresa::doAtual(std::int32_t codigo, const db::Conjunto& QTbEmp) {
    RegistroEmpresa r;
    r.codigo = codigo;
    if (QTbEmp.vazio()) return r;
    r.cen_emp = static_cast<std::int32_t>(QTbEmp.campo("cen_emp").comoInteiro());
    r.cfg_emp = QTbEmp.campo("cfg_emp").comoTexto();
    return r;
}

void AmbienteEmpresa::adicionaCatalogo(db::Conjunto& conjunto, Quando quando) {
    itens_.push_back({&conjunto, true, quando});
}

void AmbienteEmpresa::adicionaTabela(db::Conjunto& conjunto, Quando quando) {
    itens_.push_back({&conjunto, false, quando});
}

void AmbienteEmpresa::define(const std::string& diretorioTabelas, RegistroEmpresa registro) {
    registro_ = std::move(registro);
    diretorio_ = diretorioDaEmpresa(diretorioTabelas, registro_.codigo);
    diretorioCatalogo_ = registro_.cen_emp < 1
                             ? diretorio_
                             : diretorioDaEmpresa(diretorioTabelas, registro_.cen_emp);
}

bool AmbienteEmpresa::gerencial(bool contabil) const {
    return contabil && configuracaoLigada(registro_.cfg_emp, 27);
}

void AmbienteEmpresa::fecha() {
    for (const Item& i : itens_)
        i.conjunto->fecha();
}

void AmbienteEmpresa::aponta() {
    for (const Item& i : itens_)
        i.conjunto->defineDiretorio(i.catalogo ? diretorioCatalogo_ : diretorio_);
}

void AmbienteEmpresa::abre(bool contabil) {
    for (const Item& i : itens_) {
        const bool abre = i.quando == Quando::Sempre ||
                          (i.quando == Quando::Contabil && contabil) ||
                          (i.quando == Quando::Gerencial && gerencial(contabil));
        if (abre) i.conjunto->abre();
    }
}

std::string diretorioDaEmpresa(const std::string& diretorioTabelas, int codigo) {
    const std::string n =
        codigo >= 0
            ? base::justificaDireita(std::to_string(codigo), 3, '0')
            : '-' + base::justificaDireita(std::to_string(-static_cast<long long>(codigo)), 3, '0');
    return diretorioTabelas + platform::SeparadorDeDiretorios + n;
}

bool mesmoDiretorio(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool r = std::filesystem::equivalent(base::caminhoUtf8(a), base::caminhoUtf8(b), ec);
    return !ec && r;
}

std::string falhaDaEmpresa(int codigo, const std::string& dirEmpresa,
                           const std::string& dirCatalogo, const char* erro) {
    std::string s = "empresa " + std::to_string(codigo) + ", diretório " + dirEmpresa;
    if (dirCatalogo != dirEmpresa) s += ", catálogos em " + dirCatalogo;
    for (const std::string* d : {&dirEmpresa, &dirCatalogo}) {
        std::error_code ec;
        if (!std::filesystem::is_directory(base::caminhoUtf8(*d), ec))
            return s + ": o diretório " + *d + " não existe";
    }
    return s + ": " + erro;
}

bool configuracaoLigada(const std::string& cfg, int posicao) {
    return posicao >= 1 && base::caractere(cfg, static_cast<std::size_t>(posicao - 1)) == U'S';
}

} // namespace notera
