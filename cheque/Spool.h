#pragma once
// Carries out a cheque batch file without a command interpreter.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cheque {

struct ComandoLote {
    enum class Tipo { Modo, Imprime, Sair };
    Tipo tipo = Tipo::Sair;
    std::string porta;   // Modo: "COM1"; Imprime: the port text as written
    std::string arquivo; // Imprime: the print file
};

// Reads the batch lines MODE, PRINT /D:, TYPE ... > and EXIT; other lines are skipped.
// The port text may hold blanks, so a print line is split at the expected print file
// (the batch file's path with ".TXT") when it ends with it.
std::vector<ComandoLote> interpretaLote(std::string_view conteudo,
                                        std::string_view arquivoEsperado);

struct Destino {
    enum class Tipo { Dispositivo, Arquivo, Fila };
    Tipo tipo = Tipo::Fila;
    std::vector<std::string> candidatos; // Dispositivo: the first that exists is used
    std::string nome;                    // Arquivo: the path; Fila: the queue name
};

// COMn -> /dev/ttyS(n-1); LPTn -> /dev/usb/lp(n-1) or /dev/lp(n-1); an absolute path is
// that file; any other text is a printer queue name.
Destino resolvePorta(std::string_view porta);

// Reads every print file named by the batch before anything is sent.
std::map<std::string, std::string> lePendentes(const std::vector<ComandoLote>& comandos);

// Runs the commands in order; false when any print could not be delivered.
bool executaLote(const std::vector<ComandoLote>& comandos,
                 const std::map<std::string, std::string>& conteudos);

} // namespace cheque
