#pragma once
// The host's record selection dialog over a library's data set.

#include "notera/notera.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QStringList>

#include <map>
#include <vector>

class QLineEdit;
class QTableView;

// The data set's records as rows, read in windows as the list scrolls.
class ModeloRegistros : public QAbstractTableModel {
public:
    ModeloRegistros(NoteraDataSet* ds, std::vector<int> campos, QStringList titulos);
    int rowCount(const QModelIndex& = {}) const override { return total_; }
    int columnCount(const QModelIndex& = {}) const override {
        return static_cast<int>(campos_.size());
    }
    QVariant data(const QModelIndex& indice, int papel) const override;
    QVariant headerData(int secao, Qt::Orientation o, int papel) const override;

private:
    void carregaJanela(int linha) const;
    NoteraDataSet* ds_;
    std::vector<int> campos_;
    QStringList titulos_;
    int total_ = 0;
    mutable std::map<int, QStringList> cache_;
};

QString valorDoCampo(NoteraDataSet* ds, int campo);

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

private:
    void pesquisa(const QString& texto);
    void seleciona(int linha);

    NoteraDataSet* ds_;
    QStringList nomes_, titulos_;
    std::vector<int> campos_;
    int posicaoInicial_ = -1;
    QString inicial_, escolhido_;
    ModeloRegistros* modelo_ = nullptr;
    QTableView* tabela_ = nullptr;
    QLineEdit* busca_ = nullptr;
};
