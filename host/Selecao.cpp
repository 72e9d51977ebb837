#include "Selecao.h"

#include "base/Cp1252.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int TamanhoJanela = 40; // rows read at a time: about two screens
constexpr int MargemAcima = 5;    // rows left above the current one before reading more

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
    : ds_(ds), campos_(std::move(campos)), titulos_(std::move(titulos)) {}

ModeloRegistros::Linha ModeloRegistros::linhaAtual() const {
    Linha l{ds_->ops->Bookmark(ds_), {}};
    for (int c : campos_)
        l.valores << valorDoCampo(ds_, c);
    return l;
}

int ModeloRegistros::recarrega() {
    beginResetModel();
    linhas_.clear();
    inicio_ = fim_ = true;
    int atual = -1;
    const int32_t marca = ds_->ops->Bookmark(ds_);
    if (marca >= 0) {
        linhas_.push_back(linhaAtual());
        fim_ = false;
        for (int i = 0; i < TamanhoJanela && !fim_; ++i) {
            if (ds_->ops->Next(ds_))
                linhas_.push_back(linhaAtual());
            else
                fim_ = true;
        }
        ds_->ops->GotoBookmark(ds_, marca);
        inicio_ = false;
        atual = 0;
        for (int i = 0; i < TamanhoJanela / 2 && !inicio_; ++i) {
            if (ds_->ops->Prior(ds_)) {
                linhas_.push_front(linhaAtual());
                ++atual;
            } else {
                inicio_ = true;
            }
        }
        ds_->ops->GotoBookmark(ds_, marca);
    }
    endResetModel();
    return atual;
}

bool ModeloRegistros::canFetchMore(const QModelIndex& pai) const {
    return !pai.isValid() && !fim_ && !linhas_.empty();
}

void ModeloRegistros::fetchMore(const QModelIndex& pai) {
    if (!canFetchMore(pai) || !ds_->ops->GotoBookmark(ds_, linhas_.back().marca)) return;
    std::vector<Linha> novas;
    while (static_cast<int>(novas.size()) < TamanhoJanela) {
        if (!ds_->ops->Next(ds_)) {
            fim_ = true;
            break;
        }
        novas.push_back(linhaAtual());
    }
    if (novas.empty()) return;
    const int n = static_cast<int>(linhas_.size());
    beginInsertRows({}, n, n + static_cast<int>(novas.size()) - 1);
    for (auto& l : novas)
        linhas_.push_back(std::move(l));
    endInsertRows();
}

int ModeloRegistros::buscaAntes(int n) {
    if (inicio_ || linhas_.empty() || !ds_->ops->GotoBookmark(ds_, linhas_.front().marca)) return 0;
    std::vector<Linha> novas; // nearest first
    while (static_cast<int>(novas.size()) < n) {
        if (!ds_->ops->Prior(ds_)) {
            inicio_ = true;
            break;
        }
        novas.push_back(linhaAtual());
    }
    if (novas.empty()) return 0;
    beginInsertRows({}, 0, static_cast<int>(novas.size()) - 1);
    for (auto& l : novas)
        linhas_.push_front(std::move(l));
    endInsertRows();
    return static_cast<int>(novas.size());
}

bool ModeloRegistros::vaiPara(int linha) const {
    if (linha < 0 || linha >= static_cast<int>(linhas_.size())) return false;
    return ds_->ops->GotoBookmark(ds_, linhas_[static_cast<std::size_t>(linha)].marca) != 0;
}

QVariant ModeloRegistros::data(const QModelIndex& indice, int papel) const {
    if (papel != Qt::DisplayRole || !indice.isValid() ||
        indice.row() >= static_cast<int>(linhas_.size()))
        return {};
    return linhas_[static_cast<std::size_t>(indice.row())].valores.value(indice.column());
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
    marcaInicial_ = ds->ops->Bookmark(ds);
    if (marcaInicial_ >= 0 && !campos_.empty()) inicial_ = valorDoCampo(ds, campos_[0]);

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
    tabela_->installEventFilter(this);
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
    // Reaching the top of the rows read so far reads the rows before them.
    connect(tabela_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
        if (v == tabela_->verticalScrollBar()->minimum()) buscaAcima();
    });
    connect(tabela_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) {
                if (!i.isValid()) return;
                if (i.row() < MargemAcima) buscaAcima();
                if (i.row() >= modelo_->rowCount() - MargemAcima && modelo_->canFetchMore({}))
                    modelo_->fetchMore({});
            });
    mostraAtual();
    busca_->setFocus();
}

void DialogoSelecao::mostraAtual() {
    seleciona(modelo_->recarrega());
}

void DialogoSelecao::buscaAcima() {
    if (!modelo_->temAntes()) return;
    auto* barra = tabela_->verticalScrollBar();
    const int antes = barra->value();
    const int n = modelo_->buscaAntes(TamanhoJanela);
    // The rows shown stay where they were on the screen.
    if (n > 0) barra->setValue(antes + n);
}

bool DialogoSelecao::eventFilter(QObject* alvo, QEvent* evento) {
    // Ctrl+Home and Ctrl+End reach the first and the last record, not only the rows read.
    if (alvo == tabela_ && evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        if (k->modifiers() & Qt::ControlModifier &&
            (k->key() == Qt::Key_Home || k->key() == Qt::Key_End)) {
            const bool fim = k->key() == Qt::Key_End;
            if (fim ? ds_->ops->Last(ds_) : ds_->ops->First(ds_)) mostraAtual();
            return true;
        }
    }
    return QDialog::eventFilter(alvo, evento);
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
    if (ds_->ops->Locate(ds_, campo, paraCp1252(texto).c_str(), 1)) mostraAtual();
}

bool DialogoSelecao::escolhe(const QString& chave) {
    if (campos_.empty() || !ds_->ops->Locate(ds_, campos_[0], paraCp1252(chave).c_str(), 0))
        return false;
    mostraAtual();
    accept();
    return true;
}

void DialogoSelecao::accept() {
    const QModelIndex i = tabela_->currentIndex();
    if (!i.isValid() || campos_.empty() || !modelo_->vaiPara(i.row())) {
        reject();
        return;
    }
    escolhido_ = valorDoCampo(ds_, campos_[0]);
    QDialog::accept();
}

void DialogoSelecao::reject() {
    if (marcaInicial_ >= 0) ds_->ops->GotoBookmark(ds_, marcaInicial_);
    escolhido_.clear();
    QDialog::reject();
}
