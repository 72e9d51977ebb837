#include "Selecao.h"

#include "base/Cp1252.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int TamanhoJanela = 200;

QString deCp1252(const std::string& s) {
    return QString::fromStdString(base::cp1252ParaUtf8(s));
}
std::string paraCp1252(const QString& s) {
    return base::utf8ParaCp1252(s.toStdString());
}

} // namespace

QString valorDoCampo(NoteraDataSet* ds, int campo) {
    std::string buf(256, '\0');
    int32_t n = ds->ops->Value(ds, campo, buf.data(), static_cast<int32_t>(buf.size()));
    if (n >= static_cast<int32_t>(buf.size())) {
        buf.assign(static_cast<std::size_t>(n) + 1, '\0');
        n = ds->ops->Value(ds, campo, buf.data(), static_cast<int32_t>(buf.size()));
    }
    buf.resize(static_cast<std::size_t>(std::max(n, 0)));
    return deCp1252(buf);
}

ModeloRegistros::ModeloRegistros(NoteraDataSet* ds, std::vector<int> campos, QStringList titulos)
    : ds_(ds), campos_(std::move(campos)), titulos_(std::move(titulos)),
      total_(ds->ops->Count(ds)) {}

void ModeloRegistros::carregaJanela(int linha) const {
    if (cache_.size() > 20 * TamanhoJanela) cache_.clear();
    const int inicio = std::max(0, linha - TamanhoJanela / 4);
    if (!ds_->ops->MoveTo(ds_, inicio)) return;
    for (int i = inicio; i < total_ && i < inicio + TamanhoJanela; ++i) {
        QStringList valores;
        for (int c : campos_)
            valores << valorDoCampo(ds_, c);
        cache_[i] = valores;
        if (!ds_->ops->Next(ds_)) break;
    }
}

QVariant ModeloRegistros::data(const QModelIndex& indice, int papel) const {
    if (papel != Qt::DisplayRole || !indice.isValid()) return {};
    auto it = cache_.find(indice.row());
    if (it == cache_.end()) {
        carregaJanela(indice.row());
        it = cache_.find(indice.row());
        if (it == cache_.end()) return {};
    }
    return it->second.value(indice.column());
}

QVariant ModeloRegistros::headerData(int secao, Qt::Orientation o, int papel) const {
    if (papel == Qt::DisplayRole && o == Qt::Horizontal) return titulos_.value(secao);
    return {};
}

DialogoSelecao::DialogoSelecao(const QString& titulo, NoteraDataSet* ds, const QStringList& campos,
                               const QStringList& titulos, QWidget* pai)
    : QDialog(pai), ds_(ds), nomes_(campos), titulos_(titulos) {
    setObjectName(QStringLiteral("SelecionaRegistro"));
    setWindowTitle(titulo);
    setModal(true);
    for (const auto& c : campos)
        campos_.push_back(ds->ops->FieldIndex(ds, paraCp1252(c).c_str()));
    posicaoInicial_ = ds->ops->Position(ds);
    if (posicaoInicial_ >= 0 && !campos_.empty()) inicial_ = valorDoCampo(ds, campos_[0]);

    busca_ = new QLineEdit(this);
    busca_->setObjectName(QStringLiteral("Pesquisa"));
    busca_->setPlaceholderText(QStringLiteral("Digite para pesquisar"));
    modelo_ = new ModeloRegistros(ds, campos_, titulos);
    modelo_->setParent(this);
    tabela_ = new QTableView(this);
    tabela_->setObjectName(QStringLiteral("Registros"));
    tabela_->setModel(modelo_);
    tabela_->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabela_->setSelectionMode(QAbstractItemView::SingleSelection);
    tabela_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tabela_->verticalHeader()->hide();
    tabela_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    tabela_->horizontalHeader()->setStretchLastSection(true);
    auto* botoes = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* l = new QVBoxLayout(this);
    l->addWidget(busca_);
    l->addWidget(tabela_, 1);
    l->addWidget(botoes);
    resize(560, 420);

    connect(botoes, &QDialogButtonBox::accepted, this, &DialogoSelecao::accept);
    connect(botoes, &QDialogButtonBox::rejected, this, &DialogoSelecao::reject);
    connect(tabela_, &QTableView::doubleClicked, this, &DialogoSelecao::accept);
    connect(busca_, &QLineEdit::textEdited, this, &DialogoSelecao::pesquisa);
    connect(busca_, &QLineEdit::returnPressed, this, &DialogoSelecao::accept);
    seleciona(std::max(posicaoInicial_, 0));
    busca_->setFocus();
}

void DialogoSelecao::seleciona(int linha) {
    if (linha < 0 || linha >= modelo_->rowCount()) return;
    const QModelIndex i = modelo_->index(linha, 0);
    tabela_->setCurrentIndex(i);
    tabela_->scrollTo(i, QAbstractItemView::PositionAtCenter);
}

void DialogoSelecao::pesquisa(const QString& texto) {
    if (texto.isEmpty() || campos_.empty()) return;
    bool numero = false;
    texto.toLongLong(&numero);
    const int campo = (numero || campos_.size() < 2) ? campos_[0] : campos_[1];
    const int antes = ds_->ops->Position(ds_);
    if (ds_->ops->Locate(ds_, campo, paraCp1252(texto).c_str(), 1))
        seleciona(ds_->ops->Position(ds_));
    else if (antes >= 0)
        ds_->ops->MoveTo(ds_, antes);
}

bool DialogoSelecao::escolhe(const QString& chave) {
    if (campos_.empty() || !ds_->ops->Locate(ds_, campos_[0], paraCp1252(chave).c_str(), 0))
        return false;
    seleciona(ds_->ops->Position(ds_));
    accept();
    return true;
}

void DialogoSelecao::accept() {
    const QModelIndex i = tabela_->currentIndex();
    if (!i.isValid() || campos_.empty() || !ds_->ops->MoveTo(ds_, i.row())) {
        reject();
        return;
    }
    escolhido_ = valorDoCampo(ds_, campos_[0]);
    QDialog::accept();
}

void DialogoSelecao::reject() {
    if (posicaoInicial_ >= 0) ds_->ops->MoveTo(ds_, posicaoInicial_);
    escolhido_.clear();
    QDialog::reject();
}
