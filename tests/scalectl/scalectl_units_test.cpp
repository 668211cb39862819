// The parts of scalectl that need no driver: JSON lines, tables, input checks.
#include <gtest/gtest.h>

#include "balvex-keys.h"
#include "ctl-error.h"
#include "device-fields.h"
#include "json-line.h"
#include "log-cause.h"
#include "text-table.h"

namespace scalectl {
namespace {

using jsonline::JsonLine;

TEST(JsonLines, EscapesTextsAndWritesPlainValues) {
    JsonLine line;
    line.Text("name", "a \"quoted\"\\ name\n\x01")
        .Text("model", "K-ZA A7-15.2 III(средний)")
        .Number("weight", 1.5)
        .NumberOrNull("tare", std::nullopt)
        .Integer("id", 7)
        .Bool("stable", true);
    EXPECT_EQ(line.str(), R"j({"name":"a \"quoted\"\\ name\n\u0001","model":"K-ZA A7-15.2 III(средний)",)j"
                          R"("weight":1.5,"tare":null,"id":7,"stable":true})");
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
    EXPECT_EQ(FindBalvexKey("u3en")->param, FindBalvexKey("u2en")->param);
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
