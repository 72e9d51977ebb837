#include "Log.h"

#include <QJsonDocument>

bool Registro::abre(const QString& caminho) {
    arquivo_ = std::make_unique<QFile>(caminho);
    return arquivo_->open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void Registro::escreve(const QJsonObject& evento) {
    if (!arquivo_) return;
    arquivo_->write(QJsonDocument(evento).toJson(QJsonDocument::Compact));
    arquivo_->write("\n");
    arquivo_->flush();
}
