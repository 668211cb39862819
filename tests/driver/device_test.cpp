// Routing of commands by the device: connection check, mapping, acceptance, model check, outputs.
#include "device.h"

#include <gtest/gtest.h>

#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeScale;

TEST(DeviceCommands, NeedAnOpenConnection) {
    FakeScale scale;
    scale.port->Close();
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::ConnectionError);
    EXPECT_TRUE(scale.port->writes().empty());  // a device never opened: through the exports
}

TEST(DeviceCommands, ModelCheckGuardsEveryCommandButUnderAuto) {
    FakeScale scale("POS2KProV1", "A15", "K-ZA A7-15.2 III(средний)");
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::WrongModelChosen);
    EXPECT_TRUE(scale.port->writes().empty());

    scale.Configure("OKA", "A7", "K-ZA A7-15.2 III(средний)");
    scale.port->Answer("sern=12345\r\n");
    EXPECT_EQ(scale.Run(Command::GetSerialNumber), ErrorCase::Correct);
    EXPECT_EQ(scale.Output(ParamType::SerialNumber), "12345");
}

TEST(DeviceCommands, AFailedRunKeepsEarlierOutputs) {
    FakeScale scale;
    scale.port->Answer("max=15\r\n");
    ASSERT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::Correct);
    scale.port->Answer("max=3");  // never completes: deadline
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::BoostTimeOut);
    EXPECT_EQ(scale.Output(ParamType::MaxWeight), "15");
}

// A line break in a value would reach the scale as a second command: every input with a control character
// is refused before it is stored, so no command can send it.
TEST(DeviceInputs, ControlCharactersAreRefusedBeforeAnythingIsStoredOrSent) {
    FakeScale scale("POS2KProV1", "auto", "K-ZA A7-15.2 III(средний)");
    for (const auto param : {ParamType::SerialNumber, ParamType::Tare, ParamType::WeightCalibration}) {
        for (const std::string& bad :
             {std::string("1\r\nSdiv5"), std::string("5\t"), std::string("1\x7f"), std::string("2\0", 2)}) {
            ErrorCase err = ErrorCase::Correct;
            scale.device.SetParam(param, bad, err);
            EXPECT_EQ(err, ErrorCase::ParamValueUnsupported);
            err = ErrorCase::Correct;
            scale.device.GetInputParam(param, err);
            EXPECT_NE(err, ErrorCase::Correct) << "a refused value was stored";
        }
    }
    EXPECT_TRUE(scale.port->writes().empty());
    ErrorCase err = ErrorCase::Correct;
    scale.device.SetParam(ParamType::SerialNumber, "12345678", err);
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(scale.device.GetInputParam(ParamType::SerialNumber, err), "12345678");
}

TEST(DeviceCommands, TransferErrorsStand) {
    FakeScale scale;
    scale.port->Answer("max=15\r\n");
    scale.port->FailReads(ErrorCase::BoostErrorUnknown);  // even when the reply is complete
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::BoostErrorUnknown);

    FakeScale other;
    other.port->FailNextWrite(ErrorCase::BoostErrorUnknown);
    other.port->Stream({ToBytes("max=15\r\n")});
    EXPECT_EQ(other.Run(Command::GetMaxWeight), ErrorCase::BoostErrorUnknown);
    EXPECT_EQ(scale.Outputs(), (std::map<ParamType, std::string>{}));
    EXPECT_EQ(other.Outputs(), (std::map<ParamType, std::string>{}));
}

TEST(DeviceCommands, EveryCommandButTheUnknownOnesHasAnExecutor) {
    for (int number = 0; number <= 65; ++number) {
        FakeScale scale;
        auto err = ErrorCase::Correct;
        scale.device.RunCommand(static_cast<Command>(number), err);
        const bool unknown = number == 0 || (number >= 51 && number <= 54);
        EXPECT_EQ(err == ErrorCase::CommandUnsupported, unknown) << number;
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
