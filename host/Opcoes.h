#pragma once
// The host's command line, shared by its Linux and Windows builds: options, values, and the
// libraries' argument texts in code page 1252. Arguments are UTF-8.

#include "Log.h"
#include "Script.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace host {

constexpr int SaidaUso = 2;
constexpr int SaidaRoteiro = 3;

int uso(const std::string& msg);
// The usage on standard output, status 0: what --help and -h ask for.
int ajuda();
bool pedeAjuda(const std::string& arg);

struct Opcoes {
    std::map<std::string, std::string> valores;
    std::set<std::string> chaves;
    bool tem(const std::string& o) const { return valores.count(o) || chaves.count(o); }
    std::string valor(const std::string& o, const std::string& padrao = {}) const {
        auto it = valores.find(o);
        return it == valores.end() ? padrao : it->second;
    }
};

// "--name value" options and "--flag" switches from args[inicio]; nullopt (and erro) on
// anything else. --help or -h is recorded as the switch "--help" whatever the command.
std::optional<Opcoes> leOpcoes(const std::vector<std::string>& args, std::size_t inicio,
                               const std::set<std::string>& comValor,
                               const std::set<std::string>& chaves, std::string& erro);

std::optional<long long> inteiro(const std::string& s);
std::optional<double> decimal(const std::string& s);
std::optional<double> dataIso(const std::string& s); // YYYY-MM-DD -> days since 1899-12-30
std::string hojeIso();                               // the local date, YYYY-MM-DD
std::string leArquivo(const std::string& caminho, bool& ok);

// Texts in the libraries' forms, in code page 1252.
std::vector<char> buffer1024(const std::string& s);
std::vector<unsigned char> textoCurto(const std::string& s);
class TextoContado {
public:
    explicit TextoContado(const std::string& s);
    const char* ptr() const { return mem_.data() + 8; }

private:
    std::vector<char> mem_;
};

// What the command asks for besides the library's arguments.
struct PedidoSessao {
    std::string script, log; // empty when not given
};

// Opens the session's log and reads its script into |acoes|: 0, or the exit status of the run
// (SaidaUso when a file cannot be opened, SaidaRoteiro when the script does not parse, which
// is logged).
int abreSessao(const PedidoSessao& p, Registro& log, std::vector<Acao>& acoes);

// fCheque_Morvane's arguments, ready for the call.
struct ArgsCheque {
    PedidoSessao sessao;
    std::vector<char> porta;
    TextoContado nomeBanco{""};
    std::vector<char> portador, cidade, verso;
    std::vector<unsigned char> empresa;
    double valor = 0, data = 0;
    std::int32_t banco = 0, numero = 0;
    bool copia = false;
};

// GeraAL's arguments, ready for the call.
struct ArgsTransferencia {
    PedidoSessao sessao;
    std::string dirDados; // UTF-8, with its closing separator: the reservations' directory
    std::vector<unsigned char> dados, lanPag, chqPag, lanRec;
    std::string ref, controle;
    std::int32_t empresa = 0;
    bool contabil = false, semSelecao = false;
    double valor = 0, data = 0;
};

// Reads the command's options from args[2]; nullopt with the exit status in saida when the
// run stops here (usage error 2, --help 0).
std::optional<ArgsCheque> leCheque(const std::vector<std::string>& args, int& saida);
// separador: what closes the data directory when it was typed without one.
std::optional<ArgsTransferencia> leTransferencia(const std::vector<std::string>& args,
                                                 char separador, int& saida);

} // namespace host
