// GeraAL loaded by a host that already runs a widget application, called twice in one load.

#include "Apoio.h"
#include "Host.h"
#include "notera/notera.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

int reservas = 0;
uint8_t NOTERA_CALL reserva(const char* const*, int32_t) {
    return ++reservas, 1;
}
void NOTERA_CALL libera(const char* const*, int32_t) {}

std::vector<unsigned char> curto(const std::string& s) {
    std::vector<unsigned char> v{static_cast<unsigned char>(s.size())};
    v.insert(v.end(), s.begin(), s.end());
    return v;
}

} // namespace

TEST(GeraAL, DuasTransferenciasNaMesmaCarga) {
    apoio::DirTemp dir;
    ASSERT_EQ(apoio::executa({apoio::binario("notera-dados"), "criar", dir / "d", "1"}).saida, 0);
    apoio::sql(dir / "d/Tabelas/tabelas.sqlite",
               "INSERT INTO TbEmp (cod_emp, nom_emp) VALUES (1, 'ALFA')");
    ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);

    void* h = ::dlopen(apoio::biblioteca("libNotera.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(h, nullptr) << ::dlerror();
    auto geraAL = reinterpret_cast<decltype(&GeraAL)>(::dlsym(h, "GeraAL"));
    ASSERT_NE(geraAL, nullptr);

    // Leaves every form that shows up with "&Sair".
    int formularios = 0;
    QTimer sair;
    QObject::connect(&sair, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != "FormAL" || !w->isVisible() ||
                !w->property("notera.ativada").toBool())
                continue;
            ++formularios;
            w->findChild<QAbstractButton*>("BtSair")->click();
        }
    });
    sair.start(10);

    const auto dados = curto(dir / "d/"), lanPag = curto("TbLanPag.db"),
               chqPag = curto("TbChqPag.db"), lanRec = curto("TbLanRec.db");
    for (int vez = 1; vez <= 2; ++vez) {
        EXPECT_EQ(geraAL(dados.data(), 1, 0, 10.0, lanPag.data(), chqPag.data(), lanRec.data(),
                         nullptr, "ref", &reserva, &libera, "ctl", 46000.0),
                  0);
        EXPECT_EQ(formularios, vez);
    }
    sair.stop();
    ::dlclose(h);
}
