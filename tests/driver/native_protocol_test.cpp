#include <gtest/gtest.h>

#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeScale;

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

TEST(NativeProtocol, AWriteHoldingGmodeIsOneExchange) {
    FakeScale scale;
    scale.Input(ParamType::ScalesModel, "A7Gmode");
    scale.port->Answer("OK\r\n");
    EXPECT_EQ(scale.Run(Command::SetScalesModel), ErrorCase::Correct);
    EXPECT_EQ(scale.port->writtenTexts(), std::vector<std::string>{"SmodeA7Gmode\r\n"});
}
