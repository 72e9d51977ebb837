// notera-host transferencia: calls GeraAL with the command line's values and plays the
// host's services: the selection dialog and the table reservations.

#include "Comum.h"
#include "Impressao.h"
#include "Reservas.h"
#include "Selecao.h"

#include "base/Cp1252.h"
#include "notera/notera.h"

#include <QApplication>
#include <QMessageBox>

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

std::vector<std::string> lista(const char* const* itens, int32_t ultimo) {
    std::vector<std::string> l;
    for (int32_t i = 0; itens && i <= ultimo; ++i)
        l.push_back(base::cp1252ParaUtf8(itens[i] ? itens[i] : ""));
    return l;
}

QStringList qlista(const std::vector<std::string>& l) {
    QStringList q;
    for (const auto& s : l)
        q << QString::fromStdString(s);
    return q;
}

std::vector<std::string> slista(const QStringList& l) {
    std::vector<std::string> v;
    for (const auto& s : l)
        v.push_back(s.toStdString());
    return v;
}

void NOTERA_CALL selecionaRegistro(const char* titulo, NoteraDataSet* ds,
                                   const char* const* colunas, int32_t ultimaColuna,
                                   const char* const* titulos, int32_t ultimoTitulo, int32_t,
                                   NoteraStrings* resultado, NoteraField*) {
    DialogoSelecao d(deCp(titulo), ds, qlista(lista(colunas, ultimaColuna)),
                     qlista(lista(titulos, ultimoTitulo)), QApplication::activeWindow());
    if (d.exec() == QDialog::Accepted)
        resultado->ops->Add(resultado, base::utf8ParaCp1252(d.escolhido().toStdString()).c_str());
}

uint8_t NOTERA_CALL reservaTabelas(const char* const* tabelas, int32_t ultimo) {
    const auto nomes = lista(tabelas, ultimo);
    bool ok = !(contexto->robo && contexto->robo->proximaReservaRecusada());
    if (ok) ok = contexto->reservas->reserva(nomes);
    contexto->log->escreve({{"event", "reserve"}, {"tables", nomes}, {"answer", ok}});
    // A busy table is refused without a word; a server that cannot be asked is not.
    if (!ok && !contexto->reservas->erro().empty())
        QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Reserva de tabelas"),
                              QString::fromStdString(contexto->reservas->erro()));
    return ok ? 1 : 0;
}

void NOTERA_CALL liberaTabelas(const char* const* tabelas, int32_t ultimo) {
    const auto nomes = lista(tabelas, ultimo);
    contexto->reservas->libera(nomes);
    contexto->log->escreve({{"event", "release"}, {"tables", nomes}});
}

// The robot's answer to the selection dialog.
void respondeSelecao(Robo& robo, QDialog* d) {
    auto* sel = qobject_cast<DialogoSelecao*>(d);
    if (!sel) return;
    const std::string titulo = sel->windowTitle().toStdString();
    Evento ev{{"event", "select"},
              {"caption", titulo},
              {"fields", slista(sel->campos())},
              {"titles", slista(sel->titulos())},
              {"at", sel->valorInicial().toStdString()}};
    auto resposta = robo.proximaSelecao();
    if (!resposta) {
        ev.insert_or_assign("answer", "cancel");
        robo.log().escreve(ev);
        robo.registraErro("unexpected selection dialog \"" + titulo + "\"");
        sel->reject();
    } else if (*resposta == "cancel") {
        ev.insert_or_assign("answer", "cancel");
        robo.log().escreve(ev);
        sel->reject();
    } else if (sel->escolhe(QString::fromStdString(*resposta))) {
        ev.insert_or_assign("answer", *resposta);
        robo.log().escreve(ev);
    } else {
        ev.insert_or_assign("answer", "cancel");
        robo.log().escreve(ev);
        robo.registraErro("selection dialog \"" + titulo + "\" has no row " + *resposta);
        sel->reject();
    }
}

using FnGeraAL = decltype(&GeraAL);

} // namespace

int comandoTransferencia(const std::vector<std::string>& args) {
    int saida = 0;
    auto a = leTransferencia(args, '/', saida);
    if (!a) return saida;

    Sessao s;
    if (int r = preparaSessao(a->sessao, s); r != 0) return r;
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

    Reservas reservas(a->dirDados);
    Contexto ctx{s.robo.get(), &s.log, &reservas};
    contexto = &ctx;

    const bool resultado =
        geraAL(a->dados.data(), a->empresa, a->contabil ? 1 : 0, a->valor, a->lanPag.data(),
               a->chqPag.data(), a->lanRec.data(), a->semSelecao ? nullptr : &selecionaRegistro,
               a->ref.c_str(), &reservaTabelas, &liberaTabelas, a->controle.c_str(), a->data) != 0;
    contexto = nullptr;

    s.robo->conclui();
    s.log.escreve({{"event", "result"}, {"value", resultado}});
    if (s.robo->falhou()) return SaidaRoteiro;
    return resultado ? 0 : 1;
}

} // namespace host
