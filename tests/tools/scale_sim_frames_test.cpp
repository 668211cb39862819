// The simulator's own logic without a process: the control commands, how requests are taken
// from the input, the service settings and the fault timing. The reply bytes themselves are
// checked where the driver decodes them (tests/driver, tests/e2e).
#include <gtest/gtest.h>

#include <string>

#include "balvex-protocol.h"
#include "control.h"
#include "reply-scheduler.h"
#include "scale-engine.h"

namespace scale_sim {
namespace {

Bytes Hex(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

class ControlTest : public ::testing::Test {
protected:
    std::string Run(const std::string& line) { return control.Execute(line).reply; }
    ScaleState state;
    Faults faults;
    Control control{state, faults, [] { return std::string("endpoint=x connected=0"); }};
};

TEST_F(ControlTest, EveryCommandSetsWhatItNames) {
    for (const char* line : {"weight -250", "tare 40", "zero 1", "overload 1", "unit lb", "protocol oka", "pro 0",
                             "interval 75", "set sern 42 43", "mute sern", "nak", "stray 2", "split", "delay 300",
                             "corrupt-checksum", "drop", "silent 1", " stray-digits 4\r", "settle 2"})
        EXPECT_EQ(Run(line), "ok") << line;
    EXPECT_EQ(Run("status"),
              "protocol=oka pro=0 weight=-250 tare=40 stable=0 zero=1 overload=1 unit=lb prov=1 cnt=0 interval=75 "
              "silent=1 corrupt=1 nak=1 stray=4 split=50 delay=300 drop=1 endpoint=x connected=0");
    EXPECT_TRUE(faults.stray_digits);
    EXPECT_EQ(state.muted_key, "sern");
    EXPECT_EQ(state.requests_until_stable, 2);
    EXPECT_EQ(Run("get sern"), "sern=42 43");
    EXPECT_EQ(Run("protocol cas"), "ok");
    EXPECT_EQ(Run("get prov"), "prov=0");

    for (const char* line : {"nak 0", "stray 0", "split 0", "delay 0", "silent 0", "overload 0", "stable 1"})
        EXPECT_EQ(Run(line), "ok") << line;
    EXPECT_EQ(faults.Describe(), "silent=0 corrupt=1 nak=0 stray=0 split=0 delay=0 drop=1");
    EXPECT_EQ(state.requests_until_stable, 0);
    EXPECT_TRUE(control.Execute("quit").quit);
    EXPECT_TRUE(control.Execute("  ").reply.empty());
}

TEST_F(ControlTest, BadArgumentsAreRefusedAndChangeNothing) {
    const std::string before = Run("status");
    const std::pair<const char*, const char*> refused[] = {
        {"weight 1.5", "expected grams"},
        {"tare 2147483648", "expected grams"},
        {"stable 2", "expected 0 or 1"},
        {"settle 0", "expected a count"},
        {"zero maybe", "expected auto, 0 or 1"},
        {"unit oz", "expected kg, g or lb"},
        {"protocol rs232", "expected pos, cas, cas-active or oka"},
        {"nak x", "expected a count"},
        {"stray 1001", "expected a count"},
        {"split -1", "expected milliseconds"},
        {"delay", "expected milliseconds"},
        {"interval 0", "expected milliseconds"},
        {"set sern", "expected KEY VALUE"},
        {"set colour 1", "unknown key"},
        {"get colour", "unknown key"},
        {"bogus 1", "unknown command bogus"},
    };
    for (const auto& [line, error] : refused) EXPECT_EQ(Run(line), "error: " + std::string(error)) << line;
    EXPECT_EQ(Run("status"), before);
}

TEST(ControlHelp, OneLineAndTheHelpListTheSameCommands) {
    const std::string summary = Control::Summary();
    const std::string help = Control::HelpLines();
    EXPECT_EQ(summary.rfind("commands: weight N | tare N | stable 0|1 | ", 0), 0u) << summary;
    EXPECT_NE(summary.find(" | protocol pos|cas|cas-active|oka | "), std::string::npos) << summary;
    EXPECT_NE(help.find("\n  protocol P        switch the retail protocol"), std::string::npos) << help;
    EXPECT_NE(help.find("socket;\n                    the pty closes"), std::string::npos) << help;
    EXPECT_TRUE(summary.ends_with("| help | quit")) << summary;
    EXPECT_TRUE(help.ends_with("  quit              exit\n")) << help;
}

TEST(ScaleEngineTest, RequestsAreTakenWholeFromPiecesAndNoise) {
    ScaleState state;
    state.weight = 1200;
    ScaleEngine engine(state);
    // A POS status request in two pieces after line noise, with an ENQ before it.
    EXPECT_EQ(engine.Feed(Hex({0x11, kEnq, kStx, 0x05, 0x3A})).size(), 1u);
    EXPECT_EQ(engine.Feed(Hex({0x30, 0x30, 0x33, 0x30, 0x3C})).size(), 1u);

    // Specify tare 500: the checksum covers the payload alone; with LEN in it the frame is refused.
    Bytes specify = Hex({kStx, 0x07, 0x32, 0x30, 0x30, 0x33, 0x30, 0xF4, 0x01});
    specify.push_back(XorOf(std::span(specify).subspan(2)));
    EXPECT_EQ(engine.Feed(specify).size(), 1u);
    EXPECT_EQ(state.tare, 500);
    EXPECT_EQ(state.weight, 700);
    specify.back() ^= 0x07;
    auto replies = engine.Feed(specify);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, Hex({kNak}));

    state.SwitchProtocol(RetailProtocol::Cas);
    EXPECT_TRUE(engine.Feed(ToBytes("<TK")).empty());
    EXPECT_TRUE(engine.Feed(ToBytes(">\t")).empty());
    EXPECT_EQ(state.tare, 1200);
    state.SwitchProtocol(RetailProtocol::CasActive);
    EXPECT_TRUE(engine.Feed(Hex({kEnq, kDc1})).empty()) << "a streaming scale is not polled";

    state.SwitchProtocol(RetailProtocol::Oka);
    state.weight = 750;
    EXPECT_TRUE(engine.Feed(Bytes(20, 0)).empty());
    EXPECT_EQ(state.weight, 750) << "zero needs its closing byte";
    engine.Feed(Hex({0x01}));
    EXPECT_EQ(state.weight, 0);
}

TEST(ScaleEngineTest, ServiceLinesOnlyOnAProScaleAndNotWhenMuted) {
    ScaleState state;
    ScaleEngine engine(state);
    EXPECT_EQ(engine.Feed(ToBytes("Gsern\r\nGver2\r")).size(), 1u);
    auto replies = engine.Feed(ToBytes("\n"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, ToBytes("ver2=v1.05\r\n"));
    state.muted_key = "sern";
    EXPECT_TRUE(engine.Feed(ToBytes("Gsern\r\n")).empty());
    state.pro = false;
    EXPECT_TRUE(engine.Feed(ToBytes("Gmax\r\n")).empty());
    EXPECT_EQ(engine.Pending(), 0u);
}

TEST(BalvexProtocol, KeysRefusalsAndCalibration) {
    ScaleState state;
    EXPECT_EQ(BalvexAnswer("Smodc3", state), "OK\r\n");  // a key that starts like another
    EXPECT_EQ(BalvexAnswer("Gmodc", state), "modc=3\r\n");
    EXPECT_EQ(BalvexAnswer("Gmode", state), "mode=A7\r\n");
    for (const char* refused : {"Gfoo", "Sfoo1", "Smax", "Sver2x", "Sdiv9", "Sprov7", "Scnt5", "Srst1", "X"})
        EXPECT_EQ(BalvexAnswer(refused, state), "ERROR\r\n") << refused;

    state.stable = false;
    EXPECT_EQ(BalvexAnswer("Swcal0015", state), "ERROR\r\n");
    EXPECT_EQ(BalvexAnswer("Szcal", state), "ERROR\r\n");
    state.stable = true;
    EXPECT_EQ(BalvexAnswer("Swcal0015", state), "OK\r\n");
    EXPECT_EQ(state.weight, 15000);
    EXPECT_EQ(BalvexAnswer("Gcnt", state), "cnt=1\r\n");
}

TEST(ReplySchedulerTest, FaultsShapeTheNextDataReplyOnly) {
    const Clock::time_point t0{};
    using std::chrono::milliseconds;
    ReplyScheduler s;
    const Reply ack{{kAck}, true, std::nullopt};
    const Reply frame{Hex({kAck, kStx, 0x02, 0x30, 0x00, 0x32}), false, 5};

    s.faults().nak_count = 1;
    s.faults().corrupt_checksum = true;
    s.faults().stray_count = 2;
    s.Submit(ack, t0);
    s.Submit(ack, t0);
    s.Submit(frame, t0);
    auto out = s.TakeDue(t0);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].bytes, Hex({kNak}));
    EXPECT_EQ(out[1].bytes, Hex({kAck}));
    EXPECT_EQ(out[2].bytes, Hex({0xA5, 0xA5, kAck, kStx, 0x02, 0x30, 0x00, 0xCD}));

    s.faults().delay_ms = 300;
    s.faults().split_pause_ms = 40;
    s.Submit(frame, t0);
    EXPECT_TRUE(s.TakeDue(t0 + milliseconds(299)).empty());
    out = s.TakeDue(t0 + milliseconds(300));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, Hex({kAck, kStx, 0x02}));
    EXPECT_EQ(s.NextDue(), t0 + milliseconds(340));
    EXPECT_EQ(s.TakeDue(t0 + milliseconds(340)).size(), 1u);

    s.faults().drop = true;
    s.Submit(frame, t0 + milliseconds(400));
    s.Submit(frame, t0 + milliseconds(400));
    out = s.TakeDue(t0 + milliseconds(400));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_TRUE(out[0].drop_after);
    EXPECT_EQ(out[0].bytes.size(), 3u);

    s.Clear();
    s.faults().silent = true;
    s.Submit(frame, t0);
    EXPECT_FALSE(s.NextDue());
}

TEST(ReplySchedulerTest, WireTimeSpacesTheBytes) {
    const Clock::time_point t0{};
    ReplyScheduler s(std::chrono::milliseconds(1));
    s.Submit(Reply{Hex({1, 2, 3}), false, std::nullopt}, t0);
    s.Submit(Reply{Hex({4}), false, std::nullopt}, t0);
    EXPECT_EQ(s.TakeDue(t0 + std::chrono::milliseconds(2)).size(), 2u);
    EXPECT_EQ(s.NextDue(), t0 + std::chrono::milliseconds(3));
    EXPECT_EQ(s.TakeDue(t0 + std::chrono::milliseconds(4)).size(), 2u);
}

}  // namespace
}  // namespace scale_sim
