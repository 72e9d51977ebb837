#pragma once
// The Windows host's record selection dialog over a library's data set.

#include "host/Registros.h"

#include <optional>
#include <string>

class RoboWin32;

// Modal over the active window. The chosen key, the data set standing on its record; nothing
// on cancel. With a robot that runs a script, the robot's queue answers it.
std::optional<std::string> mostraSelecao(const std::string& titulo, SelecaoDeRegistro& selecao,
                                         RoboWin32* robo);
