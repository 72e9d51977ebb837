#pragma once
// The operating-system services a cheque job needs, with one implementation per system:
// POSIX (the spooler stands in for the command interpreter) and Win32.

#include "PrintFiles.h"

#include <memory>
#include <string>

namespace cheque {

// A file this job created; rewriting it never goes through a name someone else planted.
class ArquivoDoTrabalho {
public:
    virtual ~ArquivoDoTrabalho() = default;
    // Replaces the whole contents; false when they could not be written.
    virtual bool regrava(const std::string& bytes) = 0;
};

enum class Criacao { Criado, Existe, Falhou };

class Sistema {
public:
    virtual ~Sistema() = default;

    virtual char separador() const = 0;
    // Whether the batch file goes to a command interpreter (which reads metacharacters).
    virtual bool usaInterpretador() const = 0;

    // The temporary directory as the system gives it; empty when it could not tell.
    virtual std::string diretorioTemporario() = 0;
    virtual bool existeDiretorio(const std::string& caminho) = 0;
    // Failures show up when the files are created.
    virtual void criaDiretorios(const std::string& caminho) = 0;
    // Local time of day in seconds since midnight.
    virtual int segundosDoDia() = 0;
    virtual Familia familia() = 0;
    // With its closing separator; empty where there is none.
    virtual std::string diretorioWindows() = 0;
    virtual bool existeArquivo(const std::string& caminho) = 0;

    // Creates a new file, never opening one that exists (nor a link planted under the name).
    virtual std::unique_ptr<ArquivoDoTrabalho> criaExclusivo(const std::string& caminho,
                                                             Criacao& resultado) = 0;
    // Removes a file this job created and gives up.
    virtual void removeArquivo(const std::string& caminho) = 0;

    // Starts the batch file. Empty when the job was accepted, otherwise why it was not.
    virtual std::string lanca(const std::string& arquivoLote, Familia familia,
                              const std::string& diretorioComandos) = 0;

    // Confirmation box "Confirme" with "&Sim" and "&Não"; texts in code page 1252.
    virtual bool confirma(const std::string& texto) = 0;
    // Warning box "Aviso" with "OK".
    virtual void avisa(const std::string& texto) = 0;
};

// The system this library was built for.
std::unique_ptr<Sistema> sistemaLocal();

} // namespace cheque
