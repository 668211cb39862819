#include "export-guard.h"

#include <string>

#include "defines.h"
#include "driver-error.h"
#include "log/logging.h"

namespace driver {

ErrorCase CodeForCaughtFailure(ErrorCase current, std::exception_ptr failure) noexcept {
    if (current != ErrorCase::Correct && current != ErrorCase::Unset) return current;
    try {
        std::rethrow_exception(failure);
    } catch (const DriverError& error) {
        return error.code();
    } catch (...) {
        return ErrorCase::UnknownExceptionWasCaught;
    }
}

// Most failures are reported by their code alone; this line makes each one visible in the log. A value
// that was never set is an answer rather than a failure, and callers poll for it, so it is only info.
void LogOutcome(std::string_view unit, const char* logName, ErrorCase ecase) {
    const LogLevel level = ecase == ErrorCase::ParamTypeIsNotSetToGet ? LogLevel::Info : LogLevel::Error;
    Log(level, unit, "@, ended with @", logName, ToString(ecase));
}

void LogCaughtFailure(std::string_view unit, const char* logName, ErrorCase ecase) noexcept {
    try {
        std::string current;
        try {
            current = ToString(ecase);
        } catch (...) {
            current = std::to_string(static_cast<std::int32_t>(ecase));
        }
        LogError(unit, "RunFunction() catch (...), @, ecase: @", logName, current);
    } catch (...) {
        // Logging itself failed; the result code still tells the caller.
    }
}

}  // namespace driver
