#pragma once

#include <memory>
#include <string>

#include "driver/driver.h"

namespace driver {

class Connection;

// What a command run may use of the device it runs on: the line to exchange bytes over, the values
// set for it and those earlier commands left, and the device's own checked run for a sub-command.
// Executors and communicators see only this, so they never reach the rest of the device.
class CommandContext {
public:
    virtual std::shared_ptr<Connection> GetConnection() const = 0;
    virtual std::string GetInputParam(ParamType ptype, ErrorCase& ecase) = 0;
    virtual std::string GetParam(ParamType ptype, ErrorCase& ecase) = 0;
    // Maps and checks the command for the device's protocol and model, then runs it and keeps its values.
    virtual void ExecuteCommand(Command command, ErrorCase& ecase) = 0;

protected:
    ~CommandContext() = default;
};

}  // namespace driver
