#include "Selecao.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int TamanhoJanela = JanelaRegistros::Tamanho;
constexpr int MargemAcima = 5; // rows left above the current one before reading more

std::vector<std::string> lista(const QStringList& l) {
    std::vector<std::string> v;
    for (const auto& s : l)
        v.push_back(s.toStdString());
    return v;
}

} // namespace

ModeloRegistros::ModeloRegistros(NoteraDataSet* ds, std::vector<int> campos, QStringList titulos)
    : janela_(ds, std::move(campos)), titulos_(std::move(titulos)) {}

int ModeloRegistros::recarrega() {
    beginResetModel();
    const int atual = janela_.recarrega();
    endResetModel();
    return atual;
}

bool ModeloRegistros::canFetchMore(const QModelIndex& pai) const {
    return !pai.isValid() && janela_.temDepois();
}

void ModeloRegistros::fetchMore(const QModelIndex& pai) {
    if (!canFetchMore(pai)) return;
    auto novas = janela_.leDepois(TamanhoJanela);
    if (novas.empty()) return;
    const int n = rowCount();
    beginInsertRows({}, n, n + static_cast<int>(novas.size()) - 1);
    janela_.acrescenta(std::move(novas));
    endInsertRows();
}

int ModeloRegistros::buscaAntes(int n) {
    auto novas = janela_.leAntes(n);
    if (novas.empty()) return 0;
    const int k = static_cast<int>(novas.size());
    beginInsertRows({}, 0, k - 1);
    janela_.antepoe(std::move(novas));
    endInsertRows();
    return k;
}

QVariant ModeloRegistros::data(const QModelIndex& indice, int papel) const {
    if (papel != Qt::DisplayRole || !indice.isValid() || indice.row() >= rowCount()) return {};
    return QString::fromStdString(janela_.valor(static_cast<std::size_t>(indice.row()),
                                                static_cast<std::size_t>(indice.column())));
}

QVariant ModeloRegistros::headerData(int secao, Qt::Orientation o, int papel) const {
    if (papel == Qt::DisplayRole && o == Qt::Horizontal) return titulos_.value(secao);
    return {};
}

DialogoSelecao::DialogoSelecao(const QString& titulo, NoteraDataSet* ds, const QStringList& campos,
                               const QStringList& titulos, QWidget* pai)
    : QDialog(pai), selecao_(ds, lista(campos), lista(titulos)), nomes_(campos), titulos_(titulos),
      inicial_(QString::fromStdString(selecao_.valorInicial())) {
    setObjectName(QStringLiteral("SelecionaRegistro"));
    setWindowTitle(titulo);
    setModal(true);

    busca_ = new QLineEdit(this);
    busca_->setObjectName(QStringLiteral("Pesquisa"));
    busca_->setPlaceholderText(QStringLiteral("Digite para pesquisar"));
    modelo_ = new ModeloRegistros(ds, selecao_.indices(), titulos);
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
            NoteraDataSet* ds = selecao_.dados();
            if (fim ? ds->ops->Last(ds) : ds->ops->First(ds)) mostraAtual();
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
    if (selecao_.pesquisa(texto.toStdString())) mostraAtual();
}

bool DialogoSelecao::escolhe(const QString& chave) {
    if (!selecao_.localiza(chave.toStdString())) return false;
    mostraAtual();
    accept();
    return true;
}

void DialogoSelecao::accept() {
    const QModelIndex i = tabela_->currentIndex();
    auto chave = i.isValid() ? selecao_.escolhe(modelo_->janela(), i.row()) : std::nullopt;
    if (!chave) {
        reject();
        return;
    }
    escolhido_ = QString::fromStdString(*chave);
    QDialog::accept();
}

void DialogoSelecao::reject() {
    selecao_.restaura();
    escolhido_.clear();
    QDialog::reject();
}
