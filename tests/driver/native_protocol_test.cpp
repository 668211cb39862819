#include <gtest/gtest.h>

#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeScale;

TEST(NativeProtocol, WritesSubstituteTheValueOnce) {
    struct Case {
        Command command;
        ParamType type;
        const char* value;
        const char* sent;
    };
    for (const Case& c : {Case{Command::SetMaxWeight, ParamType::MaxWeight, "15", "Smax15\r\n"},
                          Case{Command::SetScalesModel, ParamType::ScalesModel, "A-1", "SmodeA-1\r\n"},
                          Case{Command::SetScalesModel, ParamType::ScalesModel, "A@1", "SmodeA@1\r\n"},
                          Case{Command::SetCountOfCalibration, ParamType::CountOfCalibration, "7", "Scnt\r\n"}}) {
        SCOPED_TRACE(c.sent);
        FakeScale scale;
        scale.Input(c.type, c.value);
        scale.port->Answer("OK\r\n");
        EXPECT_EQ(scale.Run(c.command), ErrorCase::Correct);
        EXPECT_EQ(scale.port->writtenTexts(), std::vector<std::string>{c.sent});
    }
}

TEST(NativeProtocol, WriteWithoutInputValueSendsNothing) {
    FakeScale scale;
    EXPECT_EQ(scale.Run(Command::SetSerialNumber), ErrorCase::ParamTypeIsNotSetToGet);
    EXPECT_TRUE(scale.port->writes().empty());
}

TEST(NativeProtocol, WriteRepliesMustBeExactlyOkOrError) {
    struct Case {
        testsupport::FakeConnection::Chunks reply;
        ErrorCase expected;
    };
    for (const Case& c :
         {Case{{ToBytes("OK\r\n")}, ErrorCase::Correct}, Case{{ToBytes("O"), ToBytes("K\r\n")}, ErrorCase::Correct},
          Case{{ToBytes("ERROR\r\n")}, ErrorCase::DeviceReturnsError},
          Case{{ToBytes("OK\r\nOK\r\n")}, ErrorCase::DeviceUnexpectedResponse},
          Case{{ToBytes("ok\r\n")}, ErrorCase::DeviceUnexpectedResponse},
          Case{{ToBytes("OK")}, ErrorCase::BoostTimeOut}}) {
        FakeScale scale;
        scale.port->Answer(c.reply);
        EXPECT_EQ(scale.Run(Command::Reboot), c.expected);
    }
}

TEST(NativeProtocol, ReadsTakeTheValueAfterTheKey) {
    struct Case {
        Command command;
        testsupport::FakeConnection::Chunks reply;
        ErrorCase err;
        ResultMap result;
    };
    const Case cases[] = {
        {Command::GetMaxWeight, {ToBytes("max=15\r\n")}, ErrorCase::Correct, {{ParamType::MaxWeight, "15"}}},
        {Command::GetMaxWeight,
         {ToBytes("xx max=1"), ToBytes("5\r\n")},
         ErrorCase::Correct,
         {{ParamType::MaxWeight, "15"}}},
        {Command::GetMaxWeight, {ToBytes("max=\r\n")}, ErrorCase::Correct, {{ParamType::MaxWeight, ""}}},
        {Command::GetMaxWeight, {ToBytes("ERROR\r\n")}, ErrorCase::Correct, {}},
        {Command::GetMaxWeight, {ToBytes("max=15")}, ErrorCase::BoostTimeOut, {}},
        {Command::GetUnitOfMeasure2, {ToBytes("u3en=2\r\n")}, ErrorCase::Correct, {{ParamType::UnitOfMeasure, "2"}}},
        {Command::GetProtocolVersion,
         {ToBytes("prov=1.2\r\n")},
         ErrorCase::Correct,
         {{ParamType::ProtocolVersion, "1.2"}}},
        {Command::GetProtocolVersion, {ToBytes("OK\r\n")}, ErrorCase::Correct, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToText(c.reply.front()));
        FakeScale scale;
        scale.port->Answer(c.reply);
        auto err = ErrorCase::Correct;
        EXPECT_EQ(scale.Execute(c.command, err), c.result);
        EXPECT_EQ(err, c.err);
    }
}

TEST(NativeProtocol, TheDeviceStoresWhatAReadReturns) {
    FakeScale scale;
    scale.port->Answer("u3en=2\r\n");
    ASSERT_EQ(scale.Run(Command::GetUnitOfMeasure2), ErrorCase::Correct);
    EXPECT_EQ(scale.Output(ParamType::UnitOfMeasure), "2");
}

namespace {

std::optional<std::string> ModelName(std::initializer_list<const char*> replies, ErrorCase expected) {
    FakeScale scale;
    for (const char* reply : replies) scale.port->Answer(reply);
    EXPECT_EQ(scale.Run(Command::GetScalesModel), expected);
    EXPECT_EQ(scale.port->writtenTexts(), (std::vector<std::string>{"Gmode\r\n", "Gmax\r\n", "Gdiv\r\n", "Gprov\r\n"}));
    return scale.Output(ParamType::ScalesModel);
}

}  // namespace

TEST(ModelName, IsComposedFromFourReplies) {
    const auto ok = ErrorCase::Correct;
    EXPECT_EQ(ModelName({"mode=A7\r\n", "max=015\r\n", "div=1\r\n", "prov=1\r\n"}, ok), "K-ZA A7-15.2 III(средний)");
    EXPECT_EQ(ModelName({"mode=A\r\n", "max=000\r\n", "div=5\r\n", "prov=1\r\n"}, ok), "K-ZA A-0.50 III(средний)");
    EXPECT_EQ(ModelName({"mode=A\r\n", "max=15\r\n", "ERROR\r\n", "prov=1\r\n"}, ok), "K-ZA A-15. III(средний)");
    EXPECT_EQ(ModelName({"mode=A\r\n", "max=15\r\n", "div=1x\r\n", "prov=1\r\n"}, ok), "K-ZA A-15.2 III(средний)");
    // A lost piece only leaves its part out; err follows the last exchange.
    EXPECT_EQ(ModelName({"", "", "", "prov=1\r\n"}, ok), "K-ZA  III(средний)");
    EXPECT_EQ(ModelName({"mode=A\r\n", "max=1\r\n", "div=2\r\n", ""}, ErrorCase::BoostTimeOut), std::nullopt);
}

TEST(ModelName, UnknownDivisionIsAFormatError) {
    for (const char* div : {"div=9\r\n", "div=-1\r\n", "div=x\r\n", "div=99999999999\r\n"}) {
        SCOPED_TRACE(div);
        EXPECT_EQ(ModelName({"mode=A\r\n", "max=15\r\n", div, "prov=1\r\n"}, ErrorCase::DeviceResponseIncorrectFormat),
                  std::nullopt);
    }
}

TEST(NativeProtocol, AWriteHoldingGmodeCostsFourExchanges) {
    FakeScale scale;
    scale.Input(ParamType::ScalesModel, "Gmode");
    for (const char* reply : {"OK\r\n", "max=1\r\n", "div=1\r\n", "prov=1\r\n"}) scale.port->Answer(reply);
    EXPECT_EQ(scale.Run(Command::SetScalesModel), ErrorCase::DeviceUnexpectedResponse);
    EXPECT_EQ(scale.port->writes().size(), 4u);
}
