#pragma once

#include <stdexcept>
#include <string>

#include "driver/driver.h"

namespace driver {

// A logic error that knows which result code describes it, so the export guard
// never reports a caught failure as success.
class DriverError : public std::logic_error {
public:
    DriverError(ErrorCase code, const std::string& message) : std::logic_error(message), code_(code) {}
    ErrorCase code() const noexcept { return code_; }

private:
    ErrorCase code_;
};

}  // namespace driver
