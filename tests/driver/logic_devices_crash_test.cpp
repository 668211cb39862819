// A process that keeps changing its logic devices is killed at random moments; the file it leaves must always
// parse and hold every logic device whose last confirmed change says it is there. Several processes changing
// the one file at once must each find their confirmed changes in it.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "logic-devices-fixture.h"

namespace {

using driver::ErrorCase;
using driver::LogicDeviceId;
using driver::LogicDeviceManager;
using Type = driver::LogicDeviceParamType;

// The child's report, one line per step: lower case when a change starts, upper case when it is stored.
//   a / A id        add
//   d id / D id     delete; X id when it was refused
//   s id v / S id v name set to v
//   c id / C id     id made current
// A line is shorter than PIPE_BUF, so one write puts all of it or nothing.
void Report(int fd, const std::string& line) {
    const std::string text = line + "\n";
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) ::_exit(4);
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

// What one killed child confirmed.
struct Round {
    std::map<LogicDeviceId, Expected> expected;
    bool addInFlight = false;
    std::string failure;

    // Applies one reported line; false for the line the child sends when it failed.
    bool Apply(const std::string& line) {
        std::istringstream in(line);
        std::string step, value;
        LogicDeviceId id = 0;
        in >> step >> id >> value;
        using enum Expected::Presence;
        static const std::map<std::string, Expected::Presence> presence = {
            {"A", Present}, {"d", Either}, {"D", Absent}, {"X", Present}};
        if (step == "F") failure = line;
        if (step == "a" || step == "A") addInFlight = step == "a";
        if (step == "A") expected[id].names = {""};
        if (const auto found = presence.find(step); found != presence.end()) expected[id].presence = found->second;
        if (step == "s") expected[id].names.insert(value);
        if (step == "S") expected[id].names = {value};
        return failure.empty();
    }
};

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

// Runs body(fd) in a child that reports through fd; returns the child and the read end.
std::pair<pid_t, int> StartChild(const std::function<void(int)>& body) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return {-1, -1};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        driver::logging::SetMode(3);  // errors only: the child writes as fast as it can
        body(pipeFds[1]);
    }
    ::close(pipeFds[1]);
    return {pid, pipeFds[0]};
}

class LogicDevicesCrashTest : public testsupport::LogicDevicesTest {
protected:
    // Starts a changing child, reads a random number of its reports, kills it and reads what it wrote before.
    Round KillOneChild(std::mt19937& random) {
        Round round;
        for (const auto& [id, name] : StoredNames()) round.expected[id] = {Expected::Presence::Present, {name}};
        const unsigned childSeed = random();
        const auto [child, fd] = StartChild([childSeed](int out) { ChangeForever(out, childSeed); });
        if (child < 0) {
            round.failure = "no child";
            return round;
        }
        LineReader reader(fd);
        const int wanted = static_cast<int>(random() % 12);
        const auto take = [&](std::chrono::milliseconds wait) {
            const auto line = reader.Next(wait);
            return line && round.Apply(*line);
        };
        for (int got = 0; got < wanted && take(std::chrono::seconds(5)); ++got) {
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 2000));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        while (take(std::chrono::seconds(1))) {  // lines written before the kill are confirmed too
        }
        ::close(fd);
        return round;
    }

    void CheckFileAfter(const Round& round, int kill) {
        SCOPED_TRACE("after kill " + std::to_string(kill));
        std::map<LogicDeviceId, std::string> names;
        ASSERT_NO_THROW(names = StoredNames());
        EXPECT_LE(CurrentMarks(), 1);
        int unknown = 0;
        for (const auto& [id, name] : names) {
            const auto found = round.expected.find(id);
            // An add cut short may have stored its id, which can be one deleted before.
            if (found == round.expected.end() || found->second.presence == Expected::Presence::Absent) {
                ++unknown;
                continue;
            }
            EXPECT_TRUE(found->second.names.contains(name)) << "id " << id << " has name " << name;
        }
        EXPECT_LE(unknown, round.addInFlight ? 1 : 0) << "ids nobody added or that were deleted";
        for (const auto& [id, entry] : round.expected)
            EXPECT_TRUE(entry.presence != Expected::Presence::Present || names.contains(id)) << "id " << id << " lost";
        EXPECT_NO_THROW(LogicDeviceManager{});
    }
};

TEST_F(LogicDevicesCrashTest, FileSurvivesKillsAtAnyMoment) {
    { LogicDeviceManager create; }
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto started = std::chrono::steady_clock::now();
    int kills = 0;
    for (; kills < 200 && std::chrono::steady_clock::now() - started < std::chrono::seconds(15); ++kills) {
        const Round round = KillOneChild(random);
        ASSERT_TRUE(round.failure.empty()) << round.failure;
        CheckFileAfter(round, kills);
        if (HasFailure()) break;
    }
    EXPECT_GE(kills, 20) << "too few kills in the time";
    RecordProperty("kills", kills);
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

class LogicDevicesConcurrencyTest : public testsupport::LogicDevicesTest, public ::testing::WithParamInterface<int> {};

TEST_P(LogicDevicesConcurrencyTest, EveryConfirmedChangeOfEveryProcessIsInTheFile) {
    { LogicDeviceManager create; }
    const int processes = GetParam();
    const int adds = 24;
    std::vector<std::pair<pid_t, int>> children;
    for (int child = 0; child < processes; ++child) {
        children.push_back(StartChild([child, adds](int fd) { AddRenameRemove(fd, child, adds); }));
        ASSERT_GE(children.back().first, 0);
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
            if (step == "K") {
                EXPECT_TRUE(kept.emplace(id, name).second) << "id " << id << " confirmed twice";
            }
            ++reports;
        }
        ::close(fd);
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    }
    EXPECT_EQ(reports, processes * adds);

    const auto names = StoredNames();
    EXPECT_EQ(StoredDevices().size(), names.size()) << "an id appears twice";
    EXPECT_EQ(names.size(), 1 + kept.size());
    for (const auto& [id, name] : kept) {
        const auto found = names.find(id);
        ASSERT_NE(found, names.end()) << "id " << id << " lost";
        EXPECT_EQ(found->second, name);
    }
    for (const auto& [id, name] : names) EXPECT_FALSE(name.empty()) << "blank device " << id;
    RecordProperty("devices_in_file", static_cast<int>(names.size()));
}

INSTANTIATE_TEST_SUITE_P(Processes, LogicDevicesConcurrencyTest, ::testing::Values(2, 4),
                         [](const auto& info) { return std::to_string(info.param); });

}  // namespace
