#pragma once
// Carries out a cheque batch file without a command interpreter.

#include <chrono>
#include <map>
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

struct Lote {
    std::vector<ComandoLote> comandos;
    std::string erro; // why the batch was refused; then there are no commands
};

// Accepts only the three lines the cheque library writes: the mode line, one print line
// (PRINT /D:port FILE or TYPE FILE >port) for the expected print file (the batch file's path
// with ".TXT"), and EXIT. The port text may hold blanks but no control characters. Anything
// else refuses the whole batch.
Lote interpretaLote(std::string_view conteudo, std::string_view arquivoEsperado);

struct Destino {
    enum class Tipo { Dispositivo, Arquivo, Fila };
    Tipo tipo = Tipo::Fila;
    std::vector<std::string> candidatos; // Dispositivo: the first that exists is used
    std::string nome;                    // Arquivo: the path; Fila: the queue name
};

// COMn -> /dev/ttyS(n-1); LPTn -> /dev/usb/lp(n-1) or /dev/lp(n-1); an absolute path is
// that file; any other text is a printer queue name.
Destino resolvePorta(std::string_view porta);

// Reads the print file a batch names (never through a symbolic link). Empty on success,
// otherwise why not.
std::string lePendentes(const std::vector<ComandoLote>& comandos,
                        std::map<std::string, std::string>& conteudos);

// How long a port may take to accept a job, in seconds: |texto| when it is a whole number
// from 1 to 3600, otherwise the default of 30.
int prazoEmSegundos(const char* texto);

// What the spooler says when the port did not take the bytes within the deadline.
std::string semResposta(const std::string& porta, int segundos);

// A print job whose port is open (or whose queue already took it). Opening never blocks
// and every write waits at most until the deadline: a port nobody reads, or a printer that
// is offline or holds the line, is reported instead of hanging the job.
class Entrega {
public:
    explicit Entrega(int segundos = 30);
    ~Entrega();
    Entrega(const Entrega&) = delete;
    Entrega& operator=(const Entrega&) = delete;
    Entrega(Entrega&& o) noexcept;

    // Sets the serial line, then opens the port or hands the bytes to the queue. Empty
    // when the job was accepted, otherwise why not (the port is named).
    std::string prepara(const std::vector<ComandoLote>& comandos,
                        const std::map<std::string, std::string>& conteudos);
    // Sends what is left to the open port. Empty on success, otherwise why not.
    std::string conclui();
    bool temEnvio() const { return fd_ >= 0; }

private:
    std::string semResposta() const;

    int fd_ = -1;
    std::string bytes_;
    std::string porta_;
    int segundos_;
    std::chrono::steady_clock::time_point limite_;
};

} // namespace cheque
