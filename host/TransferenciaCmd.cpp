// notera-host transferencia: calls GeraAL with the command line's values and plays the
// host's services: the selection dialog and the table reservations.

#include "Comum.h"
#include "Impressao.h"
#include "Reservas.h"
#include "Selecao.h"

#include "base/Cp1252.h"
#include "notera/notera.h"

#include <QApplication>
#include <QDate>
#include <QJsonArray>
#include <QMessageBox>

#include <climits>
#include <cstdio>
#include <dlfcn.h>

namespace host {

namespace {

// The services are plain C functions without a context argument, so the run's context is
// reached through this pointer while GeraAL runs.
struct Contexto {
    Robo* robo = nullptr;
    Registro* log = nullptr;
    Reservas* reservas = nullptr;
};
Contexto* contexto = nullptr;

QString deCp(const char* s) {
    return QString::fromStdString(base::cp1252ParaUtf8(s ? s : ""));
}

QStringList lista(const char* const* itens, int32_t ultimo) {
    QStringList l;
    for (int32_t i = 0; itens && i <= ultimo; ++i)
        l << deCp(itens[i]);
    return l;
}

QJsonArray json(const QStringList& l) {
    QJsonArray a;
    for (const auto& s : l)
        a.append(s);
    return a;
}

void NOTERA_CALL selecionaRegistro(const char* titulo, NoteraDataSet* ds,
                                   const char* const* colunas, int32_t ultimaColuna,
                                   const char* const* titulos, int32_t ultimoTitulo, int32_t,
                                   NoteraStrings* resultado, NoteraField*) {
    DialogoSelecao d(deCp(titulo), ds, lista(colunas, ultimaColuna), lista(titulos, ultimoTitulo),
                     QApplication::activeWindow());
    if (d.exec() == QDialog::Accepted)
        resultado->ops->Add(resultado, base::utf8ParaCp1252(d.escolhido().toStdString()).c_str());
}

uint8_t NOTERA_CALL reservaTabelas(const char* const* tabelas, int32_t ultimo) {
    const QStringList nomes = lista(tabelas, ultimo);
    bool ok = !(contexto->robo && contexto->robo->proximaReservaRecusada());
    if (ok) {
        std::vector<std::string> v;
        for (const auto& n : nomes)
            v.push_back(n.toStdString());
        ok = contexto->reservas->reserva(v);
    }
    contexto->log->escreve({{"event", "reserve"}, {"tables", json(nomes)}, {"answer", ok}});
    // A busy table is refused without a word; a server that cannot be asked is not.
    if (!ok && !contexto->reservas->erro().empty())
        QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Reserva de tabelas"),
                              QString::fromStdString(contexto->reservas->erro()));
    return ok ? 1 : 0;
}

void NOTERA_CALL liberaTabelas(const char* const* tabelas, int32_t ultimo) {
    const QStringList nomes = lista(tabelas, ultimo);
    std::vector<std::string> v;
    for (const auto& n : nomes)
        v.push_back(n.toStdString());
    contexto->reservas->libera(v);
    contexto->log->escreve({{"event", "release"}, {"tables", json(nomes)}});
}

// The robot's answer to the selection dialog.
void respondeSelecao(Robo& robo, QDialog* d) {
    auto* sel = qobject_cast<DialogoSelecao*>(d);
    if (!sel) return;
    QJsonObject ev{{"event", "select"},
                   {"caption", sel->windowTitle()},
                   {"fields", json(sel->campos())},
                   {"titles", json(sel->titulos())},
                   {"at", sel->valorInicial()}};
    auto resposta = robo.proximaSelecao();
    if (!resposta) {
        ev["answer"] = QStringLiteral("cancel");
        robo.log().escreve(ev);
        robo.registraErro(
            QStringLiteral("unexpected selection dialog \"%1\"").arg(sel->windowTitle()));
        sel->reject();
    } else if (*resposta == QLatin1String("cancel")) {
        ev["answer"] = QStringLiteral("cancel");
        robo.log().escreve(ev);
        sel->reject();
    } else if (sel->escolhe(*resposta)) {
        ev["answer"] = *resposta;
        robo.log().escreve(ev);
    } else {
        ev["answer"] = QStringLiteral("cancel");
        robo.log().escreve(ev);
        robo.registraErro(QStringLiteral("selection dialog \"%1\" has no row %2")
                              .arg(sel->windowTitle(), *resposta));
        sel->reject();
    }
}

using FnGeraAL = decltype(&GeraAL);

} // namespace

int comandoTransferencia(int argc, char** argv) {
    std::string erro;
    auto o = leOpcoes(argc, argv, 2,
                      {"--dados", "--empresa", "--valor", "--lanpag", "--chqpag", "--lanrec",
                       "--ref", "--controle", "--data", "--script", "--log"},
                      {"--contabil", "--sem-selecao"}, erro);
    if (!o) return uso(erro);
    if (o->chaves.count("--help")) return ajuda();
    if (!o->valores.count("--dados")) return uso("falta --dados");
    if (!o->valores.count("--empresa")) return uso("falta --empresa");
    auto empresa = inteiro(o->valor("--empresa"));
    if (!empresa || *empresa < INT32_MIN || *empresa > INT32_MAX) return uso("--empresa inválida");
    auto valor = decimal(o->valor("--valor", "0"));
    if (!valor) return uso("--valor inválido");
    std::optional<double> data =
        o->valores.count("--data")
            ? dataIso(o->valor("--data"))
            : dataIso(QDate::currentDate().toString(Qt::ISODate).toStdString());
    if (!data) return uso("--data inválida (AAAA-MM-DD)");
    // The library expects the data directory with its closing separator, as the host
    // application passes it; a directory typed without one is completed here.
    std::string dirDados = o->valor("--dados");
    if (!dirDados.empty() && dirDados.back() != '/') dirDados += '/';
    // Short texts hold 255 characters; a cut directory or table name would open another one.
    if (base::utf8ParaCp1252(dirDados).size() > 255)
        return uso("--dados com mais de 255 caracteres");
    for (const char* curto : {"--lanpag", "--chqpag", "--lanrec"})
        if (base::utf8ParaCp1252(o->valor(curto)).size() > 255)
            return uso(std::string(curto) + " com mais de 255 caracteres");

    Sessao s;
    if (int r = preparaSessao(*o, s); r != 0) return r;
    s.robo->registraTratador(QStringLiteral("SelecionaRegistro"),
                             [robo = s.robo.get()](QDialog* d) { respondeSelecao(*robo, d); });
    registraImpressao(*s.robo);
    s.robo->registraJanelaPrincipal(QStringLiteral("FormAL"));

    Biblioteca lib("libNotera.so");
    auto geraAL = reinterpret_cast<FnGeraAL>(lib.simbolo("GeraAL"));
    if (!geraAL) {
        std::fprintf(stderr, "notera-host: libNotera.so: %s\n", ::dlerror());
        return 1;
    }

    Reservas reservas(dirDados);
    Contexto ctx{s.robo.get(), &s.log, &reservas};
    contexto = &ctx;

    auto dados = textoCurto(base::utf8ParaCp1252(dirDados));
    auto lanPag = textoCurto(base::utf8ParaCp1252(o->valor("--lanpag", "TbLanPag.db")));
    auto chqPag = textoCurto(base::utf8ParaCp1252(o->valor("--chqpag", "TbChqPag.db")));
    auto lanRec = textoCurto(base::utf8ParaCp1252(o->valor("--lanrec", "TbLanRec.db")));
    const std::string ref = base::utf8ParaCp1252(o->valor("--ref"));
    const std::string controle = base::utf8ParaCp1252(o->valor("--controle"));

    const bool resultado =
        geraAL(dados.data(), static_cast<int32_t>(*empresa), o->chaves.count("--contabil") ? 1 : 0,
               *valor, lanPag.data(), chqPag.data(), lanRec.data(),
               o->chaves.count("--sem-selecao") ? nullptr : &selecionaRegistro, ref.c_str(),
               &reservaTabelas, &liberaTabelas, controle.c_str(), *data) != 0;
    contexto = nullptr;

    s.robo->conclui();
    s.log.escreve({{"event", "result"}, {"value", resultado}});
    if (s.robo->falhou()) return SaidaRoteiro;
    return resultado ? 0 : 1;
}

} // namespace host
