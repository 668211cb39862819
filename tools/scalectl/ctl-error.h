#pragma once

#include <driver/driver.h>

#include <stdexcept>
#include <string>

namespace scalectl {

// A failed step of a command: the driver's result code plus what the user should know about it.
class CtlError : public std::runtime_error {
public:
    CtlError(driver::ErrorCase ecase, const std::string& detail = {}) : std::runtime_error(detail), ecase_(ecase) {}
    driver::ErrorCase ecase() const { return ecase_; }
    std::string detail() const { return what(); }

private:
    driver::ErrorCase ecase_;
};

// Throws CtlError when an export did not answer Correct.
inline void Check(std::int32_t result, const std::string& detail = {}) {
    if (result != static_cast<std::int32_t>(driver::ErrorCase::Correct)) {
        throw CtlError(static_cast<driver::ErrorCase>(result), detail);
    }
}

// Bad command-line input found after parsing.
inline CtlError UsageError(const std::string& detail) {
    return CtlError(driver::ErrorCase::CommandLineIncorrectArgument, detail);
}

}  // namespace scalectl
