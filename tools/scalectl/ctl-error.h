#pragma once

#include <driver/driver.h>

#include <stdexcept>
#include <string>

#include "log-cause.h"

namespace scalectl {

// A failed step of a command: the driver's result code plus what the user should know about it.
// logged: what the driver wrote into its log during the failed call (see log-cause.h).
class CtlError : public std::runtime_error {
public:
    CtlError(driver::ErrorCase ecase, const std::string& detail = {}, const std::string& logged = {})
        : std::runtime_error(detail), ecase_(ecase), logged_(logged) {}
    driver::ErrorCase ecase() const { return ecase_; }
    std::string detail() const { return what(); }
    const std::string& logged() const { return logged_; }
    // The detail and the logged cause, "; " between them.
    std::string cause() const {
        const std::string own = what();
        return own.empty() ? logged_ : logged_.empty() ? own : own + "; " + logged_;
    }

private:
    driver::ErrorCase ecase_;
    std::string logged_;
};

// Throws CtlError when an export did not answer Correct, with the cause the driver logged since the
// last MarkLog().
inline void Check(std::int32_t result, const std::string& detail = {}) {
    if (result != static_cast<std::int32_t>(driver::ErrorCase::Correct)) {
        throw CtlError(static_cast<driver::ErrorCase>(result), detail, LoggedCause());
    }
}

// Bad command-line input found after parsing.
inline CtlError UsageError(const std::string& detail) {
    return CtlError(driver::ErrorCase::CommandLineIncorrectArgument, detail);
}

}  // namespace scalectl
