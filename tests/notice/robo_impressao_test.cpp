// The host robot's answer to the print dialog: print FILE, print-cancel, and no answer queued.

#include "Apoio.h"

#include "Impressao.h"
#include "Log.h"
#include "Robot.h"
#include "Script.h"
#include "notera/report/qt/DialogoImpressao.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct Caso {
    const char* nome;
    const char* roteiro;
    bool aceito;
    const char* evento; // the logged event: "print", "error" or none
    bool falhou;
};

class RoboImpressao : public ::testing::TestWithParam<Caso> {};

TEST_P(RoboImpressao, RespondeDialogo) {
    const auto& c = GetParam();
    apoio::DirTemp dir;
    const QString arquivo = QString::fromStdString(dir / "aviso.pdf");
    auto lido = leRoteiro(QString::fromUtf8(c.roteiro).arg(arquivo).toStdString());
    ASSERT_TRUE(lido.erro.empty()) << lido.erro;
    Registro log;
    ASSERT_TRUE(log.abre(dir / "log.jsonl"));
    Robo robo(lido.acoes, log);
    robo.instala();
    host::registraImpressao(robo);

    report::DialogoImpressao d;
    d.defineCopias(4);
    // A dialog the robot leaves open fails the test instead of hanging it.
    bool esquecido = false;
    QTimer::singleShot(10000, &d, [&] {
        esquecido = d.isVisible();
        d.reject();
    });
    const int r = d.exec();
    EXPECT_FALSE(esquecido);
    EXPECT_EQ(r == QDialog::Accepted, c.aceito);
    if (c.aceito) {
        EXPECT_TRUE(d.saidaPdf());
        EXPECT_EQ(d.arquivoPdf(), arquivo);
        EXPECT_EQ(d.copias(), 1);
    }
    EXPECT_EQ(robo.falhou(), c.falhou);

    QList<QJsonObject> eventos;
    for (const auto& l : QByteArray::fromStdString(apoio::leArquivo(dir / "log.jsonl")).split('\n'))
        if (!l.isEmpty()) eventos << QJsonDocument::fromJson(l).object();
    if (!*c.evento) {
        EXPECT_TRUE(eventos.isEmpty());
    } else {
        ASSERT_EQ(eventos.size(), 1);
        EXPECT_EQ(eventos[0]["event"].toString(), QString::fromUtf8(c.evento));
        if (QLatin1String(c.evento) == QLatin1String("print")) {
            EXPECT_EQ(eventos[0]["file"].toString(), arquivo);
            EXPECT_EQ(eventos[0]["copies"].toInt(), 1);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Host, RoboImpressao,
    ::testing::Values(Caso{"Imprime", "print \"%1\"\n", true, "print", false},
                      Caso{"Cancela", "# cancels instead of printing to %1\nprint-cancel\n", false,
                           "", false},
                      Caso{"SemResposta", "# nothing queued for %1\n", false, "error", true}),
    [](const auto& i) { return std::string(i.param.nome); });

} // namespace
