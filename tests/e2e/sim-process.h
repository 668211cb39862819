#pragma once

// The scale simulator as a child process, and a driver device opened on it through the exports.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <driver/driver.h>
#include <driver/error-names.h>

extern char** environ;

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

inline Ms Since(Clock::time_point start) {
    return std::chrono::duration_cast<Ms>(Clock::now() - start);
}

// One scale-sim child. The first line it prints is where a host connects; every control line
// written to its standard input is answered by one line.
class SimProcess {
public:
    // `errorLog`: a file for the simulator's standard error (its --log lines); none by default.
    explicit SimProcess(const std::vector<std::string>& args, const std::string& errorLog = "") {
        ::signal(SIGPIPE, SIG_IGN);  // a simulator that died must fail a test, not kill the runner
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0) return;
        if (::pipe2(out, O_CLOEXEC) != 0) {
            ::close(in[0]);
            ::close(in[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        ::posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        // The new pty path after a dropped line goes to standard error; the tests ask "status".
        const std::string errorPath = errorLog.empty() ? "/dev/null" : errorLog;
        ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                           0644);
        // Ports and sockets the driver holds must not live on in the child.
        ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        std::vector<std::string> all{SCALE_SIM_PATH};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&pid_, SCALE_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        ::posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        in_ = in[1];
        out_ = out[0];
        if (pid_ > 0) endpoint_ = ReadLine(5s);
    }

    ~SimProcess() {
        if (in_ >= 0) ::close(in_);  // end of input: the simulator quits
        const auto start = Clock::now();
        while (pid_ > 0 && Since(start) < 2s) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_)
                pid_ = -1;
            else
                std::this_thread::sleep_for(5ms);
        }
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (out_ >= 0) ::close(out_);
    }

    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool started() const { return pid_ > 0 && !endpoint_.empty(); }
    // The pty slave path, or "HOST:PORT" as bound.
    const std::string& endpoint() const { return endpoint_; }

    // Sends one control line and returns its answer ("" when none came within two seconds).
    std::string Send(const std::string& line) {
        const std::string text = line + "\n";
        if (::write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return {};
        return ReadLine(2s);
    }

    // Sends lines that must each be answered "ok".
    void Control(std::initializer_list<std::string> lines) {
        for (const std::string& line : lines) ASSERT_EQ(Send(line), "ok") << "control line: " << line;
    }

    // Where a host connects now: a dropped pty line starts over on a new path.
    std::string CurrentEndpoint() {
        const std::string status = Send("status");
        const auto at = status.find("endpoint=");
        if (at == std::string::npos) return {};
        const auto start = at + std::string_view("endpoint=").size();
        return status.substr(start, status.find(' ', start) - start);
    }

    std::string Setting(const std::string& key) {
        const std::string answer = Send("get " + key);
        const std::string prefix = key + "=";
        return answer.rfind(prefix, 0) == 0 ? answer.substr(prefix.size()) : "<" + answer + ">";
    }

private:
    std::string ReadLine(Ms timeout) {
        const auto start = Clock::now();
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            const Ms left = timeout - Since(start);
            if (left <= 0ms) return {};
            pollfd p{out_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) != 1) return {};
            char chunk[256];
            const ssize_t n = ::read(out_, chunk, sizeof chunk);
            if (n <= 0) return {};
            buffer_.append(chunk, static_cast<std::size_t>(n));
        }
    }

    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    std::string buffer_;
    std::string endpoint_;
};

// What a logic device holds besides its id and name.
struct Connection {
    std::string type = "Serial Port";  // or "TCP"
    std::string endPoint;
    std::string model = "auto";
    std::string protocol = "auto";
    std::string baudRate = "9600";
};

// The serial connection of a pty simulator, or the TCP connection of one started with --tcp.
inline Connection ConnectionTo(const SimProcess& sim, const std::string& protocol, const std::string& model = "auto") {
    const bool tcp = sim.endpoint().rfind("/dev/", 0) != 0;
    return Connection{tcp ? "TCP" : "Serial Port", sim.endpoint(), model, protocol};
}

// A device handle of libdriver.so with one logic device of its own, as a caller uses them.
class Scale {
public:
    Scale() { ::create(&handle_); }
    ~Scale() {
        if (handle_ == nullptr) return;
        ::driver_close(&handle_);
        ::destroy(&handle_);
    }
    Scale(const Scale&) = delete;
    Scale& operator=(const Scale&) = delete;

    driver::ErrorCase Describe(const Connection& c) {
        auto err = Code(::add_logic_device(handle_, id_));
        if (err != driver::ErrorCase::Correct) return err;
        using P = driver::LogicDeviceParamType;
        for (const auto& [type, value] :
             {std::pair{P::Name, std::string("e2e-") + std::to_string(id_)}, std::pair{P::ConnectionType, c.type},
              std::pair{P::EndPoint, c.endPoint}, std::pair{P::BaudRate, c.baudRate}, std::pair{P::Model, c.model},
              std::pair{P::Protocol, c.protocol}}) {
            err = Code(::set_logic_device_param(handle_, id_, type, value));
            if (err != driver::ErrorCase::Correct) return err;
        }
        return err;
    }
    driver::ErrorCase Open() { return Code(::driver_open(&handle_, id_)); }
    driver::ErrorCase Close() { return Code(::driver_close(&handle_)); }
    driver::ErrorCase DescribeAndOpen(const Connection& c) {
        const auto err = Describe(c);
        return err == driver::ErrorCase::Correct ? Open() : err;
    }

    driver::ErrorCase Run(driver::Command command) { return Code(::execute_command(handle_, command)); }
    driver::ErrorCase Set(driver::ParamType type, const std::string& value) {
        return Code(::set_param(handle_, type, value));
    }
    // The output value, or "<unset>" when no command stored one.
    std::string Get(driver::ParamType type) {
        std::string value;
        return Code(::get_param(handle_, type, value)) == driver::ErrorCase::Correct ? value : "<unset>";
    }
    std::string LogicParam(driver::LogicDeviceParamType type) {
        std::string value;
        return Code(::get_logic_device_param(handle_, id_, type, value)) == driver::ErrorCase::Correct ? value
                                                                                                       : "<error>";
    }
    driver::ErrorCase SetLogicParam(driver::LogicDeviceParamType type, const std::string& value) {
        return Code(::set_logic_device_param(handle_, id_, type, value));
    }
    std::string Protocol() {
        std::string value;
        ::get_protocol(handle_, value);
        return value;
    }

    driver::DeviceHandle handle() const { return handle_; }
    driver::LogicDeviceId id() const { return id_; }

private:
    static driver::ErrorCase Code(std::int32_t code) { return static_cast<driver::ErrorCase>(code); }

    driver::DeviceHandle handle_ = nullptr;
    driver::LogicDeviceId id_ = 0;
};

}  // namespace e2e

namespace e2e {

inline std::string CodeName(driver::ErrorCase err) {
    const std::string_view name = driver::ErrorCaseName(err);
    return name.empty() ? "ErrorCase(" + std::to_string(static_cast<std::int32_t>(err)) + ")" : std::string(name);
}

}  // namespace e2e

namespace driver {
// Codes print by name in assertion messages.
inline void PrintTo(ErrorCase err, std::ostream* out) {
    *out << e2e::CodeName(err);
}
}  // namespace driver
