#include "Respostas.h"

#include "notera/report/qt/DialogoImpressao.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace apoio {

int MensagensRoteiro::mostra(platform::Icone icone, const std::string& texto,
                             const std::vector<std::string>& botoes) {
    QStringList b;
    for (const auto& s : botoes)
        b << QString::fromStdString(s);
    vistas_.push_back({icone, QString::fromStdString(texto), b});
    if (respostas_.empty()) {
        ADD_FAILURE() << "unexpected message box: " << texto;
        return static_cast<int>(botoes.size()) - 1;
    }
    const int r = respostas_.front();
    respostas_.pop_front();
    return r;
}

RespondeImpressao::RespondeImpressao(std::vector<QString> respostas)
    : respostas_(respostas.begin(), respostas.end()) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { verifica(); });
    timer_.start(10);
}

RespondeImpressao::~RespondeImpressao() {
    EXPECT_TRUE(respostas_.empty()) << respostas_.size() << " print answer(s) left over";
}

void RespondeImpressao::verifica() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<QDialog*>(w);
        if (!d || !d->isVisible()) continue;
        ++dialogos_;
        auto* impressao = qobject_cast<report::DialogoImpressao*>(d);
        if (!impressao || respostas_.empty()) {
            ADD_FAILURE() << "unexpected dialog " << d->objectName().toStdString();
            d->reject();
            continue;
        }
        const QString r = respostas_.front();
        respostas_.pop_front();
        if (r.isEmpty()) {
            d->reject();
            continue;
        }
        impressao->defineArquivoPdf(r);
        impressao->defineCopias(copias);
        d->accept();
    }
}

} // namespace apoio
