// Routing of commands by the device: connection check, mapping, acceptance, model check, outputs.
#include "device.h"

#include <gtest/gtest.h>

#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeConnection;
using testsupport::FakeScale;

namespace {

FakeScale& Configured(FakeScale& scale, const std::string& protocol, const std::string& model,
                      const std::string& scaleModel) {
    scale.device.Configure({"Serial Port", "/dev/null", "9600", model, protocol});
    scale.device.SetScaleModel(scaleModel);
    return scale;
}

}  // namespace

TEST(DeviceCommands, NeedAnOpenConnection) {
    FakeScale scale;
    scale.port->Close();
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::ConnectionError);
    EXPECT_TRUE(scale.port->writes().empty());

    ErrorCase err = ErrorCase::Correct;
    Device unopened;
    unopened.ExecuteCommand(Command::GetMaxWeight, err);
    EXPECT_EQ(err, ErrorCase::ConnectionError);
    EXPECT_FALSE(unopened.IsOpen(err));
}

TEST(DeviceCommands, GenericCommandsAreMappedOrRefusedByProtocol) {
    FakeScale scale;
    Configured(scale, "POS2K", "auto", "Not Pro model");
    scale.port->Answer("\x06");
    scale.port->Answer(FakeConnection::Chunks{ToBytes(std::string("\x06\x02\x02\x30\x00\x32", 6))});
    EXPECT_EQ(scale.Run(Command::SetZero), ErrorCase::Correct);
    ASSERT_EQ(scale.port->writes().size(), 2u);
    EXPECT_EQ(scale.port->writes()[0], ByteVector{0x05});  // the POS enquiry went out

    const auto before = scale.port->writes().size();
    EXPECT_EQ(scale.Run(Command::SpecifyTare), ErrorCase::CommandUnsupported);
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::CommandUnsupported);
    EXPECT_EQ(scale.port->writes().size(), before);

    Configured(scale, "CAS-K-Active", "auto", "Not Pro model");
    EXPECT_EQ(scale.Run(Command::SetZero), ErrorCase::CommandUnsupported);
    EXPECT_EQ(scale.Run(Command::SetTare), ErrorCase::CommandUnsupported);

    Configured(scale, "no such protocol", "auto", "");
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::CommandUnsupported);
}

TEST(DeviceCommands, ModelCheckGuardsEveryCommandButUnderAuto) {
    FakeScale scale;
    Configured(scale, "POS2KProV1", "A15", "K-ZA A7-15.2 III(средний)");
    EXPECT_EQ(scale.Run(Command::GetMaxWeight), ErrorCase::WrongModelChosen);
    EXPECT_TRUE(scale.port->writes().empty());

    Configured(scale, "CAS-K", "K 15", "Not Pro model");
    EXPECT_EQ(scale.Run(Command::StatusOfWeightChannel), ErrorCase::WrongModelChosen);

    Configured(scale, "OKA", "A7", "K-ZA A7-15.2 III(средний)");
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

TEST(DeviceOptions, NeedAConnectionAndRefuseTextThatIsNoNumber) {
    ErrorCase err = ErrorCase::Correct;
    Device unopened;
    unopened.SetOption(Option::BaudRate, "9600", err);
    EXPECT_EQ(err, ErrorCase::ConnectionError);
    err = ErrorCase::Correct;
    EXPECT_EQ(unopened.GetOption(Option::BaudRate, err), "");
    EXPECT_EQ(err, ErrorCase::ConnectionError);
}

// A line break in a value would reach the scale as a second command: every input with a control character
// is refused before it is stored, so no command can send it.
TEST(DeviceInputs, ControlCharactersAreRefusedBeforeAnythingIsStoredOrSent) {
    FakeScale scale;
    Configured(scale, "POS2KProV1", "auto", "K-ZA A7-15.2 III(средний)");
    for (const auto param : {ParamType::SerialNumber, ParamType::Tare, ParamType::WeightCalibration}) {
        for (const std::string bad :
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
