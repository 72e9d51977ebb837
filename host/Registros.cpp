#include "Registros.h"

#include "base/Cp1252.h"
#include "base/Texto.h"

#include <algorithm>

std::string valorDoCampo(NoteraDataSet* ds, int campo) {
    std::string buf(256, '\0');
    int32_t n = ds->ops->Value(ds, campo, buf.data(), static_cast<int32_t>(buf.size()));
    if (n >= static_cast<int32_t>(buf.size())) {
        buf.assign(static_cast<std::size_t>(n) + 1, '\0');
        n = ds->ops->Value(ds, campo, buf.data(), static_cast<int32_t>(buf.size()));
    }
    buf.resize(static_cast<std::size_t>(std::clamp<int32_t>(n, 0, int32_t(buf.size()) - 1)));
    return base::cp1252ParaUtf8(buf);
}

JanelaRegistros::JanelaRegistros(NoteraDataSet* ds, std::vector<int> campos)
    : ds_(ds), campos_(std::move(campos)) {}

const std::string& JanelaRegistros::valor(std::size_t linha, std::size_t coluna) const {
    static const std::string vazio;
    if (linha >= linhas_.size() || coluna >= linhas_[linha].valores.size()) return vazio;
    return linhas_[linha].valores[coluna];
}

JanelaRegistros::Linha JanelaRegistros::linhaAtual() const {
    Linha l{ds_->ops->Bookmark(ds_), {}};
    for (int c : campos_)
        l.valores.push_back(valorDoCampo(ds_, c));
    return l;
}

int JanelaRegistros::recarrega() {
    linhas_.clear();
    inicio_ = fim_ = true;
    const int32_t marca = ds_->ops->Bookmark(ds_);
    if (marca < 0) return -1;
    linhas_.push_back(linhaAtual());
    fim_ = false;
    for (int i = 0; i < Tamanho && !fim_; ++i) {
        if (ds_->ops->Next(ds_))
            linhas_.push_back(linhaAtual());
        else
            fim_ = true;
    }
    ds_->ops->GotoBookmark(ds_, marca);
    inicio_ = false;
    int atual = 0;
    for (int i = 0; i < Tamanho / 2 && !inicio_; ++i) {
        if (ds_->ops->Prior(ds_)) {
            linhas_.push_front(linhaAtual());
            ++atual;
        } else {
            inicio_ = true;
        }
    }
    ds_->ops->GotoBookmark(ds_, marca);
    return atual;
}

std::vector<JanelaRegistros::Linha> JanelaRegistros::leDepois(int n) {
    std::vector<Linha> novas;
    if (!temDepois() || !ds_->ops->GotoBookmark(ds_, linhas_.back().marca)) return novas;
    while (static_cast<int>(novas.size()) < n) {
        if (!ds_->ops->Next(ds_)) {
            fim_ = true;
            break;
        }
        novas.push_back(linhaAtual());
    }
    return novas;
}

std::vector<JanelaRegistros::Linha> JanelaRegistros::leAntes(int n) {
    std::vector<Linha> novas;
    if (inicio_ || linhas_.empty() || !ds_->ops->GotoBookmark(ds_, linhas_.front().marca))
        return novas;
    while (static_cast<int>(novas.size()) < n) {
        if (!ds_->ops->Prior(ds_)) {
            inicio_ = true;
            break;
        }
        novas.push_back(linhaAtual());
    }
    return novas;
}

void JanelaRegistros::acrescenta(std::vector<Linha> novas) {
    for (auto& l : novas)
        linhas_.push_back(std::move(l));
}

void JanelaRegistros::antepoe(std::vector<Linha> novas) {
    for (auto& l : novas)
        linhas_.push_front(std::move(l));
}

bool JanelaRegistros::vaiPara(int linha) const {
    if (linha < 0 || linha >= static_cast<int>(linhas_.size())) return false;
    return ds_->ops->GotoBookmark(ds_, linhas_[static_cast<std::size_t>(linha)].marca) != 0;
}

SelecaoDeRegistro::SelecaoDeRegistro(NoteraDataSet* ds, std::vector<std::string> campos,
                                     std::vector<std::string> titulos)
    : ds_(ds), nomes_(std::move(campos)), titulos_(std::move(titulos)) {
    for (const auto& c : nomes_)
        campos_.push_back(ds->ops->FieldIndex(ds, base::utf8ParaCp1252(c).c_str()));
    marcaInicial_ = ds->ops->Bookmark(ds);
    if (marcaInicial_ >= 0 && !campos_.empty()) inicial_ = valorDoCampo(ds, campos_[0]);
}

bool SelecaoDeRegistro::pesquisa(const std::string& texto) {
    if (texto.empty() || campos_.empty()) return false;
    const bool numero = base::leInteiro64(texto).has_value();
    const int campo = (numero || campos_.size() < 2) ? campos_[0] : campos_[1];
    return ds_->ops->Locate(ds_, campo, base::utf8ParaCp1252(texto).c_str(), 1) != 0;
}

bool SelecaoDeRegistro::localiza(const std::string& chave) {
    return !campos_.empty() &&
           ds_->ops->Locate(ds_, campos_[0], base::utf8ParaCp1252(chave).c_str(), 0) != 0;
}

std::optional<std::string> SelecaoDeRegistro::escolhe(const JanelaRegistros& janela, int linha) {
    if (campos_.empty() || !janela.vaiPara(linha)) return std::nullopt;
    return valorDoCampo(ds_, campos_[0]);
}

void SelecaoDeRegistro::restaura() {
    if (marcaInicial_ >= 0) ds_->ops->GotoBookmark(ds_, marcaInicial_);
}
