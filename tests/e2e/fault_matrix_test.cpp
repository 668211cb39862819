// Every retail protocol against every line fault the simulator can inject: one weight reading
// through execute_command must end with the code the protocol's rules give, within its deadlines,
// and the reading after the fault has cleared must be fresh and correct again.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "driver-scale.h"

namespace {

using driver::Command;
using driver::ErrorCase;
using Param = driver::ParamType;
using namespace e2e;

// A row runs its cells in this order against one simulator. The late reply goes last: an answer
// that arrives after its deadline is the one fault whose bytes may still sit on the line.
enum class Fault { WrongChecksum, Silence, Nak, StrayBytes, StrayDigits, SplitReply, DroppedLine, LateReply };

// Each fault's name and the control line that arms it ("delay" takes the row's lateness).
const std::pair<const char*, const char*> kFaults[] = {
    {"wrong checksum", "corrupt-checksum"},
    {"silence", "silent 1"},
    {"NAK", "nak 1"},
    {"stray bytes", "stray 3"},
    {"stray digits", "stray-digits 3"},
    {"split reply", "split 50"},
    {"dropped line", "drop"},
    {"late reply", "delay "},
};

const char* FaultName(Fault fault) {
    return kFaults[static_cast<int>(fault)].first;
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
    const char* args;  // of the simulator
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
    {"POS2K", "--protocol pos --plain", "POS2K", Family::Pos, kSerial, 4, kPosCells},
    {"POS2KProV1", "--protocol pos --pro", "POS2KProV1", Family::Pos, kSerial, 4, kPosCells},
    {"CAS-K", "--protocol cas --plain", "CAS-K", Family::Cas, kSerial, 6, kCasCells},
    {"CAS-K ProV1", "--protocol cas --pro", "CAS-K ProV1", Family::Cas, kSerial, 6, kCasCells},
    {"CAS-K-Active", "--protocol cas-active --plain --interval 50", "CAS-K-Active", Family::Cas, kSerial, 1,
     kCasActiveCells},
    {"OKA", "--protocol oka --plain", "OKA", Family::Oka, kSerial, 4, kOkaCells},
    {"POS2K over TCP", "--tcp 127.0.0.1:0 --protocol pos --plain", "POS2K", Family::Pos, kTcp, 4, kPosCells},
};

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
        const std::string line = kFaults[static_cast<int>(fault)].second;
        sim.Control({fault == Fault::LateReply ? line + std::to_string(lateBy().count()) : line});
        // The next streamed frame cuts the line.
        if (fault == Fault::DroppedLine && streaming()) std::this_thread::sleep_for(200ms);
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

        // One line of the matrix a cell: protocol | fault | code | time | expected | the reading after it.
        const bool fresh = after == ErrorCase::Correct && afterWeight == WeightText(row().family == Family::Cas, next);
        std::printf(
            "%-15s | %-14s | %-29s | %5lld ms | expected %s%s | next: %s\n", row().name, FaultName(cell.fault),
            CodeName(code).c_str(), static_cast<long long>(took.count()), CodeName(cell.expected).c_str(),
            cell.waits == Waits::Deadline ? " (deadline)" : "",
            fresh ? "Correct, fresh"
                  : (CodeName(after) + (after == ErrorCase::Correct ? ", stale weight " + afterWeight : "")).c_str());
    }

    SimProcess sim{testsupport::Words(GetParam().args)};
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
