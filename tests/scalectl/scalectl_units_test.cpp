// The parts of scalectl that need no driver: decoding, number texts, JSON lines, tables, input checks.
#include <gtest/gtest.h>

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <sstream>

#include "ctl-error.h"
#include "device-fields.h"
#include "json-line.h"
#include "log-cause.h"
#include "native-keys.h"
#include "text-table.h"
#include "weight-reading.h"

namespace scalectl {
namespace {

// Ten POS state characters with "1" at the given positions.
std::string PosState(std::initializer_list<int> ones) {
    std::string state(10, '0');
    for (int i : ones) state[static_cast<std::size_t>(i)] = '1';
    return state;
}

WeightReading DecodeOnce(ProtocolFamily family, RawWeight raw, std::optional<double> max = std::nullopt) {
    WeightReading reading;
    Decode(family, raw, max, reading);
    return reading;
}

TEST(WeightDecoding, PosGramsBecomeKilogramsWithZeroAndStability) {
    auto reading = DecodeOnce(ProtocolFamily::Pos, {PosState({}), "1500", "200", "gr"});
    EXPECT_DOUBLE_EQ(reading.weight, 1.5);
    ASSERT_TRUE(reading.tare);
    EXPECT_DOUBLE_EQ(*reading.tare, 0.2);
    EXPECT_EQ(reading.unit, WeightUnit::Kilogram);
    EXPECT_TRUE(reading.stable);
    EXPECT_FALSE(reading.zero);
    EXPECT_FALSE(reading.overload);

    EXPECT_TRUE(DecodeOnce(ProtocolFamily::Pos, {PosState({1}), "0", "0", ""}).zero);
    // Without the mode bit at 2, a set bit 0 or 4 means moving.
    EXPECT_FALSE(DecodeOnce(ProtocolFamily::Pos, {PosState({0}), "10", "0", ""}).stable);
    EXPECT_FALSE(DecodeOnce(ProtocolFamily::Pos, {PosState({4}), "10", "0", ""}).stable);
    // With it, bits 0 and 4 must be set and bit 7 clear.
    EXPECT_TRUE(DecodeOnce(ProtocolFamily::Pos, {PosState({0, 2, 4}), "10", "0", ""}).stable);
    EXPECT_FALSE(DecodeOnce(ProtocolFamily::Pos, {PosState({0, 2, 4, 7}), "10", "0", ""}).stable);
    EXPECT_FALSE(DecodeOnce(ProtocolFamily::Pos, {PosState({2, 4}), "10", "0", ""}).stable);
    // A negative weight arrives as signed text.
    EXPECT_DOUBLE_EQ(DecodeOnce(ProtocolFamily::Pos, {PosState({}), "-250", "0", ""}).weight, -0.25);
}

TEST(WeightDecoding, PosOverloadOnlyWithMaximumAndEmptyWeightKeepsTheReading) {
    RawWeight heavy{PosState({}), "15001", "0", ""};
    EXPECT_FALSE(DecodeOnce(ProtocolFamily::Pos, heavy).overload);
    EXPECT_TRUE(DecodeOnce(ProtocolFamily::Pos, heavy, 15.0).overload);
    EXPECT_FALSE(DecodeOnce(ProtocolFamily::Pos, {PosState({}), "15000", "0", ""}, 15.0).overload);

    WeightReading reading;
    Decode(ProtocolFamily::Pos, heavy, 15.0, reading);
    Decode(ProtocolFamily::Pos, {"", "", "", ""}, 15.0, reading);
    EXPECT_FALSE(reading.overload);
    EXPECT_DOUBLE_EQ(reading.weight, 15.001);
}

TEST(WeightDecoding, CasUsesItsUnitStateAndOverloadMarks) {
    auto grams = DecodeOnce(ProtocolFamily::Cas, {"1***1*0***", "125", "", "g"});
    EXPECT_EQ(grams.unit, WeightUnit::Gram);
    EXPECT_DOUBLE_EQ(grams.weight, 125);
    EXPECT_TRUE(grams.stable);
    EXPECT_FALSE(grams.tare);

    auto pounds = DecodeOnce(ProtocolFamily::Cas, {"0***0*0***", "-12.5", "", "lb"});
    EXPECT_EQ(pounds.unit, WeightUnit::Pound);
    EXPECT_DOUBLE_EQ(pounds.weight, -12.5);
    EXPECT_FALSE(pounds.stable);

    EXPECT_TRUE(DecodeOnce(ProtocolFamily::Cas, {"1***1*0***", "0", "", "kg"}).zero);
    EXPECT_TRUE(DecodeOnce(ProtocolFamily::Cas, {"0***0*1***", "1.0", "", "kg"}).overload);

    WeightReading reading;
    Decode(ProtocolFamily::Cas, {"1***1*0***", "2.5", "", "kg"}, std::nullopt, reading);
    Decode(ProtocolFamily::Cas, {"0***0*1***", "OFL F", "", "kg"}, std::nullopt, reading);
    EXPECT_TRUE(reading.overload);
    EXPECT_DOUBLE_EQ(reading.weight, 2.5);
    EXPECT_TRUE(reading.stable);  // an "F" reading changes nothing but the overload mark
}

TEST(WeightDecoding, ShortStateTextsAndOtherProtocolsAreSafe) {
    EXPECT_NO_THROW(DecodeOnce(ProtocolFamily::Pos, {"1", "10", "0", ""}));
    EXPECT_NO_THROW(DecodeOnce(ProtocolFamily::Cas, {"", "10", "", "kg"}));
    auto oka = DecodeOnce(ProtocolFamily::Oka, {"0x00", "1234", "16", "kg"});
    EXPECT_DOUBLE_EQ(oka.weight, 1.234);
    EXPECT_TRUE(oka.stable);
    auto overloaded = DecodeOnce(ProtocolFamily::Oka, {"0x40", "0", "0", "kg"});
    EXPECT_FALSE(overloaded.stable);
    EXPECT_TRUE(overloaded.overload);
    EXPECT_FALSE(overloaded.zero);

    EXPECT_EQ(FamilyOf("POS2KProV1"), ProtocolFamily::Pos);
    EXPECT_EQ(FamilyOf("CAS-K-Active"), ProtocolFamily::Cas);
    EXPECT_EQ(FamilyOf("OKA"), ProtocolFamily::Oka);
    EXPECT_EQ(FamilyOf("auto"), ProtocolFamily::Other);
}

TEST(WeightDecoding, NumberTextsByUnit) {
    EXPECT_EQ(NumberText(0.0, WeightUnit::Kilogram), "0");
    EXPECT_EQ(NumberText(1.5, WeightUnit::Kilogram), "1.500");
    EXPECT_EQ(NumberText(-0.25, WeightUnit::Pound), "-0.250");
    EXPECT_EQ(NumberText(125, WeightUnit::Gram), "125");
    EXPECT_EQ(NumberText(1234567, WeightUnit::Gram), "1.23457e+06");
    EXPECT_EQ(UnitWord(WeightUnit::Gram), "g");
}

boost::property_tree::ptree ParseJson(const std::string& text) {
    std::istringstream in(text);
    boost::property_tree::ptree tree;
    boost::property_tree::read_json(in, tree);
    return tree;
}

TEST(JsonLines, EscapesTextsAndWritesPlainValues) {
    JsonLine line;
    line.Text("name", "a \"quoted\"\\ name\n\x01")
        .Text("model", "K-ZA A7-15.2 III(средний)")
        .Number("weight", 1.5)
        .NumberOrNull("tare", std::nullopt)
        .Integer("id", 7)
        .Bool("stable", true);
    const auto text = line.str();
    EXPECT_EQ(text.find('\n'), std::string::npos);
    auto tree = ParseJson(text);
    EXPECT_EQ(tree.get<std::string>("name"), "a \"quoted\"\\ name\n\x01");
    EXPECT_EQ(tree.get<std::string>("model"), "K-ZA A7-15.2 III(средний)");
    EXPECT_EQ(tree.get<double>("weight"), 1.5);
    EXPECT_EQ(tree.get<int>("id"), 7);
    EXPECT_EQ(tree.get<bool>("stable"), true);
    EXPECT_NE(text.find("\"tare\":null"), std::string::npos);
    EXPECT_EQ(JsonLine().Number("x", 1.0 / 0.0).str(), "{\"x\":null}");
    EXPECT_EQ(JsonLine().str(), "{}");
}

TEST(TextTables, ColumnsAlignByCharactersNotBytes) {
    const auto text = FormatTable({{"model", "средний", "x"}, {"id", "ab", "y"}});
    EXPECT_EQ(text, "model  средний  x\nid     ab       y\n");
    EXPECT_EQ(TableText({{"a", ""}}), "a");
}

TEST(InputChecks, NumbersFieldsAndEndPoints) {
    // Both unit keys read into one slot; the tool must not show one for the other.
    EXPECT_EQ(FindNativeKey("u3en")->param, FindNativeKey("u2en")->param);
    EXPECT_TRUE(IsNumber("-0.5"));
    EXPECT_FALSE(IsNumber("1."));
    EXPECT_FALSE(IsNumber(""));

    using Field = driver::LogicDeviceParamType;
    EXPECT_FALSE(FieldByName("is-current"));
    EXPECT_EQ(CheckedFieldValue(Field::ConnectionType, "tcp"), "TCP");
    EXPECT_EQ(CheckedFieldValue(Field::Protocol, "CAS-K ProV1"), "CAS-K ProV1");
    EXPECT_THROW(CheckedFieldValue(Field::BaudRate, "0"), CtlError);
    EXPECT_THROW(CheckedFieldValue(Field::EndPoint, ""), CtlError);

    EXPECT_TRUE(IsTcpEndPoint("127.0.0.1"));
    EXPECT_TRUE(IsTcpEndPoint("127.0.0.1:5001"));
    EXPECT_FALSE(IsTcpEndPoint("127.0.0.1:"));
    EXPECT_FALSE(IsTcpEndPoint(":77"));
}

TEST(LogCause, ErrorLinesGiveTheirTextAndControlsAreEscaped) {
    EXPECT_EQ(
        CauseOfLogLine("[2026-12-07 00:30:35.123] [error] Norvell::Balvex::Driver::logic-devices, "
                       "LogicDeviceManager::AddLogicDevice(), device limit is reached: at most 101 logic devices"),
        "device limit is reached: at most 101 logic devices");
    EXPECT_EQ(CauseOfLogLine("[2026-12-07 00:30:35.123] [error] Norvell::Balvex::Driver::serial-port-connection, "
                             "SerialPortConnection::Open(...), port /dev/pts/3 is held by another program: busy"),
              "port /dev/pts/3 is held by another program: busy");
    EXPECT_EQ(CauseOfLogLine("[2026-12-07 00:30:35.123] [error] Norvell::Balvex::Driver::device, "
                             "Device::Open(ip: 1.2.3.4, socket: 77), can't connect"),
              "Device::Open(ip: 1.2.3.4, socket: 77), can't connect");
    EXPECT_EQ(CauseOfLogLine("[2026-12-07 00:30:35.123] [info] Norvell::Balvex::Driver::device, text"), "");
    EXPECT_EQ(CauseOfLogLine("[2026-12-07 00:30:35.123] [error] Norvell::Balvex::Driver::driver-native, "
                             "Driver::open(), ended with ConnectionError"),
              "");
    EXPECT_EQ(CauseOfLogLine("Byte vector: 0x01"), "");
    EXPECT_EQ(EscapeControls("a\x1b[31m\r\n\x7f\xc2\x9b Весы"), "a\\x1b[31m\\x0d\\x0a\\x7f\\u009b Весы");
    EXPECT_EQ(FormatTable({{"a\tb", "c"}}), "a\\x09b  c\n");
}

}  // namespace
}  // namespace scalectl
