#pragma once

// The few system calls of the terminal, kept in one place.
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

// Loads the shared library at path for the rest of the process, its symbols visible to libraries
// loaded later (which then bind to this very file, whatever LD_LIBRARY_PATH says).
std::optional<LoadFailure> LoadForGood(const std::filesystem::path& library, void*& module);

// The address of an exported symbol of a module from LoadForGood, or nothing with the loader's text.
void* FindSymbol(void* module, const char* name, std::string& failure);

// SIGTERM and SIGINT close the windows as a user would, so the scale is restored and the close
// report still reaches the program that started us.
void CloseWindowsOnTerminate(QApplication& application);

// An exclusive flock on a lock file, held for the object's life; other programs (and other opens
// in this one) wait for it. The file is created when missing.
class FileLock {
public:
    explicit FileLock(const std::filesystem::path& lockFile);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// True when another program has the serial port: it is opened exclusively (EBUSY) or flocked, as
// the driver does with the ports it opens. A port that does not exist or cannot be opened is not held.
bool IsHeldByAnotherProgram(const std::string& port);

}  // namespace weighdesk::platform
