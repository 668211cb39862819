#pragma once

#include "commands/byte-vector.h"
#include "driver/driver.h"

namespace driver {

class CommandContext;

// Carries the exchange of one command over the device's connection.
class ICommunicator {
public:
    virtual ~ICommunicator() = default;
    virtual ByteVector Communicate(CommandContext& context, const ByteVector& request, ErrorCase& err,
                                   ResponseValidator validator) = 0;
};

}  // namespace driver
