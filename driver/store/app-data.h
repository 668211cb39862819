#pragma once

#include <optional>
#include <string>

namespace driver {

// The per-user data root: APPDATA when set and not empty, else XDG_DATA_HOME, else $HOME/.local/share.
// Empty when none of them is available.
std::string AppDataRoot();

// "<root>/NORVELL/Ponderix"
std::string PonderixFolder();

}  // namespace driver
