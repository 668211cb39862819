// The simulator's wire formats checked byte by byte, without a process or a line.
#include <gtest/gtest.h>

#include <string>

#include "cas-protocol.h"
#include "control.h"
#include "native-protocol.h"
#include "oka-protocol.h"
#include "pos-protocol.h"
#include "reply-scheduler.h"
#include "scale-engine.h"

namespace scale_sim {
namespace {

Bytes Hex(std::initializer_list<int> values) {
    Bytes b;
    for (int v : values) b.push_back(static_cast<std::uint8_t>(v));
    return b;
}

Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The ten-character state text a host builds from the two POS state bytes.
std::string StateText(std::uint8_t b0, std::uint8_t b1) {
    std::string s;
    for (int bit = 0; bit < 8; ++bit) s += (b0 >> bit) & 1 ? '1' : '0';
    s += (b1 >> 7) & 1 ? '1' : '0';
    s += (b1 >> 6) & 1 ? '1' : '0';
    return s;
}

TEST(PosFrames, StatusAnswerCarriesWeightTareAndChecksum) {
    ScaleState state;
    state.weight = 10000;
    state.tare = 300;
    Bytes answer = PosStatusAnswer(state).bytes;
    ASSERT_EQ(answer.size(), 14u);
    EXPECT_EQ(Bytes(answer.begin(), answer.begin() + 3), Hex({0x06, 0x02, 0x0A}));
    EXPECT_EQ(Bytes(answer.begin() + 7, answer.begin() + 13), Hex({0x10, 0x27, 0x00, 0x00, 0x2C, 0x01}));
    EXPECT_EQ(answer[13], XorOf(std::span(answer).subspan(2, 11)));

    state.weight = -1;
    state.tare = 70000;  // more than the field holds: the largest it can carry
    answer = PosStatusAnswer(state).bytes;
    EXPECT_EQ(Bytes(answer.begin() + 7, answer.begin() + 13), Hex({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(answer[13], XorOf(std::span(answer).subspan(2, 11)));

    EXPECT_EQ(PosCommandAnswer('0').bytes, Hex({0x06, 0x02, 0x02, 0x30, 0x00, 0x32}));
    EXPECT_EQ(PosCommandAnswer('1').bytes, Hex({0x06, 0x02, 0x02, 0x31, 0x00, 0x33}));
    EXPECT_EQ(PosCommandAnswer('2').bytes, Hex({0x06, 0x02, 0x02, 0x32, 0x00, 0x30}));
}

// The state bits must read right both for the calibration's stability wait (first character
// "1") and for the weighing screen's decoding (zero at 1; with character 2 set, unstable when
// 0 or 4 is "0" or 7 is "1").
TEST(PosFrames, StateBitsReadRightByBothHostDecoders) {
    for (int stable = 0; stable < 2; ++stable) {
        for (int zero = 0; zero < 2; ++zero) {
            ScaleState state;
            state.stable = stable;
            state.weight = zero ? 0 : 250;
            auto bits = PosStateBytes(state);
            std::string s = StateText(bits[0], bits[1]);
            SCOPED_TRACE(s);
            EXPECT_EQ(s[0] == '1', stable == 1);
            ASSERT_EQ(s[2], '1');
            bool unstable = s[0] == '0' || s[4] == '0' || s[7] == '1';
            EXPECT_EQ(unstable, stable == 0);
            EXPECT_EQ(s[1] == '1', zero == 1);
        }
    }
    ScaleState over;
    over.overload = true;
    auto bits = PosStateBytes(over);
    EXPECT_EQ(StateText(bits[0], bits[1])[7], '1');
}

TEST(PosEngine, HandshakeFramesAndChecksumRules) {
    ScaleState state;
    state.weight = 1200;
    ScaleEngine engine(state);
    auto replies = engine.Feed(Hex({0x05}));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_TRUE(replies[0].handshake);
    EXPECT_EQ(replies[0].bytes, Hex({0x06}));

    // A status request that arrives in two pieces, after line noise.
    EXPECT_TRUE(engine.Feed(Hex({0x11, 0x02, 0x05, 0x3A})).empty());
    replies = engine.Feed(Hex({0x30, 0x30, 0x33, 0x30, 0x3C}));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes.size(), 14u);

    // Specify tare 500: ENQ inside the request, checksum over the payload alone.
    Bytes specify = Hex({0x05, 0x02, 0x07, 0x32, 0x30, 0x30, 0x33, 0x30, 0xF4, 0x01});
    specify.push_back(XorOf(std::span(specify).subspan(3)));
    replies = engine.Feed(specify);
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].bytes, Hex({0x06, 0x02, 0x02, 0x32, 0x00, 0x30}));
    EXPECT_EQ(state.tare, 500);
    EXPECT_EQ(state.weight, 700);

    // The same frame checked with LEN included is not what the scale expects.
    specify.back() ^= 0x07;
    replies = engine.Feed(std::span(specify).subspan(1));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, Hex({0x15}));

    replies = engine.Feed(Hex({0x02, 0x05, 0x31, 0x30, 0x30, 0x33, 0x30, 0x37}));  // tare
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(state.tare, 1200);
    EXPECT_EQ(state.weight, 0);
    engine.Feed(Hex({0x02, 0x05, 0x30, 0x30, 0x30, 0x33, 0x30, 0x36}));  // zero
    EXPECT_EQ(state.tare, 0);
}

TEST(CasFrames, FrameLayoutUnitsAndMarks) {
    ScaleState state;
    state.weight = 12500;
    Bytes frame = CasFrame(state).bytes;
    Bytes expected = Concat(Hex({0x01, 0x02}), ToBytes("S 12.500kg"));
    expected.push_back(XorOf(std::span(expected).subspan(2)));
    expected.push_back(0x03);
    expected.push_back(0x04);
    EXPECT_EQ(frame, expected);

    state.weight = -125;
    state.stable = false;
    frame = CasFrame(state).bytes;
    EXPECT_EQ(std::string(frame.begin() + 2, frame.begin() + 12), "U- 0.125kg");
    EXPECT_EQ(frame[12], XorOf(std::span(frame).subspan(2, 10)));

    state.unit = Unit::G;
    state.overload = true;
    frame = CasFrame(state).bytes;
    EXPECT_EQ(std::string(frame.begin() + 2, frame.begin() + 12), "F-   125 g");
    EXPECT_EQ(CasWeightField(45359, Unit::Lb), "100.00");
    EXPECT_EQ(CasWeightField(453592, Unit::Lb), "1000.0");
    EXPECT_EQ(CasWeightField(150000, Unit::Kg), "150.00");
}

TEST(CasEngine, PolledAndActiveRequests) {
    ScaleState state;
    state.protocol = RetailProtocol::Cas;
    state.weight = 800;
    ScaleEngine engine(state);
    auto replies = engine.Feed(Hex({0x05, 0x11}));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0].bytes, Hex({0x06}));
    EXPECT_EQ(replies[1].bytes.size(), 15u);

    EXPECT_TRUE(engine.Feed(ToBytes("<TK")).empty());
    EXPECT_TRUE(engine.Feed(ToBytes(">\t")).empty());
    EXPECT_EQ(state.tare, 800);
    EXPECT_TRUE(engine.Feed(ToBytes("<ZK>\t")).empty());
    EXPECT_EQ(state.tare, 0);
    EXPECT_EQ(state.weight, 0);

    state.protocol = RetailProtocol::CasActive;
    EXPECT_TRUE(engine.Feed(Hex({0x05, 0x11})).empty());
}

TEST(OkaFrames, WeightSumTareAndZero) {
    ScaleState state;
    state.protocol = RetailProtocol::Oka;
    state.weight = 1234;
    state.tare = 16;
    ScaleEngine engine(state);
    auto replies = engine.Feed(Hex({0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09, 0x06}));
    ASSERT_EQ(replies.size(), 2u);
    Bytes weight = replies[0].bytes;
    ASSERT_EQ(weight.size(), 24u);
    EXPECT_EQ(Bytes(weight.begin(), weight.begin() + 12), Hex({4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    Bytes sum = replies[1].bytes;
    ASSERT_EQ(sum.size(), 18u);
    EXPECT_EQ(Bytes(sum.begin(), sum.begin() + 7), Hex({0, 0, 5, 2, 1, 0, 0}));

    state.stable = false;
    state.overload = true;
    EXPECT_EQ(OkaWeightAnswer(state).bytes[11], kOkaUnstable | kOkaOverload);

    EXPECT_TRUE(engine.Feed(Hex({0x07, 0, 0, 5, 0, 0, 0})).empty());
    EXPECT_EQ(state.tare, 500);
    EXPECT_EQ(state.weight, 750);
    EXPECT_TRUE(engine.Feed(Bytes(15, 0)).empty());
    EXPECT_EQ(state.tare, 500);
    engine.Feed(Hex({0x01}));
    EXPECT_EQ(state.weight, 0);
    EXPECT_EQ(state.tare, 0);
}

TEST(NativeProtocol, ReadsWritesAndRefusals) {
    ScaleState state;
    EXPECT_EQ(NativeAnswer("Gmax", state), "max=015\r\n");
    EXPECT_EQ(NativeAnswer("Smax20", state), "OK\r\n");
    EXPECT_EQ(NativeAnswer("Gmax", state), "max=20\r\n");
    EXPECT_EQ(NativeAnswer("SmodeA-1", state), "OK\r\n");
    EXPECT_EQ(NativeAnswer("Gmode", state), "mode=A-1\r\n");
    EXPECT_EQ(NativeAnswer("Smodc3", state), "OK\r\n");  // a key that starts like another
    EXPECT_EQ(NativeAnswer("Gmodc", state), "modc=3\r\n");
    EXPECT_EQ(NativeAnswer("Scell21", state), "OK\r\n");
    EXPECT_EQ(NativeAnswer("Gcell2", state), "cell2=1\r\n");
    for (const char* refused : {"Gfoo", "Sfoo1", "Smax", "Sver2x", "Sdiv9", "Sprov7", "Scnt5", "Srst1", "X"})
        EXPECT_EQ(NativeAnswer(refused, state), "ERROR\r\n") << refused;
}

TEST(NativeProtocol, CalibrationCounterAndProtocolSwitch) {
    ScaleState state;
    state.stable = false;
    EXPECT_EQ(NativeAnswer("Swcal0015", state), "ERROR\r\n");
    EXPECT_EQ(NativeAnswer("Szcal", state), "ERROR\r\n");
    state.stable = true;
    EXPECT_EQ(NativeAnswer("Szcal", state), "OK\r\n");
    EXPECT_EQ(NativeAnswer("Swcal0015", state), "OK\r\n");
    EXPECT_EQ(state.weight, 15000);
    EXPECT_EQ(NativeAnswer("Gcal", state), "cal=0015\r\n");
    EXPECT_EQ(NativeAnswer("Scnt", state), "OK\r\n");
    EXPECT_EQ(NativeAnswer("Gcnt", state), "cnt=2\r\n");

    EXPECT_EQ(NativeAnswer("Sprov0", state), "OK\r\n");
    EXPECT_EQ(state.protocol, RetailProtocol::Cas);
    EXPECT_EQ(NativeAnswer("Gprov", state), "prov=0\r\n");
    EXPECT_EQ(NativeAnswer("Sprov1", state), "OK\r\n");
    EXPECT_EQ(state.protocol, RetailProtocol::Pos);
}

TEST(ScaleEngineTest, ServiceLinesOnlyOnAProScale) {
    ScaleState state;
    ScaleEngine engine(state);
    auto replies = engine.Feed(ToBytes("Gsern\r\nGver2\r"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, ToBytes("sern=12345678\r\n"));
    replies = engine.Feed(ToBytes("\n"));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].bytes, ToBytes("ver2=v1.05\r\n"));

    state.pro = false;
    EXPECT_TRUE(engine.Feed(ToBytes("Gsern\r\n")).empty());
    EXPECT_EQ(engine.Pending(), 0u);
}

TEST(ReplySchedulerTest, FaultsShapeTheNextDataReplyOnly) {
    const Clock::time_point t0{};
    using std::chrono::milliseconds;
    ReplyScheduler s;
    Reply ack{{0x06}, true, std::nullopt};
    Reply frame{Hex({0x06, 0x02, 0x02, 0x30, 0x00, 0x32}), false, 5};

    s.faults().nak_count = 1;
    s.faults().corrupt_checksum = true;
    s.faults().stray_count = 2;
    s.Submit(ack, t0);
    s.Submit(ack, t0);
    s.Submit(frame, t0);
    auto out = s.TakeDue(t0);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].bytes, Hex({0x15}));
    EXPECT_EQ(out[1].bytes, Hex({0x06}));
    EXPECT_EQ(out[2].bytes, Hex({0xA5, 0xA5, 0x06, 0x02, 0x02, 0x30, 0x00, 0xCD}));

    s.faults().delay_ms = 300;
    s.faults().split_pause_ms = 40;
    s.Submit(frame, t0);
    EXPECT_TRUE(s.TakeDue(t0 + milliseconds(299)).empty());
    out = s.TakeDue(t0 + milliseconds(300));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, Hex({0x06, 0x02, 0x02}));
    EXPECT_EQ(s.NextDue(), t0 + milliseconds(340));
    out = s.TakeDue(t0 + milliseconds(340));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].bytes, Hex({0x30, 0x00, 0x32}));

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

TEST(ControlTest, CommandsAnswerOneLineEach) {
    ScaleState state;
    Faults faults;
    Control control(state, faults, [] { return std::string("endpoint=x"); });
    EXPECT_EQ(control.Execute("weight -250").reply, "ok");
    EXPECT_EQ(state.weight, -250);
    EXPECT_EQ(control.Execute("weight 1.5").reply.rfind("error", 0), 0u);
    EXPECT_EQ(control.Execute("set sern 42 43").reply, "ok");
    EXPECT_EQ(control.Execute("get sern").reply, "sern=42 43");
    EXPECT_EQ(control.Execute("protocol cas").reply, "ok");
    EXPECT_EQ(control.Execute("get prov").reply, "prov=0");
    EXPECT_EQ(control.Execute("nak").reply, "ok");
    EXPECT_EQ(faults.nak_count, 1);
    EXPECT_EQ(control.Execute("zero maybe").reply.rfind("error", 0), 0u);
    EXPECT_EQ(control.Execute("bogus").reply.rfind("error", 0), 0u);
    EXPECT_TRUE(control.Execute("").reply.empty());
    EXPECT_NE(control.Execute("status").reply.find("weight=-250"), std::string::npos);
    EXPECT_TRUE(control.Execute("quit").quit);
}

}  // namespace
}  // namespace scale_sim
