#pragma once
// The robot's log: JSON Lines, one event an object, written as it happens.

#include <QFile>
#include <QJsonObject>
#include <QString>

#include <memory>

class Registro {
public:
    Registro() = default;
    bool abre(const QString& caminho);
    void escreve(const QJsonObject& evento);

private:
    std::unique_ptr<QFile> arquivo_;
};
