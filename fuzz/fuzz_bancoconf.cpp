// The banco.conf reader on any text: the address it finds is one trimmed line of the text,
// never a comment, read the same again on its own, and unchanged by a comment or a blank
// line before it or by more lines after it. The address then goes through libpq's own
// parser, which is what a connection does with it first (no connection is opened).

#include "db/Armazem.h"

#include <libpq-fe.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view Espacos = " \t\r\n\f\v";

bool ehEspaco(char c) {
    return Espacos.find(c) != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dados, std::size_t tamanho) {
    const std::string texto(reinterpret_cast<const char*>(dados), tamanho);
    const std::string uri = db::uriDeConfiguracao(texto);

    if (!uri.empty()) {
        if (ehEspaco(uri.front()) || ehEspaco(uri.back())) std::abort();
        if (uri.front() == '#') std::abort();
        if (uri.find('\n') != std::string::npos) std::abort();
        if (texto.find(uri) == std::string::npos) std::abort();
        if (db::uriDeConfiguracao(texto + "\npostgresql:///outro\n") != uri) std::abort();
    }
    if (db::uriDeConfiguracao(uri) != uri) std::abort();
    if (db::uriDeConfiguracao("# comentário\r\n\r\n \t\n" + texto) != uri) std::abort();

    // What libpq makes of it; an address it refuses comes back with its reason.
    char* erro = nullptr;
    PQconninfoOption* opcoes = PQconninfoParse(uri.c_str(), &erro);
    if (!opcoes && !erro && !uri.empty()) std::abort();
    for (const PQconninfoOption* o = opcoes; o && o->keyword; ++o)
        (void)std::string_view(o->val ? o->val : "");
    PQconninfoFree(opcoes);
    PQfreemem(erro);
    return 0;
}
