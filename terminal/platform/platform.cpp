#include "platform.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace weighdesk::platform {

std::filesystem::path ExecutableFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

namespace {

LoadFailure LastLoadFailure() {
    const int number = errno;
    const char* text = dlerror();
    return LoadFailure{number, text != nullptr ? text : "unknown error"};
}

}  // namespace

std::optional<LoadFailure> TryLoad(const std::filesystem::path& library) {
    errno = 0;
    void* module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return LastLoadFailure();
    dlclose(module);
    return std::nullopt;
}

std::optional<LoadFailure> LoadForGood(const std::filesystem::path& library, void*& module) {
    errno = 0;
    module = dlopen(library.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (module == nullptr) return LastLoadFailure();
    return std::nullopt;
}

void* FindSymbol(void* module, const char* name, std::string& failure) {
    dlerror();
    void* symbol = dlsym(module, name);
    if (symbol == nullptr) {
        const char* text = dlerror();
        failure = text != nullptr ? text : std::string(name) + ": not found";
    }
    return symbol;
}

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop does the rest.
void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

void CloseWindowsOnTerminate(QApplication& application) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &application);
    QObject::connect(notifier, &QSocketNotifier::activated, &application, [] {
        char byte = 0;
        [[maybe_unused]] const auto read = ::read(signalPipe[0], &byte, 1);
        QApplication::closeAllWindows();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

FileLock::FileLock(const std::filesystem::path& lockFile) {
    fd_ = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ < 0) return;
    int result = 0;
    do {
        result = ::flock(fd_, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

FileLock::~FileLock() {
    if (fd_ < 0) return;
    ::flock(fd_, LOCK_UN);
    ::close(fd_);
}

bool IsHeldByAnotherProgram(const std::string& port) {
    const int fd = ::open(port.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == EBUSY;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!held) ::flock(fd, LOCK_UN);
    ::close(fd);
    return held;
}

}  // namespace weighdesk::platform
