// bench-formulario: the transfer form on one data tree, offscreen: the time from calling
// GeraAL to the form shown and active, origin switches between companies 2 and 3, the host's
// selection dialog opened (and painted) at a typed prefix's first match, and the process's
// peak memory. Prints "name<TAB>value" lines (ms, MB) for notera-bench.

#include "Medida.h"
#include "host/Selecao.h"

#include "base/Cp1252.h"
#include "notera/notera.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDynamicPropertyChangeEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* Uso =
    "uso: bench-formulario --dados DIR [--vezes K]\n"
    "\n"
    "Runs GeraAL for company 1 of the data tree DIR (made by notera-bench) without a\n"
    "screen and prints, one per line: form start, origin switch and selection dialog\n"
    "times in ms (medians of K), and the peak memory in MB.\n";

using Relogio = bench::Relogio;

double ms(Relogio::time_point desde) {
    return std::chrono::duration<double, std::milli>(Relogio::now() - desde).count();
}

Relogio::time_point inicioTecla;
std::vector<double> dialogos;
bool falhou = false;

QString deCp(const char* s) {
    return QString::fromStdString(base::cp1252ParaUtf8(s ? s : ""));
}

QStringList lista(const char* const* itens, int32_t ultimo) {
    QStringList l;
    for (int32_t i = 0; itens && i <= ultimo; ++i)
        l << deCp(itens[i]);
    return l;
}

// The host's dialog, shown and painted, then cancelled.
void NOTERA_CALL seleciona(const char* titulo, NoteraDataSet* ds, const char* const* colunas,
                           int32_t ultimaColuna, const char* const* titulos, int32_t ultimoTitulo,
                           int32_t, NoteraStrings*, NoteraField*) {
    DialogoSelecao d(deCp(titulo), ds, lista(colunas, ultimaColuna), lista(titulos, ultimoTitulo),
                     QApplication::activeWindow());
    QTimer::singleShot(0, &d, [&d] {
        (void)d.grab(); // paints the rows that show
        dialogos.push_back(ms(inicioTecla));
        d.reject();
    });
    d.exec();
}

uint8_t NOTERA_CALL reserva(const char* const*, int32_t) {
    return 1;
}
void NOTERA_CALL libera(const char* const*, int32_t) {}

QWidget* janela = nullptr; // the form, once shown

// The form's focused control, as a robot finds it: the window's own focus child, which
// holds even while the window is not the active one (offscreen, after a dialog).
QWidget* foco(const char* esperado) {
    QWidget* w = janela ? janela->focusWidget() : nullptr;
    if (!w || w->objectName() != QLatin1String(esperado)) {
        std::fprintf(stderr, "bench-formulario: focus on %s, expected %s\n",
                     w ? qPrintable(w->objectName()) : "nothing", esperado);
        falhou = true;
        return nullptr;
    }
    return w;
}

// Watches for the form to become active. The first run goes through the scenario; later
// runs only time the start and leave.
class Cenario : public QObject {
public:
    explicit Cenario(int vezes) : vezes_(vezes) {}
    void inicia(bool completo) {
        inicio_ = Relogio::now();
        completo_ = completo;
        ativa_ = false;
    }
    std::vector<double> inicios, trocas;

protected:
    bool eventFilter(QObject* alvo, QEvent* e) override {
        if (e->type() == QEvent::DynamicPropertyChange && !ativa_ &&
            alvo->objectName() == QLatin1String("FormAL") &&
            static_cast<QDynamicPropertyChangeEvent*>(e)->propertyName() == "notera.ativada") {
            ativa_ = true;
            inicios.push_back(ms(inicio_));
            janela_ = qobject_cast<QWidget*>(alvo);
            janela = janela_;
            QTimer::singleShot(0, this, [this] {
                if (completo_)
                    roda();
                else
                    sai();
            });
        }
        return false;
    }

private:
    void sai() {
        if (auto* sair = janela_->findChild<QAbstractButton*>(QStringLiteral("BtSair")))
            sair->click();
        else
            janela_->close();
    }

    void roda() {
        // Origin switches: 2, 3, 2, ... each a real switch of the origin environment.
        for (int i = 0; i < vezes_ + 1 && !falhou; ++i) {
            QWidget* w = foco("Ed_Empresa");
            if (!w) break;
            QTest::keyClicks(w, i % 2 == 0 ? "3" : "2");
            const auto t0 = Relogio::now();
            QTest::keyClick(w, Qt::Key_Tab);
            if (i > 0) trocas.push_back(ms(t0)); // the first opens from nothing
            if (QWidget* f = foco("Ed_Fornecedor")) QTest::keyClick(f, Qt::Key_Backtab);
        }
        // The origin is company 2 now; its suppliers' names begin with these words.
        const char* prefixos[] = {"CASA", "LIMA", "OURO", "VALE", "BETA", "NOVA", "RIO ", "JOIA"};
        if (QWidget* w = foco("Ed_Empresa")) QTest::keyClick(w, Qt::Key_Tab);
        for (int i = 0; i < vezes_ && !falhou; ++i) {
            QWidget* w = foco("Ed_Fornecedor");
            if (!w) break;
            QTest::keyClicks(w, prefixos[i % 8]);
            const std::size_t antes = dialogos.size();
            inicioTecla = Relogio::now();
            QTest::keyClick(w, Qt::Key_Tab);
            if (dialogos.size() != antes + 1) {
                std::fprintf(stderr, "bench-formulario: no selection dialog for %s\n",
                             prefixos[i % 8]);
                falhou = true;
            }
            if (QWidget* f = foco("Ed_Custo2")) QTest::keyClick(f, Qt::Key_Backtab);
        }
        sai();
    }

    int vezes_;
    Relogio::time_point inicio_;
    bool completo_ = false, ativa_ = false;
    QWidget* janela_ = nullptr;
};

std::vector<unsigned char> textoCurto(const std::string& s) {
    std::vector<unsigned char> v(1 + s.size());
    v[0] = static_cast<unsigned char>(s.size());
    std::memcpy(v.data() + 1, s.data(), s.size());
    return v;
}

} // namespace

int main(int argc, char** argv) {
    std::string dados;
    int vezes = 11;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(Uso, stdout);
            return 0;
        } else if (a == "--dados" && i + 1 < argc) {
            dados = argv[++i];
        } else if (a == "--vezes" && i + 1 < argc) {
            vezes = std::max(1, std::atoi(argv[++i]));
        } else {
            std::fputs(Uso, stderr);
            return 2;
        }
    }
    if (dados.empty()) {
        std::fputs(Uso, stderr);
        return 2;
    }
    if (dados.back() != '/') dados += '/';
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    Cenario cenario(vezes);
    app.installEventFilter(&cenario);
    const auto dir = textoCurto(base::utf8ParaCp1252(dados));
    const auto lanPag = textoCurto("TbLanPag.db"), chqPag = textoCurto("TbChqPag.db"),
               lanRec = textoCurto("TbLanRec.db");
    // The first call also pays for the toolkit's one-time start; the median is of the rest.
    for (int i = 0; i <= vezes && !falhou; ++i) {
        cenario.inicia(i == 0);
        GeraAL(dir.data(), 1, 1, 1500.0, lanPag.data(), chqPag.data(), lanRec.data(), &seleciona,
               "", &reserva, &libera, "", 46366.0);
    }
    app.removeEventFilter(&cenario);

    if (falhou || cenario.inicios.size() < 2) return 1;
    std::printf("form start, first\t%.3f\n", cenario.inicios.front());
    cenario.inicios.erase(cenario.inicios.begin());
    std::printf("form start\t%.3f\n", bench::mediana(cenario.inicios));
    std::printf("origin switch\t%.3f\n", bench::mediana(cenario.trocas));
    std::printf("dialog at prefix\t%.3f\n", bench::mediana(dialogos));
    std::printf("peak rss\t%.1f\n", static_cast<double>(bench::picoMemoriaKb()) / 1024.0);
    return 0;
}
