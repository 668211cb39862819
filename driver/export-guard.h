// The frame of every exported call, in libdriver.so and libponderix.so alike: the work runs inside
// it, no exception leaves it, and a failure is logged once with the call's name.
#pragma once

#include <cstdint>
#include <exception>
#include <string_view>

#include "driver/vocabulary.h"

namespace driver {

// The code a caught exception stands for, unless the work had set a failure already.
ErrorCase CodeForCaughtFailure(ErrorCase current, std::exception_ptr failure) noexcept;
void LogOutcome(std::string_view unit, const char* logName, ErrorCase ecase);
void LogCaughtFailure(std::string_view unit, const char* logName, ErrorCase ecase) noexcept;

template <class Work>
std::int32_t RunGuarded(std::string_view unit, const char* logName, ErrorCase& ecase, Work&& work) {
    try {
        work();
        if (ecase != ErrorCase::Correct) LogOutcome(unit, logName, ecase);
    } catch (...) {
        const auto failure = std::current_exception();
        LogCaughtFailure(unit, logName, ecase);
        ecase = CodeForCaughtFailure(ecase, failure);
    }
    return static_cast<std::int32_t>(ecase);
}

}  // namespace driver
