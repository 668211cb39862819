// A process that keeps changing its logic devices is killed at random moments; the file it leaves must always
// parse and hold every logic device whose last confirmed change says it is there. Several processes changing
// the one file at once must each find their confirmed changes in it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

// Boost 1.74 json_parser still pulls in the old global bind placeholders.
#define BOOST_BIND_GLOBAL_PLACEHOLDERS
#include <boost/property_tree/json_parser.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "driver-error.h"
#include "log/logging.h"
#include "store/logic-devices.h"
#include "support/temp-dir.h"

namespace {

using driver::ErrorCase;
using driver::LogicDeviceId;
using driver::LogicDeviceManager;
using Type = driver::LogicDeviceParamType;
namespace fs = std::filesystem;

// The child's report, one line per step: lower case when a change starts, upper case when it is stored.
//   a / A id        add
//   d id / D id     delete; X id when it was refused
//   s id v / S id v name set to v
//   c id / C id     id made current
void Report(int fd, const std::string& line) {
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put <= 0) ::_exit(4);
        done += static_cast<std::size_t>(put);
    }
}

[[noreturn]] void ChangeForever(int fd, unsigned seed) {
    try {
        LogicDeviceManager manager;
        std::mt19937 random(seed);
        for (unsigned step = 0;; ++step) {
            ErrorCase err = ErrorCase::Correct;
            const auto ids = manager.GetAllSortedID(err);
            if (ids.empty()) throw std::runtime_error("no logic devices");
            const LogicDeviceId some = ids[random() % ids.size()];
            const unsigned pick = random() % 10;
            if (pick < 4 && ids.size() < 12) {
                Report(fd, "a");
                const LogicDeviceId id = manager.AddLogicDevice(err);
                if (err != ErrorCase::Correct) throw std::runtime_error("add refused");
                Report(fd, "A " + std::to_string(id));
            } else if (pick < 7 && ids.size() > 1) {
                Report(fd, "d " + std::to_string(some));
                manager.DeleteLogicDevice(some, err);
                Report(fd, (err == ErrorCase::Correct ? "D " : "X ") + std::to_string(some));
            } else if (pick < 9) {
                const std::string value = "n" + std::to_string(step);
                Report(fd, "s " + std::to_string(some) + " " + value);
                manager.SetLogicDeviceParam(some, Type::Name, value, err);
                if (err != ErrorCase::Correct) throw std::runtime_error("set refused");
                Report(fd, "S " + std::to_string(some) + " " + value);
            } else {
                Report(fd, "c " + std::to_string(some));
                manager.SetCurrentLogicDevice(some, err);
                if (err != ErrorCase::Correct) throw std::runtime_error("set current refused");
                Report(fd, "C " + std::to_string(some));
            }
        }
    } catch (const std::exception& e) {
        Report(fd, std::string("F ") + e.what());
    }
    ::_exit(3);
}

// What the parent may expect of each id after the kill.
struct Expected {
    enum class Presence { Present, Absent, Either } presence = Presence::Present;
    std::set<std::string> names;  // acceptable names while present
};

struct Stored {
    std::map<LogicDeviceId, std::string> names;
    int currentMarks = 0;
};

Stored ReadStored(const fs::path& file) {
    boost::property_tree::ptree doc;
    boost::property_tree::read_json(file.string(), doc);  // throws when the file does not parse
    Stored stored;
    for (const auto& [key, device] : doc.get_child("devices")) {
        stored.names[static_cast<LogicDeviceId>(std::stoul(key))] = device.get<std::string>("name");
        if (device.get<std::string>("is-current") == "true") ++stored.currentMarks;
    }
    return stored;
}

// Applies one reported line; false for a line the child sends when it failed.
bool Apply(const std::string& line, std::map<LogicDeviceId, Expected>& expected, bool& addInFlight,
           std::string& failure) {
    std::istringstream in(line);
    std::string step;
    LogicDeviceId id = 0;
    std::string value;
    in >> step;
    if (step == "F") {
        failure = line;
        return false;
    }
    if (step == "a") {
        addInFlight = true;
        return true;
    }
    in >> id >> value;
    auto& entry = expected[id];
    using Presence = Expected::Presence;
    if (step == "A") {
        addInFlight = false;
        entry = {Presence::Present, {""}};
    } else if (step == "d") {
        entry.presence = Presence::Either;
    } else if (step == "D") {
        entry.presence = Presence::Absent;
    } else if (step == "X") {
        entry.presence = Presence::Present;
    } else if (step == "s") {
        entry.names.insert(value);
    } else if (step == "S") {
        entry.names = {value};
    }
    return true;
}

class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    // The next line, or nothing at the end of the stream or when none comes within the wait.
    std::optional<std::string> Next(std::chrono::milliseconds wait) {
        for (;;) {
            if (const auto end = buffer_.find('\n'); end != std::string::npos) {
                std::string line = buffer_.substr(0, end);
                buffer_.erase(0, end + 1);
                return line;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return std::nullopt;
            char chunk[512];
            const ssize_t got = ::read(fd_, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return std::nullopt;
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }

private:
    int fd_;
    std::string buffer_;
};

TEST(LogicDevicesCrashTest, FileSurvivesKillsAtAnyMoment) {
    driver::logging::Enabled(driver::LogLevel::Trace);  // fixes the log folder before APPDATA moves
    testsupport::ScopedAppData appData;
    const fs::path file = appData.ponderix() / "logic-devices-connection-config.json";
    { LogicDeviceManager create; }

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto started = std::chrono::steady_clock::now();
    int kills = 0;
    int reported = 0;
    for (; kills < 200 && std::chrono::steady_clock::now() - started < std::chrono::seconds(15); ++kills) {
        std::map<LogicDeviceId, Expected> expected;
        for (const auto& [id, name] : ReadStored(file).names) expected[id] = {Expected::Presence::Present, {name}};

        int pipeFds[2];
        ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const unsigned childSeed = random();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            driver::logging::SetMode(3);  // errors only: the child writes as fast as it can
            ChangeForever(pipeFds[1], childSeed);
        }
        ::close(pipeFds[1]);

        LineReader reader(pipeFds[0]);
        bool addInFlight = false;
        std::string failure;
        const int wanted = static_cast<int>(random() % 12);
        for (int got = 0; got < wanted; ++got) {
            const auto line = reader.Next(std::chrono::seconds(5));
            if (!line) break;
            if (!Apply(*line, expected, addInFlight, failure)) break;
            ++reported;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        // Lines written before the kill are confirmed too.
        while (const auto line = reader.Next(std::chrono::seconds(1))) {
            if (!Apply(*line, expected, addInFlight, failure)) break;
            ++reported;
        }
        ::close(pipeFds[0]);
        ASSERT_TRUE(failure.empty()) << failure;

        Stored stored;
        ASSERT_NO_THROW(stored = ReadStored(file)) << "after kill " << kills;
        EXPECT_LE(stored.currentMarks, 1) << "after kill " << kills;
        int unknown = 0;
        for (const auto& [id, name] : stored.names) {
            const auto found = expected.find(id);
            // An add cut short may have stored its id, which can be one deleted before.
            if (found == expected.end() || found->second.presence == Expected::Presence::Absent) {
                ++unknown;
                continue;
            }
            EXPECT_TRUE(found->second.names.contains(name)) << "id " << id << " has name " << name;
        }
        EXPECT_LE(unknown, addInFlight ? 1 : 0) << "ids nobody added or that were deleted, after kill " << kills;
        for (const auto& [id, entry] : expected) {
            if (entry.presence == Expected::Presence::Present) {
                EXPECT_TRUE(stored.names.contains(id)) << "id " << id << " lost, after kill " << kills;
            }
        }
        EXPECT_NO_THROW(LogicDeviceManager{}) << "after kill " << kills;
        if (::testing::Test::HasFailure()) break;
    }
    EXPECT_GE(kills, 20) << "too few kills in the time";
    RecordProperty("kills", kills);
    RecordProperty("reported_steps", reported);
}

// Each child adds devices, names every one, renames every third and removes every third, and (like an "auto"
// detection) keeps storing a protocol on device 1. It reports "K id name" for a device it keeps, "R id" for
// one it removed.
[[noreturn]] void AddRenameRemove(int fd, int child, int adds) {
    try {
        LogicDeviceManager manager;
        for (int k = 0; k < adds; ++k) {
            ErrorCase err = ErrorCase::Correct;
            const LogicDeviceId id = manager.AddLogicDevice(err);
            const std::string name = "p" + std::to_string(child) + "-" + std::to_string(k);
            manager.SetLogicDeviceParam(id, Type::Name, name, err);
            manager.SetLogicDeviceParam(1, Type::Protocol, "P" + std::to_string(child), err);
            if (k % 3 == 1) manager.SetLogicDeviceParam(id, Type::Name, name + "-renamed", err);
            if (k % 3 == 2) manager.DeleteLogicDevice(id, err);
            if (err != ErrorCase::Correct)
                throw std::runtime_error("refused: " + std::to_string(static_cast<int>(err)));
            Report(fd, k % 3 == 2 ? "R " + std::to_string(id)
                                  : "K " + std::to_string(id) + " " + name + (k % 3 == 1 ? "-renamed" : ""));
        }
        ::_exit(0);
    } catch (const std::exception& e) {
        Report(fd, std::string("F ") + e.what());
    }
    ::_exit(3);
}

class LogicDevicesConcurrencyTest : public ::testing::TestWithParam<int> {};

TEST_P(LogicDevicesConcurrencyTest, EveryConfirmedChangeOfEveryProcessIsInTheFile) {
    driver::logging::Enabled(driver::LogLevel::Trace);
    testsupport::ScopedAppData appData;
    const fs::path file = appData.ponderix() / "logic-devices-connection-config.json";
    { LogicDeviceManager create; }
    const int processes = GetParam();
    const int adds = 24;

    std::vector<std::pair<pid_t, int>> children;
    for (int child = 0; child < processes; ++child) {
        int pipeFds[2];
        ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(pipeFds[0]);
            driver::logging::SetMode(3);
            AddRenameRemove(pipeFds[1], child, adds);
        }
        ::close(pipeFds[1]);
        children.emplace_back(pid, pipeFds[0]);
    }
    std::map<LogicDeviceId, std::string> kept;
    int reports = 0;
    for (const auto& [pid, fd] : children) {
        LineReader reader(fd);
        while (const auto line = reader.Next(std::chrono::seconds(60))) {
            ASSERT_NE(line->front(), 'F') << *line;
            std::istringstream in(*line);
            std::string step, name;
            LogicDeviceId id = 0;
            in >> step >> id >> name;
            if (step == "K") EXPECT_TRUE(kept.emplace(id, name).second) << "id " << id << " confirmed twice";
            ++reports;
        }
        ::close(fd);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    EXPECT_EQ(reports, processes * adds);

    const Stored stored = ReadStored(file);
    boost::property_tree::ptree doc;
    boost::property_tree::read_json(file.string(), doc);
    EXPECT_EQ(doc.get_child("devices").size(), stored.names.size()) << "an id appears twice";
    EXPECT_EQ(stored.names.size(), 1 + kept.size());
    for (const auto& [id, name] : kept) {
        const auto found = stored.names.find(id);
        ASSERT_NE(found, stored.names.end()) << "id " << id << " lost";
        EXPECT_EQ(found->second, name);
    }
    for (const auto& [id, name] : stored.names) EXPECT_FALSE(name.empty()) << "blank device " << id;
    RecordProperty("devices_in_file", static_cast<int>(stored.names.size()));
    std::printf(
        "%d processes x %d adds (every third renamed, every third removed) -> %zu devices in the file, "
        "%zu expected\n",
        processes, adds, stored.names.size(), 1 + kept.size());
}

INSTANTIATE_TEST_SUITE_P(Processes, LogicDevicesConcurrencyTest, ::testing::Values(2, 4),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
