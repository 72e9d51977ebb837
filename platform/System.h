#pragma once
// Operating-system services the libraries used to take from Windows.

#include "base/BrFormat.h"

#include <string>
#include <vector>

namespace platform {

// The directory separator that joins the data directories: a backslash on Windows, as the
// host application joins them there.
#ifdef _WIN32
inline constexpr char SeparadorDeDiretorios = '\\';
#else
inline constexpr char SeparadorDeDiretorios = '/';
#endif

// $TMPDIR, else "/tmp"; as given, without a closing "/".
std::string diretorioTemporario();

// Creates the directory and its missing parents; failures are left to the caller to notice.
void criaDiretorios(const std::string& caminho);

// Local time of day as "hhnnss".
std::string horaAtualHHNNSS();
// Today's local date.
base::Data hoje();

// Writes a whole file, replacing one of that name. Never follows a symbolic link at the
// last component and leaves the file readable and writable by its owner only.
bool gravaArquivoPrivado(const std::string& caminho, const std::string& bytes);

// Starts a program with an argument vector (no shell) and waits for it. Returns its exit
// status, or -1 when it could not be started or did not exit normally.
int executaEEspera(const std::string& programa, const std::vector<std::string>& argumentos);

// Directory of the shared object or executable that holds the given address.
std::string diretorioDoModulo(const void* enderecoNoModulo);

} // namespace platform
