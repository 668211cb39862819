// Every retail protocol against every line fault the simulator can inject: one weight reading
// through execute_command must end with the code the protocol's rules give, within its deadlines,
// and the reading after the fault has cleared must be fresh and correct again.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "sim-process.h"

namespace {

using driver::Command;
using driver::ErrorCase;
using Param = driver::ParamType;
using namespace e2e;

// A row runs its cells in this order against one simulator. The late reply goes last: an answer
// that arrives after its deadline is the one fault whose bytes may still sit on the line.
enum class Fault { WrongChecksum, Silence, Nak, StrayBytes, StrayDigits, SplitReply, DroppedLine, LateReply };

const char* FaultName(Fault fault) {
    switch (fault) {
        case Fault::WrongChecksum:
            return "wrong checksum";
        case Fault::Silence:
            return "silence";
        case Fault::Nak:
            return "NAK";
        case Fault::StrayBytes:
            return "stray bytes";
        case Fault::StrayDigits:
            return "stray digits";
        case Fault::SplitReply:
            return "split reply";
        case Fault::LateReply:
            return "late reply";
        case Fault::DroppedLine:
            return "dropped line";
    }
    return "?";
}

enum class Family { Pos, Cas, Oka };

enum class Waits { No, Deadline };  // Deadline: the cell ends only when a read deadline has passed

struct Cell {
    Fault fault;
    ErrorCase expected;
    Waits waits;
    const char* why;
};

struct Row {
    const char* name;
    std::vector<std::string> args;
    std::string protocol;
    Family family;
    Ms deadline;     // of one write or read on this line
    int operations;  // writes and reads of one reading in the worst case
    std::vector<Cell> cells;
};

constexpr Ms kSerial{500};
constexpr Ms kTcp{700};
constexpr Ms kMargin{500};

// POS: ENQ and its one-byte answer, then the status frame and its answer (4 operations).
const std::vector<Cell> kPosCells = {
    {Fault::WrongChecksum, ErrorCase::BoostTimeOut, Waits::Deadline, "the checksum is part of the completeness test"},
    {Fault::Silence, ErrorCase::ConnectionError, Waits::Deadline, "the ENQ is not answered by exactly one ACK or NAK"},
    {Fault::Nak, ErrorCase::Correct, Waits::No, "a NAK to the ENQ is taken like an ACK"},
    {Fault::StrayBytes, ErrorCase::Correct, Waits::No,
     "the frame is found past the strays and its fields count from it"},
    {Fault::SplitReply, ErrorCase::Correct, Waits::No, "the halves are joined"},
    {Fault::DroppedLine, ErrorCase::BoostTimeOut, Waits::No, "half a frame, then the line is gone"},
    {Fault::LateReply, ErrorCase::BoostTimeOut, Waits::Deadline, "the frame misses the read deadline"},
};

// CAS polled: ENQ (repeated once after silence or NAK), then DC1 and the frame (6 operations).
const std::vector<Cell> kCasCells = {
    {Fault::WrongChecksum, ErrorCase::BoostTimeOut, Waits::Deadline, "the BCC is part of the completeness test"},
    {Fault::Silence, ErrorCase::BoostTimeOut, Waits::Deadline, "ENQ sent twice, then DC1 unanswered"},
    {Fault::Nak, ErrorCase::Correct, Waits::No, "the ENQ is repeated once and answered"},
    {Fault::StrayBytes, ErrorCase::Correct, Waits::No, "the frame is found by its end and read from its SOH"},
    {Fault::StrayDigits, ErrorCase::Correct, Waits::No, "digits before the frame never shift its weight"},
    {Fault::SplitReply, ErrorCase::Correct, Waits::No, "the halves are joined"},
    {Fault::DroppedLine, ErrorCase::BoostTimeOut, Waits::No, "half a frame, then the line is gone"},
    {Fault::LateReply, ErrorCase::BoostTimeOut, Waits::Deadline, "the frame misses the read deadline"},
};

// CAS active: one read of the stream, nothing written (1 operation).
const std::vector<Cell> kCasActiveCells = {
    {Fault::WrongChecksum, ErrorCase::Correct, Waits::No, "the streamed frame's BCC is not tested"},
    {Fault::Silence, ErrorCase::BoostTimeOut, Waits::Deadline, "no frame within the read deadline"},
    {Fault::Nak, ErrorCase::Correct, Waits::No, "nothing is enquired, the fault never fires"},
    {Fault::StrayBytes, ErrorCase::Correct, Waits::No, "the frame is cut out from SOH STX to ETX EOT"},
    {Fault::StrayDigits, ErrorCase::Correct, Waits::No, "digits before the frame are not part of it"},
    {Fault::SplitReply, ErrorCase::Correct, Waits::No, "the halves are joined"},
    {Fault::DroppedLine, ErrorCase::BoostTimeOut, Waits::No, "the line is gone before a whole frame came"},
    {Fault::LateReply, ErrorCase::BoostTimeOut, Waits::Deadline, "the stream is held back past the read deadline"},
};

// OKA: command 02 and its answer, then 06 and its answer (4 operations).
const std::vector<Cell> kOkaCells = {
    {Fault::WrongChecksum, ErrorCase::Correct, Waits::No, "OKA answers carry no checksum, the fault never fires"},
    {Fault::Silence, ErrorCase::BoostTimeOut, Waits::Deadline, "the 02 answer never comes"},
    {Fault::Nak, ErrorCase::Correct, Waits::No, "nothing is enquired, the fault never fires"},
    {Fault::StrayBytes, ErrorCase::BoostTimeOut, Waits::Deadline,
     "the zero run at bytes 6..10 is shifted onto weight digits "
     "(weights of 1000 g and more), so the 02 answer never completes"},
    {Fault::SplitReply, ErrorCase::Correct, Waits::No, "the halves are joined"},
    {Fault::DroppedLine, ErrorCase::BoostTimeOut, Waits::No, "half of the 02 answer, then the line is gone"},
    {Fault::LateReply, ErrorCase::BoostTimeOut, Waits::Deadline, "the 02 answer misses the read deadline"},
};

const std::vector<Row> kMatrix = {
    {"POS2K", {"--protocol", "pos", "--plain"}, "POS2K", Family::Pos, kSerial, 4, kPosCells},
    {"POS2KProV1", {"--protocol", "pos", "--pro"}, "POS2KProV1", Family::Pos, kSerial, 4, kPosCells},
    {"CAS-K", {"--protocol", "cas", "--plain"}, "CAS-K", Family::Cas, kSerial, 6, kCasCells},
    {"CAS-K ProV1", {"--protocol", "cas", "--pro"}, "CAS-K ProV1", Family::Cas, kSerial, 6, kCasCells},
    {"CAS-K-Active",
     {"--protocol", "cas-active", "--plain", "--interval", "50"},
     "CAS-K-Active",
     Family::Cas,
     kSerial,
     1,
     kCasActiveCells},
    {"OKA", {"--protocol", "oka", "--plain"}, "OKA", Family::Oka, kSerial, 4, kOkaCells},
    {"POS2K over TCP",
     {"--tcp", "127.0.0.1:0", "--protocol", "pos", "--plain"},
     "POS2K",
     Family::Pos,
     kTcp,
     4,
     kPosCells},
};

// The printed matrix, one line a cell, shown once all rows have run.
std::vector<std::string>& MatrixLines() {
    static std::vector<std::string> lines;
    return lines;
}

class MatrixPrinter : public ::testing::Environment {
public:
    void TearDown() override {
        if (MatrixLines().empty()) return;
        std::cout << "\nFault matrix (protocol | fault | code | time | expected | the reading after it):\n";
        for (const std::string& line : MatrixLines()) std::cout << line << "\n";
        std::cout << std::flush;
    }
};
[[maybe_unused]] const auto* const kPrinter = ::testing::AddGlobalTestEnvironment(new MatrixPrinter);

class FaultMatrix : public ::testing::TestWithParam<Row> {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.started());
        ASSERT_EQ(scale.DescribeAndOpen(ConnectionTo(sim, row().protocol)), ErrorCase::Correct);
    }

    const Row& row() const { return GetParam(); }
    bool streaming() const { return row().protocol == "CAS-K-Active"; }
    Ms lateBy() const { return row().deadline + 300ms; }

    // A streaming scale shows a change only in the frames sent after it.
    void Settle() {
        if (streaming()) std::this_thread::sleep_for(150ms);
    }

    // On a streaming scale frames of the old weight wait in the line before the change and only
    // frames of the new one after it.
    void SetWeight(int grams) {
        Settle();
        sim.Control({"weight " + std::to_string(grams), "stable 1"});
        Settle();
    }

    void Arm(Fault fault) {
        switch (fault) {
            case Fault::WrongChecksum:
                sim.Control({"corrupt-checksum"});
                break;
            case Fault::Silence:
                sim.Control({"silent 1"});
                break;
            case Fault::Nak:
                sim.Control({"nak 1"});
                break;
            case Fault::StrayBytes:
                sim.Control({"stray 3"});
                break;
            case Fault::StrayDigits:
                sim.Control({"stray-digits 3"});
                break;
            case Fault::SplitReply:
                sim.Control({"split 50"});
                break;
            case Fault::LateReply:
                sim.Control({"delay " + std::to_string(lateBy().count())});
                break;
            case Fault::DroppedLine:
                sim.Control({"drop"});
                if (streaming()) std::this_thread::sleep_for(200ms);  // the next streamed frame cuts the line
                break;
        }
    }

    // Faults that fired are gone; these two stay until switched off.
    void Clear() { sim.Control({"silent 0", "nak 0"}); }

    // After a dropped line the old port or socket is dead: no reading may pass, and opening
    // again on where the scale is now must work.
    void Reconnect() {
        const ErrorCase stale = scale.Run(Command::StatusOfWeightChannel);
        EXPECT_NE(stale, ErrorCase::Correct) << "a reading over the dropped line";
        const std::string endpoint = sim.CurrentEndpoint();
        ASSERT_FALSE(endpoint.empty());
        ASSERT_EQ(scale.SetLogicParam(driver::LogicDeviceParamType::EndPoint, endpoint), ErrorCase::Correct);
        ASSERT_EQ(scale.Open(), ErrorCase::Correct) << "reopen on " << endpoint;
    }

    void RunCell(const Cell& cell, int grams) {
        SCOPED_TRACE(std::string(row().name) + " x " + FaultName(cell.fault) + " (" + cell.why + ")");
        SetWeight(grams);
        Arm(cell.fault);
        const auto armed = Clock::now();

        const auto start = Clock::now();
        const ErrorCase code = scale.Run(Command::StatusOfWeightChannel);
        const Ms took = Since(start);
        const std::string weight = scale.Get(Param::Weight);

        EXPECT_EQ(code, cell.expected);
        EXPECT_LE(took, row().deadline * row().operations + kMargin);
        if (cell.waits == Waits::Deadline) {
            EXPECT_GE(took, row().deadline - 20ms) << "ended before the deadline";
        }
        // A reading that ends Correct past stray bytes must carry the true weight, never a shifted one.
        if (code == ErrorCase::Correct) {
            EXPECT_EQ(weight, WeightText(row().family == Family::Cas, grams));
        }

        Clear();
        if (cell.fault == Fault::LateReply) {
            // Let the late answer land before the next request: it must not be taken for that one's.
            const Ms landed = lateBy() + 200ms;
            if (Since(armed) < landed) std::this_thread::sleep_for(landed - Since(armed));
        }
        if (cell.fault == Fault::DroppedLine) Reconnect();

        const int next = grams + 111;
        SetWeight(next);
        const ErrorCase after = scale.Run(Command::StatusOfWeightChannel);
        const std::string afterWeight = scale.Get(Param::Weight);
        EXPECT_EQ(after, ErrorCase::Correct) << "the reading after the fault";
        EXPECT_EQ(afterWeight, WeightText(row().family == Family::Cas, next)) << "the reading after the fault";

        const bool fresh = after == ErrorCase::Correct && afterWeight == WeightText(row().family == Family::Cas, next);
        char line[200];
        std::snprintf(
            line, sizeof line, "%-15s | %-14s | %-29s | %5lld ms | expected %s%s | next: %s", row().name,
            FaultName(cell.fault), CodeName(code).c_str(), static_cast<long long>(took.count()),
            CodeName(cell.expected).c_str(), cell.waits == Waits::Deadline ? " (deadline)" : "",
            fresh ? "Correct, fresh"
                  : (CodeName(after) + (after == ErrorCase::Correct ? ", stale weight " + afterWeight : "")).c_str());
        MatrixLines().push_back(line);
    }

    SimProcess sim{GetParam().args};
    Scale scale;
};

TEST_P(FaultMatrix, EveryFaultEndsWithItsCodeAndClears) {
    // Weights whose digits keep the cells' expectations apart (see the OKA stray bytes).
    int grams = 1234;
    for (const Cell& cell : row().cells) {
        RunCell(cell, grams);
        grams += 1000;
    }
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(Protocols, FaultMatrix, ::testing::ValuesIn(kMatrix), RowName<Row>);

}  // namespace
