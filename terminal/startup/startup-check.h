#pragma once

#include <string_view>

#include "platform.h"

namespace weighdesk {

enum class StartupCheck {
    Passed,
    LibraryNotLoadable,  // reported on standard error; the program ends with 1
    IntegrityFailed,     // reported as JSON on standard output; the program ends with 0
};

inline constexpr const char* kFacadeLibrary = "libpermanent.so";

// Loads and unloads the facade library beside the running executable, then compares its SHA-256
// with expectedSha256 (lower-case hex). Writes the failure's message.
StartupCheck CheckFacadeLibrary(std::string_view expectedSha256);

// "LoadLibrary failed (Error N): TEXT" on standard error, for any library the program cannot load.
void PrintLoadFailure(const platform::LoadFailure& failure);

// The JSON object that tells the starting program why no window opened.
void PrintIntegrityError();

}  // namespace weighdesk
