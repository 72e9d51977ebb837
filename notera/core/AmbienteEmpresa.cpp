#include "AmbienteEmpresa.h"

#include <QFileInfo>

namespace notera {

RegistroEmpresa RegistroEmpresa::doAtual(std::int32_t codigo, const db::Conjunto& QTbEmp) {
    RegistroEmpresa r;
    r.codigo = codigo;
    if (QTbEmp.vazio()) return r;
    r.cen_emp = static_cast<std::int32_t>(QTbEmp.campo("cen_emp").comoInteiro());
    r.cfg_emp = QString::fromStdString(QTbEmp.campo("cfg_emp").comoTexto());
    return r;
}

void AmbienteEmpresa::adicionaCatalogo(db::Conjunto& conjunto, Quando quando) {
    itens_.push_back({&conjunto, true, quando});
}

void AmbienteEmpresa::adicionaTabela(db::Conjunto& conjunto, Quando quando) {
    itens_.push_back({&conjunto, false, quando});
}

void AmbienteEmpresa::define(const QString& diretorioTabelas, RegistroEmpresa registro) {
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
        i.conjunto->defineDiretorio((i.catalogo ? diretorioCatalogo_ : diretorio_).toStdString());
}

void AmbienteEmpresa::abre(bool contabil) {
    for (const Item& i : itens_) {
        const bool abre = i.quando == Quando::Sempre ||
                          (i.quando == Quando::Contabil && contabil) ||
                          (i.quando == Quando::Gerencial && gerencial(contabil));
        if (abre) i.conjunto->abre();
    }
}

QString diretorioDaEmpresa(const QString& diretorioTabelas, int codigo) {
    QString n = QString::number(codigo);
    if (codigo >= 0)
        n = n.rightJustified(3, '0');
    else
        n = '-' + QString::number(-static_cast<long long>(codigo)).rightJustified(3, '0');
    return diretorioTabelas + '/' + n;
}

QString falhaDaEmpresa(int codigo, const QString& dirEmpresa, const QString& dirCatalogo,
                       const char* erro) {
    QString s = QStringLiteral("empresa %1, diretório %2").arg(codigo).arg(dirEmpresa);
    if (dirCatalogo != dirEmpresa) s += QStringLiteral(", catálogos em %1").arg(dirCatalogo);
    for (const QString& d : {dirEmpresa, dirCatalogo})
        if (!QFileInfo(d).isDir()) return s + QStringLiteral(": o diretório %1 não existe").arg(d);
    return s + QStringLiteral(": ") + QString::fromStdString(erro);
}

bool configuracaoLigada(const QString& cfg, int posicao) {
    return cfg.size() >= posicao && cfg[posicao - 1] == 'S';
}

} // namespace notera
