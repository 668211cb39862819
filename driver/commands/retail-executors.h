#pragma once

#include <memory>

#include "commands/command-executor.h"

namespace driver {

// Executors of the retail protocols (POS, CAS, CAS active, OKA) for commands 55 to 65;
// nullptr for any other command.
std::unique_ptr<ICommandExecutor> CreateRetailCommandExecutor(Command command);

}  // namespace driver
