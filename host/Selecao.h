#pragma once
// The host's record selection dialog over a library's data set.

#include "Registros.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>

class QLineEdit;
class QTableView;

// The rows read so far as a table model; the scroll bar spans them and grows at either end
// as the list reaches it.
class ModeloRegistros : public QAbstractTableModel {
public:
    ModeloRegistros(NoteraDataSet* ds, std::vector<int> campos, QStringList titulos);
    int rowCount(const QModelIndex& pai = {}) const override {
        return pai.isValid() ? 0 : static_cast<int>(janela_.linhas());
    }
    int columnCount(const QModelIndex& = {}) const override {
        return static_cast<int>(janela_.colunas());
    }
    QVariant data(const QModelIndex& indice, int papel) const override;
    QVariant headerData(int secao, Qt::Orientation o, int papel) const override;
    bool canFetchMore(const QModelIndex& pai) const override;
    void fetchMore(const QModelIndex& pai) override;

    // Rows around the data set's current record; answers that record's row (-1: empty).
    int recarrega();
    // Reads up to n rows before the first; answers how many came.
    int buscaAntes(int n);
    bool temAntes() const { return janela_.temAntes(); }
    const JanelaRegistros& janela() const { return janela_; }

private:
    JanelaRegistros janela_;
    QStringList titulos_;
};

class DialogoSelecao : public QDialog {
    Q_OBJECT
public:
    DialogoSelecao(const QString& titulo, NoteraDataSet* ds, const QStringList& campos,
                   const QStringList& titulos, QWidget* pai = nullptr);

    // The first listed field's value on the record where the data set stood at opening.
    const QString& valorInicial() const { return inicial_; }
    const QStringList& campos() const { return nomes_; }
    const QStringList& titulos() const { return titulos_; }
    // Chooses the row whose first listed field reads `chave`; false when there is none.
    bool escolhe(const QString& chave);
    // After accept: the chosen key; the data set stands on its record.
    const QString& escolhido() const { return escolhido_; }

public slots:
    void accept() override;
    void reject() override;

protected:
    bool eventFilter(QObject* alvo, QEvent* evento) override;

private:
    void pesquisa(const QString& texto);
    void mostraAtual();
    void seleciona(int linha);
    void buscaAcima();

    SelecaoDeRegistro selecao_;
    QStringList nomes_, titulos_;
    QString inicial_, escolhido_;
    ModeloRegistros* modelo_ = nullptr;
    QTableView* tabela_ = nullptr;
    QLineEdit* busca_ = nullptr;
};
