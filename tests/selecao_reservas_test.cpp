// The host's services: the selection dialog over a library data set, crossing the C
// interface, and the table reservations.

#include "Apoio.h"
#include "Host.h"
#include "host/Reservas.h"
#include "host/Selecao.h"
#include "notera/core/Servicos.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The service is a plain C function; the test's behaviour for it is set per case.
std::function<void(DialogoSelecao&)> comportamento;

void NOTERA_CALL seleciona(const char* titulo, NoteraDataSet* ds, const char* const* colunas,
                           int32_t ultimaColuna, const char* const* titulos, int32_t ultimoTitulo,
                           int32_t, NoteraStrings* lista, NoteraField* campo) {
    QStringList cols, tits;
    for (int i = 0; i <= ultimaColuna; ++i)
        cols << QString::fromLatin1(colunas[i]);
    for (int i = 0; i <= ultimoTitulo; ++i)
        tits << QString::fromLatin1(titulos[i]); // code page 1252
    char nome[32];
    campo->ops->Name(campo, nome, sizeof nome);
    EXPECT_STREQ(nome, "cod_cli");
    DialogoSelecao d(QString::fromLatin1(titulo), ds, cols, tits);
    comportamento(d);
    if (d.result() == QDialog::Accepted)
        lista->ops->Add(lista, d.escolhido().toLatin1().constData());
}

uint8_t NOTERA_CALL nuncaReserva(const char* const*, int32_t) {
    return 0;
}
void NOTERA_CALL nada(const char* const*, int32_t) {}

class Selecao : public ::testing::Test {
protected:
    void SetUp() override {
        auto r = apoio::executa({apoio::binario("notera-dados"), "criar", dir / "d", "1"});
        ASSERT_EQ(r.saida, 0) << r.err;
        std::string ins =
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i+1 FROM n WHERE i < 3000) "
            "INSERT INTO TbCli (cod_cli, nom_cli) SELECT i, 'CLIENTE ' || printf('%05d', i) FROM n";
        apoio::sql(dir / "d/Tabelas/001/tabelas.sqlite", ins);
        apoio::sql(dir / "d/Tabelas/001/tabelas.sqlite",
                   "UPDATE TbCli SET nom_cli = 'JOSÉ' WHERE cod_cli = 2500");
        q.defineDiretorio(dir / "d/Tabelas/001");
        q.abre();
        q.localiza("cod_cli", db::Valor(12));
    }
    std::optional<QString> chama() {
        const auto r = servicos.SelecionaRegistro("Seleção de Cliente", q, {"cod_cli", "nom_cli"},
                                                  {"Código", "Nome"});
        if (!r) return std::nullopt;
        return QString::fromStdString(*r);
    }

    apoio::DirTemp dir;
    db::Consulta q{{}, {"Select cod_cli, nom_cli, ccn_cli, hpn_cli", "From TbCli"}};
    notera::ServicosHost servicos{&seleciona, &nuncaReserva, &nada};
};

} // namespace

TEST_F(Selecao, EscolhaDeixaOConjuntoNoRegistro) {
    comportamento = [](DialogoSelecao& d) {
        EXPECT_EQ(d.windowTitle(), "Seleção de Cliente");
        EXPECT_EQ(d.valorInicial(), "12"); // opened on the current record
        EXPECT_EQ(d.titulos(), (QStringList{"Código", "Nome"}));
        EXPECT_TRUE(d.escolhe("2500"));
    };
    EXPECT_EQ(chama(), QString("2500"));
    EXPECT_EQ(q.campo("nom_cli").comoTexto(), "JOSÉ"); // texts cross in code page 1252 and back
}

TEST_F(Selecao, CancelarDeixaAListaVaziaEOConjuntoOndeEstava) {
    comportamento = [](DialogoSelecao& d) { d.reject(); };
    EXPECT_EQ(chama(), std::nullopt);
    EXPECT_EQ(q.campo("cod_cli").comoInteiro(), 12);
    comportamento = [](DialogoSelecao& d) {
        EXPECT_FALSE(d.escolhe("9999"));
        d.reject();
    };
    EXPECT_EQ(chama(), std::nullopt);
}

TEST_F(Selecao, DigitarPesquisaPeloNomeOuPeloCodigo) {
    comportamento = [](DialogoSelecao& d) {
        auto* busca = d.findChild<QLineEdit*>("Pesquisa");
        ASSERT_NE(busca, nullptr);
        QTest::keyClicks(busca, "CLIENTE 0200");
        d.accept();
    };
    EXPECT_EQ(chama(), QString("2000"));
    comportamento = [](DialogoSelecao& d) {
        auto* busca = d.findChild<QLineEdit*>("Pesquisa");
        QTest::keyClicks(busca, "777");
        d.accept();
    };
    EXPECT_EQ(chama(), QString("777"));
}

// The dialog reads rows by keys around where it opened and further as the list moves, so
// every record is reached by the keyboard from anywhere, past the rows read at opening.
TEST_F(Selecao, TeclasAlcancamTodosOsRegistros) {
    struct Caso {
        int inicio;
        Qt::Key tecla;
        Qt::KeyboardModifiers mods;
        int vezes;
        const char* esperado;
    } casos[] = {
        {12, Qt::Key_Down, Qt::NoModifier, 250, "262"},   // past the rows read at opening
        {12, Qt::Key_Up, Qt::NoModifier, 20, "1"},        // stops at the first
        {2500, Qt::Key_Up, Qt::NoModifier, 300, "2200"},  // before the rows read at opening
        {2990, Qt::Key_Down, Qt::NoModifier, 50, "3000"}, // stops at the last
        {12, Qt::Key_End, Qt::ControlModifier, 1, "3000"},
        {2500, Qt::Key_Home, Qt::ControlModifier, 1, "1"},
        {12, Qt::Key_PageDown, Qt::NoModifier, 40, ""}, // somewhere past 300: checked below
    };
    for (const auto& c : casos) {
        ASSERT_TRUE(q.localiza("cod_cli", db::Valor(c.inicio)));
        comportamento = [&c](DialogoSelecao& d) {
            EXPECT_EQ(d.valorInicial(), QString::number(c.inicio));
            d.show();
            auto* tabela = d.findChild<QWidget*>("Registros");
            ASSERT_NE(tabela, nullptr);
            for (int i = 0; i < c.vezes; ++i)
                QTest::keyClick(tabela, c.tecla, c.mods);
            d.accept();
        };
        const auto escolhido = chama();
        ASSERT_TRUE(escolhido.has_value()) << c.inicio << " " << c.tecla;
        if (*c.esperado)
            EXPECT_EQ(*escolhido, c.esperado) << c.inicio << " " << c.tecla;
        else
            EXPECT_GT(escolhido->toInt(), 300);
        // The data set stands on the chosen record.
        EXPECT_EQ(QString::number(q.campo("cod_cli").comoInteiro()), *escolhido);
    }
}

TEST_F(Selecao, SemServicoNadaEEscolhido) {
    notera::ServicosHost semDialogo(nullptr, &nuncaReserva, &nada);
    EXPECT_FALSE(semDialogo.temSelecao());
    EXPECT_EQ(semDialogo.SelecionaRegistro("x", q, {"cod_cli"}, {"C"}), std::nullopt);
}

TEST(Reservas, SemServicoDoHostARecusa) {
    notera::ServicosHost semServicos(nullptr, nullptr, nullptr);
    EXPECT_FALSE(semServicos.ReservaTabelas({"TbCal"}));
    semServicos.LiberaTabelas({"TbCal"}); // nothing to call: no crash
}

TEST(Reservas, UmaTabelaPorVezEntreHosts) {
    apoio::DirTemp dir;
    Reservas a(dir.caminho(), 100), b(dir.caminho(), 100), c(dir.caminho(), 100);
    EXPECT_TRUE(a.reserva({"TbCal"}));
    EXPECT_FALSE(b.reserva({"tbcal.db"})); // same table, another spelling
    EXPECT_TRUE(b.reserva({"TbLct"}));
    // All or nothing: a refused name releases the ones just taken.
    EXPECT_FALSE(c.reserva({"TbTot", "TbLct"}));
    EXPECT_TRUE(a.reserva({"TbTot"}));
    a.libera({"TbCal", "TbTot"});
    EXPECT_TRUE(c.reserva({"TbCal"}));
}
