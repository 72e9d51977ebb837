#include "FormAL.h"

#include "GradeCheques.h"
#include "platform/Dialogs.h"
#include "platform/Memoria.h"

#include "notera/form/Nomes.h"

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace notera {

namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

constexpr double DpiDeProjeto = 120.0;
constexpr int LargurasDeProjeto[] = {87, 278, 86, 96, 273, 117, 70, 77, 252, 266};

QWidget* painel(QWidget* pai, std::string_view nome) {
    auto* p = new QWidget(pai);
    p->setObjectName(qs(nome));
    return p;
}

QGroupBox* grupo(QWidget* pai, std::string_view nome, const char* titulo) {
    auto* g = new QGroupBox(QString::fromUtf8(titulo), pai);
    g->setObjectName(qs(nome));
    return g;
}

} // namespace

FormAL::FormAL(QWidget* pai) : QDialog(pai), logica_(*this) {
    setObjectName(qs(nome::FormAL));
    setWindowTitle(QStringLiteral("Transferência de Recursos"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setSizeGripEnabled(true);
    const QScreen* tela = screen() ? screen() : QGuiApplication::primaryScreen();
    escala_ = tela ? tela->logicalDotsPerInchY() / DpiDeProjeto : 1.0;
    QFont fonte;
    fonte.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"),
                       QStringLiteral("DejaVu Sans")});
    fonte.setPixelSize(px(13));
    setFont(fonte);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    monta();
    arquivoIni_ = platform::arquivoIniDoPrograma();
    logica_.FormCreate();
    logica_.ligaHandlers();
}

FormAL::~FormAL() = default;

int FormAL::px(double medida) const {
    return qRound(medida * escala_);
}

QWidget* FormAL::campo(QWidget* pai, std::string_view nome, const char* rotulo,
                       std::string_view nomeRotulo, int x, int y, int largura) {
    auto* l = new QLabel(QString::fromUtf8(rotulo), pai);
    l->setObjectName(qs(nomeRotulo));
    l->setGeometry(px(x), px(y - 16), px(largura), px(15));
    auto* e = new QLineEdit(pai);
    e->setObjectName(qs(nome));
    e->setGeometry(px(x), px(y), px(largura), px(24));
    e->setMaxLength(std::numeric_limits<int>::max());
    e->installEventFilter(this);
    // Typed letters become capitals, pasted ones too.
    connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        const QString maiusc = t.toUpper();
        if (maiusc == t) return;
        const int pos = e->cursorPosition();
        e->setText(maiusc);
        e->setCursorPosition(pos);
    });
    return e;
}

void FormAL::monta() {
    resize(px(727), px(607));

    auto* botoes = painel(this, nome::Panel1);
    auto* bt = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton),
                               QStringLiteral("&Ok"), botoes);
    bt->setObjectName(qs(nome::BtOk));
    bt->setGeometry(px(5), px(15), px(100), px(26));
    auto* sair = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                 QStringLiteral("&Sair"), botoes);
    sair->setObjectName(qs(nome::BtSair));
    sair->setGeometry(px(5), px(47), px(100), px(26));
    QFont fs = sair->font();
    fs.setPixelSize(px(15));
    sair->setFont(fs);
    auto* grupoBotoes = new QButtonGroup(this);
    grupoBotoes->setExclusive(false);
    for (auto* b : {bt, sair}) {
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus); // clicking them keeps the field's focus
        b->setIconSize(QSize(16, 16));
        b->setCheckable(true);
        grupoBotoes->addButton(b);
    }
    connect(bt, &QPushButton::clicked, this, [this, bt] {
        bt->setChecked(false);
        protege([&] { logica_.BtOkClick(); });
    });
    connect(sair, &QPushButton::clicked, this, [this, sair] {
        sair->setChecked(false);
        protege([&] { logica_.BtSairClick(); });
    });

    pagina_ = new QTabWidget(this);
    pagina_->setObjectName(qs(LogicaAL::Pagina));
    pagina_->tabBar()->installEventFilter(this);
    pagina_->tabBar()->setObjectName(qs(nome::PaginaAbas));

    auto* raiz = new QHBoxLayout(this);
    raiz->setContentsMargins(0, 0, 0, 0);
    raiz->setSpacing(0);
    raiz->addWidget(pagina_, 1);
    botoes->setFixedWidth(px(111));
    raiz->addWidget(botoes);

    // Page "Origem"
    auto* origem = painel(nullptr, nome::PagOrigem);
    pagina_->addTab(origem, QStringLiteral("Origem"));
    auto* lo = new QVBoxLayout(origem);
    auto* gbOrigem = grupo(origem, nome::Gb_Origem, "Origem do Recurso");
    gbOrigem->setFixedHeight(px(419));
    lo->addWidget(gbOrigem);
    auto* gbCheques = grupo(origem, nome::Gb_Cheques, "Cheques");
    lo->addWidget(gbCheques, 1);

    auto* lgo = new QVBoxLayout(gbOrigem);
    lgo->setContentsMargins(0, 0, 0, 0);
    lgo->setSpacing(0);
    auto* p4 = painel(gbOrigem, nome::Panel4);
    p4->setFixedHeight(px(294));
    lgo->addWidget(p4);
    campo(p4, nome::Ed_Empresa, "Empresa", nome::Label9, 14, 21, 269);
    campo(p4, nome::Ed_Fornecedor, "Fornecedor", nome::Label10, 300, 21, 270);
    campo(p4, nome::Ed_Custo2, "Centro de Custos", nome::Label19, 14, 66, 269);
    campo(p4, nome::Ed_Banco2, "Banco", nome::Label12, 300, 66, 270);
    campo(p4, nome::Ed_Despesa, "Despesa", nome::Label11, 14, 113, 269);
    campo(p4, nome::Ed_HisPadBan, "Histórico Padrão Banco", nome::Label21, 300, 113, 270);
    campo(p4, nome::Ed_HisVarBan, "Histórico variável Banco", nome::Label20, 12, 159, 557);
    campo(p4, nome::Ed_HistPad2, "Histórico Padrão", nome::Label13, 12, 203, 270);
    campo(p4, nome::Ed_HistVar2, "Histórico variável", nome::Label14, 14, 249, 556);
    auto* c2 = painel(gbOrigem, nome::Pn_Contabil2);
    c2->setFixedHeight(px(50));
    lgo->addWidget(c2);
    campo(c2, nome::Ed_Cred2, "Conta Fiscal Crédito", nome::Label15, 14, 18, 269);
    campo(c2, nome::Ed_Deb2, "Conta Fiscal Débito", nome::Label16, 300, 18, 270);
    c2->hide();
    auto* cg2 = painel(gbOrigem, nome::Pn_ContabilG2);
    lgo->addWidget(cg2, 1);
    campo(cg2, nome::Ed_CredG2, "Conta Gerencial Crédito", nome::Label17, 14, 18, 269);
    campo(cg2, nome::Ed_DebG2, "Conta Gerencial Débito", nome::Label18, 300, 18, 270);
    cg2->hide();
    lgo->addStretch(0);

    auto* lgc = new QVBoxLayout(gbCheques);
    grade_ = new GradeCheques(2, ColunasCheque, gbCheques);
    grade_->setObjectName(LogicaAL::GradeChq);
    grade_->verticalHeader()->setDefaultSectionSize(px(24));
    grade_->defineMascaras([this](int col) { return qs(logica_.grade().mascaraDaColuna(col)); });
    grade_->defineObservador(this);
    for (int c = 0; c < 10; ++c)
        grade_->setColumnWidth(c, px(LargurasDeProjeto[c]));
    grade_->setShowGrid(true);
    grade_->installEventFilter(this);
    grade_->viewport()->installEventFilter(this);
    lgc->addWidget(grade_, 1);
    situacao_ = new QComboBox(gbCheques);
    situacao_->setObjectName(qs(nome::Cb_ChqSit));
    for (const auto& item : GradeAL::ItensSituacao)
        situacao_->addItem(qs(item));
    situacao_->hide();
    situacao_->installEventFilter(this);
    connect(situacao_, &QComboBox::activated, this,
            [this](int i) { protege([&] { logica_.grade().Cb_ChqSitChange(i); }); });
    auto* rodape = painel(gbCheques, nome::Pn_Rodape);
    rodape->setFixedHeight(px(23));
    auto* lr = new QHBoxLayout(rodape);
    lr->setContentsMargins(px(4), 0, px(4), 0);
    lr->addWidget(new QLabel(QStringLiteral("Total dos cheques"), rodape));
    auto* total = new QLabel(QStringLiteral("0,00"), rodape);
    total->setObjectName(qs(nome::Lb_ChqTotal));
    QFont ft = total->font();
    ft.setBold(true);
    total->setFont(ft);
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lr->addWidget(total, 1);
    lgc->addWidget(rodape);

    // Page "Destino"
    auto* destino = painel(nullptr, nome::PagDestino);
    pagina_->addTab(destino, QStringLiteral("Destino"));
    auto* ld = new QVBoxLayout(destino);
    auto* gbDestino = grupo(destino, nome::Gb_Destino, "Destino do Recurso");
    ld->addWidget(gbDestino);
    auto* lgd = new QVBoxLayout(gbDestino);
    lgd->setContentsMargins(0, 0, 0, 0);
    auto* p3 = painel(gbDestino, nome::Panel3);
    p3->setFixedHeight(px(192));
    lgd->addWidget(p3);
    auto* valor =
        static_cast<QLineEdit*>(campo(p3, nome::Ed_Valor, "Valor", nome::Label1, 14, 21, 150));
    valor->setAlignment(Qt::AlignRight);
    campo(p3, nome::Ed_Cliente, "Cliente", nome::Label2, 300, 20, 270);
    campo(p3, nome::Ed_Custo1, "Centro de Custos", nome::Label8, 14, 66, 269);
    campo(p3, nome::Ed_Banco1, "Banco", nome::Label4, 300, 66, 270);
    campo(p3, nome::Ed_Receita, "Receita", nome::Label3, 14, 113, 269);
    campo(p3, nome::Ed_HistPad1, "Histórico Padrão", nome::Label5, 300, 113, 270);
    campo(p3, nome::Ed_HistVar1, "Histórico variável", nome::Label6, 14, 161, 556);
    auto* c1 = painel(gbDestino, nome::Pn_Contabil1);
    lgd->addWidget(c1, 1);
    campo(c1, nome::Ed_Cred1, "Conta Fiscal Crédito", nome::Label7, 14, 18, 269);
    campo(c1, nome::Ed_CredG1, "Conta Gerencial Crédito", nome::Lb_CredG1, 300, 18, 270);
}

std::string FormAL::nomeDoControle(QObject* o) const {
    if (o == pagina_->tabBar()) return std::string(LogicaAL::Pagina);
    if (o == grade_ || o == grade_->viewport() || (grade_->editor() && o == grade_->editor()))
        return std::string(LogicaAL::GradeChq);
    return o->objectName().toStdString();
}

template <class F> void FormAL::protege(F f) {
    try {
        f();
    } catch (const std::exception& e) {
        platform::mostraErro(e.what());
    }
}

namespace {

Tecla teclaDe(const QKeyEvent* k) {
    switch (k->key()) {
    case Qt::Key_Up:
        return Tecla::Cima;
    case Qt::Key_Down:
        return Tecla::Baixo;
    case Qt::Key_Left:
        return Tecla::Esquerda;
    case Qt::Key_Right:
        return Tecla::Direita;
    case Qt::Key_Home:
        return Tecla::Inicio;
    case Qt::Key_End:
        return Tecla::Fim;
    case Qt::Key_PageDown:
        return Tecla::PageDown;
    case Qt::Key_Delete:
        return Tecla::Apaga;
    default:
        return Tecla::Outra;
    }
}

bool ehEnter(const QKeyEvent* k) {
    return k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter;
}

// The character a key types, Backspace included; nothing for other control keys.
std::optional<QChar> caractereDe(const QKeyEvent* k) {
    if (k->key() == Qt::Key_Backspace) return QChar('\b');
    if (k->text().isEmpty() || !k->text()[0].isPrint()) return std::nullopt;
    return k->text()[0];
}

} // namespace

bool FormAL::teclaNaGrade(QKeyEvent* k, QWidget* editor) {
    bool engolida = false;
    const Tecla t = teclaDe(k);
    protege([&] {
        if (t != Tecla::Outra && t != Tecla::Apaga) {
            if (t == Tecla::Cima || t == Tecla::Baixo || t == Tecla::PageDown || !editor) {
                grade_->fechaEditor();
                engolida = logica_.grade().gradeTeclaAbaixada(t, false);
            }
            return;
        }
        if (ehEnter(k)) {
            grade_->fechaEditor();
            logica_.grade().gradeTeclaPressionada(U'\r', {});
            engolida = true;
            return;
        }
        const auto c = caractereDe(k);
        if (!c) return;
        const std::string atual =
            editor ? grade_->textoDoEditor().toStdString()
                   : logica_.visao().celula(grade_->currentColumn(), grade_->currentRow());
        const auto r = logica_.grade().gradeTeclaPressionada(c->unicode(), atual);
        if (!r) {
            engolida = true;
        } else if (*r == '\b' && !editor) {
            grade_->editaCom(QString()); // Backspace on a cell opens its editor emptied
            engolida = true;
        } else if (*r != c->unicode()) {
            grade_->editaCom(QString(QChar(*r))); // the key typed as another character
            engolida = true;
        }
    });
    return engolida;
}

bool FormAL::teclaNoSeletor(QKeyEvent* k) {
    bool engolida = false;
    protege([&] {
        if (ehEnter(k))
            engolida = logica_.grade().seletorTeclaPressionada(U'\r');
        else if (k->key() == Qt::Key_Backspace)
            engolida = logica_.grade().seletorTeclaPressionada(U'\b');
        else if (teclaDe(k) != Tecla::Outra)
            engolida = logica_.grade().seletorTeclaAbaixada(
                teclaDe(k),
                k->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    });
    return engolida;
}

bool FormAL::eventFilter(QObject* alvo, QEvent* evento) {
    const std::string nome = nomeDoControle(alvo);
    if (evento->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(evento);
        const auto mods = k->modifiers() & ~Qt::KeypadModifier;
        const bool tab = k->key() == Qt::Key_Tab && mods == Qt::NoModifier;
        const bool volta =
            k->key() == Qt::Key_Backtab || (k->key() == Qt::Key_Tab && (mods & Qt::ShiftModifier));
        if (tab || volta) {
            if (nome == LogicaAL::GradeChq) grade_->fechaEditor();
            protege([&] { tab ? logica_.proximo() : logica_.anterior(); });
            return true;
        }
        if (alvo == situacao_) return teclaNoSeletor(k);
        // While a cell editor is open its keys belong to it, even when the grid got them
        // (an inactive window does not move the keyboard into a new editor).
        if ((alvo == grade_ || alvo == grade_->viewport()) && grade_->editor()) {
            QKeyEvent copia(k->type(), k->key(), k->modifiers(), k->text(), k->isAutoRepeat(),
                            k->count());
            QApplication::sendEvent(grade_->editor(), &copia);
            return true;
        }
        if (nome == LogicaAL::GradeChq)
            return teclaNaGrade(k, grade_->editor() && alvo == grade_->editor() ? grade_->editor()
                                                                                : nullptr);
        bool engolida = false;
        protege([&] {
            const Tecla t = teclaDe(k);
            if (t == Tecla::Cima || t == Tecla::PageDown)
                engolida = logica_.teclaAbaixada(nome, t);
            else if (ehEnter(k))
                engolida = logica_.teclaPressionada(nome, U'\r');
            else if (!k->text().isEmpty() && k->text()[0].isPrint())
                engolida = logica_.teclaPressionada(nome, k->text()[0].unicode());
        });
        return engolida;
    }
    if (evento->type() == QEvent::MouseButtonPress) {
        const auto* m = static_cast<QMouseEvent*>(evento);
        if (alvo == pagina_->tabBar()) {
            const int aba = pagina_->tabBar()->tabAt(m->position().toPoint());
            if (aba >= 0) protege([&] { logica_.paginaEscolhida(aba); });
            return true;
        }
        if (alvo == situacao_) return false;
        if (grade_->editor() && alvo == grade_->editor()) return false;
        protege([&] { logica_.solicitaFoco(nome); });
        if (logica_.ativo() != nome)
            return true; // a click that did not move the focus does nothing
        if (alvo == grade_->viewport()) {
            const QModelIndex i = grade_->indexAt(m->position().toPoint());
            grade_->fechaEditor();
            if (i.isValid()) protege([&] { logica_.grade().gradeClique(i.column(), i.row()); });
            return true;
        }
        return false;
    }
    return QDialog::eventFilter(alvo, evento);
}

void FormAL::keyPressEvent(QKeyEvent* evento) {
    // Escape would reject the dialog; the form has no such key.
    if (evento->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(evento);
}

void FormAL::showEvent(QShowEvent* evento) {
    QDialog::showEvent(evento);
    if (mostrada_) return;
    mostrada_ = true;
    const platform::Limites atuais{x(), y(), frameGeometry().width(), frameGeometry().height()};
    if (auto r = platform::leLimites(arquivoIni_, std::string(nome::FormAL), atuais)) {
        const QSize moldura = frameGeometry().size() - size();
        move(r->esquerda, r->topo);
        resize(QSize(r->largura, r->altura) - moldura);
    }
    QTimer::singleShot(0, this, [this] {
        protege([&] { logica_.FormActivate(); });
        setProperty("notera.ativada", true); // a host's robot starts typing after this
    });
}

bool FormAL::event(QEvent* evento) {
    if (evento->type() == QEvent::WindowActivate && mostrada_)
        protege([&] { logica_.FormActivate(); });
    return QDialog::event(evento);
}

void FormAL::done(int resultado) {
    platform::gravaLimites(arquivoIni_, std::string(nome::FormAL),
                           {x(), y(), frameGeometry().width(), frameGeometry().height()});
    QDialog::done(resultado);
}

std::string FormAL::texto(std::string_view controle) const {
    auto* w = findChild<QWidget*>(qs(controle));
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text().toStdString();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdString();
    return {};
}

void FormAL::defineTexto(std::string_view controle, const std::string& texto) {
    auto* w = findChild<QWidget*>(qs(controle));
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(qs(texto));
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(qs(texto));
}

bool FormAL::visivelNaPagina(std::string_view controle) const {
    auto* w = findChild<QWidget*>(qs(controle));
    if (!w) return false;
    auto* pag = pagina_->widget(LogicaAL::paginaDe(controle));
    return w->isVisibleTo(pag);
}

void FormAL::defineVisivel(std::string_view controle, bool visivel) {
    if (auto* w = findChild<QWidget*>(qs(controle))) w->setVisible(visivel);
}

int FormAL::paginaAtual() const {
    return pagina_->currentIndex();
}
void FormAL::mostraPagina(int p) {
    pagina_->setCurrentIndex(p);
}

void FormAL::aplicaFoco(std::string_view controle) {
    // A late activation must not take the keyboard from the control's own parts: the grid's
    // cell editor or its situation selector.
    if (controle == LogicaAL::GradeChq) {
        const QWidget* f = QApplication::focusWidget();
        if (f && (f == situacao_ || grade_->isAncestorOf(f))) return;
    }
    if (controle == LogicaAL::Pagina) {
        pagina_->tabBar()->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (auto* w = findChild<QWidget*>(qs(controle))) w->setFocus(Qt::OtherFocusReason);
}

void FormAL::fecha() {
    reject();
}

int FormAL::colunasGrade() const {
    return grade_->columnCount();
}
void FormAL::defineColunasGrade(int n) {
    grade_->setColumnCount(n);
}
int FormAL::linhasGrade() const {
    return grade_->rowCount();
}
void FormAL::defineLinhasGrade(int n) {
    grade_->setRowCount(n);
}

void FormAL::fechaEdicao() {
    grade_->fechaEditor();
}

std::string FormAL::celula(int col, int lin) const {
    // As on the original grid, a cell reads what its editor holds while it is being edited.
    if (grade_->editor() && grade_->currentRow() == lin && grade_->currentColumn() == col)
        return grade_->textoDoEditor().toStdString();
    auto* item = grade_->item(lin, col);
    return item ? item->text().toStdString() : std::string();
}

void FormAL::defineCelula(int col, int lin, const std::string& texto) {
    auto* item = grade_->item(lin, col);
    if (!item) {
        item = new QTableWidgetItem;
        if (lin == 0) {
            item->setFlags(Qt::ItemIsEnabled);
            item->setBackground(palette().button());
        }
        grade_->setItem(lin, col, item); // the grid owns its items
    }
    item->setText(qs(texto));
}

int FormAL::larguraColuna(int col) const {
    return grade_->columnWidth(col);
}
void FormAL::defineLarguraColuna(int col, int largura) {
    grade_->setColumnWidth(col, largura);
}
int FormAL::colunaAtual() const {
    return grade_->currentColumn();
}
int FormAL::linhaAtual() const {
    return grade_->currentRow();
}
void FormAL::defineCelulaAtual(int col, int lin) {
    grade_->setCurrentCell(lin, col);
}

void FormAL::rolaGradeParaColuna(int col) {
    if (grade_->rowCount() > 0)
        grade_->scrollToItem(
            grade_->item(grade_->currentRow() < 0 ? 0 : grade_->currentRow(), col));
}

void FormAL::mostraSeletor(int col, int lin, int item) {
    grade_->fechaEditor();
    const QModelIndex i = grade_->model()->index(lin, col);
    grade_->scrollTo(i);
    QRect r = grade_->visualRect(i);
    r.moveTopLeft(grade_->viewport()->mapTo(situacao_->parentWidget(), r.topLeft()));
    situacao_->setGeometry(r);
    const QSignalBlocker bloqueio(situacao_);
    situacao_->setCurrentIndex(item);
    situacao_->show();
    situacao_->raise();
    situacao_->setFocus(Qt::OtherFocusReason);
}

void FormAL::escondeSeletor() {
    if (situacao_->hasFocus()) grade_->setFocus(Qt::OtherFocusReason);
    situacao_->hide();
}

bool FormAL::seletorVisivel() const {
    return situacao_->isVisible();
}
int FormAL::itemDoSeletor() const {
    return situacao_->currentIndex();
}

void FormAL::selecionaTudo(std::string_view controle) {
    if (auto* e = findChild<QLineEdit*>(qs(controle))) e->selectAll();
}

bool FormAL::formularioVisivel() const {
    return isVisible();
}

void FormAL::cursorDeEspera(bool ligado) {
    if (ligado)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void FormAL::botaoOkPressionado(bool pressionado) {
    if (auto* b = findChild<QPushButton*>(qs(nome::BtOk))) b->setChecked(pressionado);
}

void FormAL::processaMensagens() {
    QApplication::processEvents();
}

} // namespace notera
