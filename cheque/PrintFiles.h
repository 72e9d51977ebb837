#pragma once
// The exact bytes of the cheque printer's files: front, back, copy and batch.

#include <string>
#include <string_view>
#include <vector>

namespace cheque {

struct DadosCheque {
    double valor = 0;
    int banco = 0;
    std::string nomeBanco;
    int numero = 0;
    double data = 0; // days since 30 December 1899
    std::string portador;
    std::string cidade;
    std::string verso;
    std::string empresa;
};

// The caller's text with every control character (below blank, and DEL) made a blank: a
// text never ends a line early nor sends the printer a command of its own.
std::string Imprimivel(std::string_view texto);

std::string Espacos(int n);
// Fits a text into `largura` columns: 'R' right, 'L' left, 'C' centred (odd blank left).
std::string Alinha(std::string_view texto, int largura, char modo);
// The back text cut into lines: LF ends a line, CR is dropped, other control characters
// print as blanks.
std::vector<std::string> linhasDoVerso(std::string_view verso);

std::string arquivoFrente(const DadosCheque& d);
std::string arquivoVerso(std::string_view verso);
std::string arquivoCopia(const DadosCheque& d, std::string_view porExtenso);
// The two command interpreter families: TYPE through COMMAND.COM, or PRINT /D: run directly.
enum class Familia { Win9x, NT };

// The batch file: mode line (with the command directory when it holds MODE.COM), the print
// command for the family, EXIT.
std::string arquivoLote(std::string_view arquivoImpressao, std::string_view porta, Familia familia,
                        std::string_view diretorioDoMode);
// Where there is no Windows directory: the NT family, the mode line alone.
std::string arquivoLote(std::string_view arquivoImpressao, std::string_view porta);

// Why a port text cannot go into the batch file, or empty when it can. Control characters
// would add lines; with a command interpreter, separators, redirections, quotes and
// variables would run commands.
std::string recusaPorta(std::string_view porta, bool interpretadorDeComandos);

} // namespace cheque
