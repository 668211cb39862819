#include "child-process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace testsupport {

namespace {

using Clock = std::chrono::steady_clock;

void MakePipe(int fds[2]) {
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
}

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

// The test process's environment with the given variables set over it.
std::vector<std::string> Environment(const std::map<std::string, std::string>& overrides) {
    std::vector<std::string> entries;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        const std::string name(*entry, equals == nullptr ? std::strlen(*entry) : equals - *entry);
        if (!overrides.contains(name)) entries.emplace_back(*entry);
    }
    for (const auto& [name, value] : overrides) entries.push_back(name + "=" + value);
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int DecodeStatus(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                           const std::string& errorFile) {
    // A child that died must fail a test through its answers, not end the runner by SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    int in[2], out[2], err[2];
    MakePipe(in);
    MakePipe(out);
    MakePipe(err);

    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (errorFile.empty()) {
        ::posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    } else {
        ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                           0644);
    }
    ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    // The child gets SIGPIPE back: ignoring it here would otherwise carry over.
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<std::string> args = argv;
    std::vector<std::string> environment = Environment(env);
    const auto argvPointers = Pointers(args);
    const auto envPointers = Pointers(environment);
    pid_t pid = -1;
    if (::posix_spawn(&pid, args.at(0).c_str(), &actions, &attributes, argvPointers.data(), envPointers.data()) == 0)
        pid_ = pid;
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    in_ = in[1];
    out_ = out[0];
    err_ = err[0];
    if (pid_ < 0) status_ = 127;
}

ChildProcess::~ChildProcess() {
    if (!status_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        int raw = 0;
        ::waitpid(pid_, &raw, 0);
    }
    CloseFd(in_);
    CloseFd(out_);
    CloseFd(err_);
}

// Reads what is available on stdout and stderr within the timeout; false once both are closed.
bool ChildProcess::Pump(std::chrono::milliseconds timeout) {
    pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (out_ < 0 && err_ < 0) return false;
    const int ready = ::poll(fds, 2, static_cast<int>(timeout.count()));
    if (ready <= 0) return true;
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        char buffer[4096];
        const auto n = ::read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
            (i == 0 ? outBuffer_ : errBuffer_).append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            CloseFd(i == 0 ? out_ : err_);
        }
    }
    return out_ >= 0 || err_ >= 0;
}

std::optional<std::string> ChildProcess::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        const auto end = outBuffer_.find('\n');
        if (end != std::string::npos) {
            auto line = outBuffer_.substr(0, end);
            outBuffer_.erase(0, end + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || out_ < 0) return std::nullopt;
        Pump(left);
    }
}

bool ChildProcess::WriteLine(const std::string& line) {
    const auto text = line + "\n";
    return in_ >= 0 && ::write(in_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void ChildProcess::Signal(int signal) {
    if (!status_ && pid_ > 0) ::kill(pid_, signal);
}

ProcessResult ChildProcess::Finish(std::chrono::milliseconds timeout) {
    CloseFd(in_);
    const auto deadline = Clock::now() + timeout;
    while (Clock::now() < deadline && Pump(std::chrono::milliseconds(50))) {
    }
    int raw = 0;
    while (!status_) {
        const auto done = ::waitpid(pid_, &raw, WNOHANG);
        if (done == pid_) {
            status_ = DecodeStatus(raw);
        } else if (Clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &raw, 0);
            status_ = DecodeStatus(raw);
        } else {
            ::usleep(10'000);
        }
    }
    // Anything the process wrote before it ended is still in the pipes.
    for (int i = 0; i < 50 && Pump(std::chrono::milliseconds(20)); ++i) {
    }
    ProcessResult result{*status_, outBuffer_, errBuffer_};
    outBuffer_.clear();
    errBuffer_.clear();
    return result;
}

ProcessResult Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                  std::chrono::milliseconds timeout) {
    ChildProcess child(argv, env);
    return child.Finish(timeout);
}

}  // namespace testsupport
