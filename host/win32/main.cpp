// notera-host.exe: plays the host application of Notera.dll and Cheque.dll, for demos and
// tests. The command line is read as UTF-16 and handed on as UTF-8.

#include "Comum.h"
#include "Texto16.h"

#include <shellapi.h>

#include <cstdio>
#include <fcntl.h>
#include <io.h>

int main() {
    int n = 0;
    wchar_t** w = ::CommandLineToArgvW(::GetCommandLineW(), &n);
    std::vector<std::string> args;
    for (int i = 0; w && i < n; ++i)
        args.push_back(paraUtf8(w[i]));
    if (w) ::LocalFree(w);
    // Standard output and error carry UTF-8 lines ending in LF, as on Linux.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    if (args.size() < 2) return host::uso("falta o comando");
    if (host::pedeAjuda(args[1])) return host::ajuda();
    if (args[1] != "cheque" && args[1] != "transferencia")
        return host::uso("comando desconhecido: " + args[1]);
    return args[1] == "cheque" ? host::comandoCheque(args) : host::comandoTransferencia(args);
}
