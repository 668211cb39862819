#pragma once

// The few system calls of start-up, kept in one place.
#include <filesystem>
#include <optional>
#include <string>

class QApplication;

namespace weighdesk::platform {

// The folder of the running executable.
std::filesystem::path ExecutableFolder();

struct LoadFailure {
    int number = 0;    // errno after the failed load
    std::string text;  // the loader's own text
};

// Loads the shared library at path and unloads it at once.
std::optional<LoadFailure> TryLoad(const std::filesystem::path& library);

// SIGTERM and SIGINT close the windows as a user would, so the scale is restored and the close
// report still reaches the program that started us.
void CloseWindowsOnTerminate(QApplication& application);

}  // namespace weighdesk::platform
