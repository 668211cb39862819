#include <gtest/gtest.h>

#include "commands/retail-executors.h"
#include "protocols/pos/pos-command-executor.h"
#include "protocols/pos/pos-validators.h"
#include "support/fake-connection.h"

namespace {

using driver::ByteVector;
using driver::Command;
using driver::ErrorCase;
using driver::ParamType;
using Chunks = testsupport::FakeConnection::Chunks;

const ByteVector kAck{0x06};

// ACK STX LEN payload CHK, the checksum over LEN and the payload.
ByteVector AnswerFrame(const ByteVector& payload) {
    ByteVector frame{0x06, 0x02, static_cast<std::uint8_t>(payload.size())};
    frame.insert(frame.end(), payload.begin(), payload.end());
    std::uint8_t checksum = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) checksum ^= frame[i];
    frame.push_back(checksum);
    return frame;
}

// Two unread bytes, then state, weight and tare.
ByteVector StatusAnswer(ByteVector state, const ByteVector& weight, const ByteVector& tare) {
    ByteVector payload{0x3A, 0x30};
    payload.insert(payload.end(), state.begin(), state.end());
    payload.insert(payload.end(), weight.begin(), weight.end());
    payload.insert(payload.end(), tare.begin(), tare.end());
    return AnswerFrame(payload);
}

driver::ResultMap Execute(testsupport::FakeScale& scale, Command command, ErrorCase& err) {
    err = ErrorCase::Correct;
    return driver::CreateRetailCommandExecutor(command)->ExecuteCommand(scale.device, err);
}

TEST(POSValidators, StatusFrameCompletesOnlyWithItsChecksum) {
    // A tare of 256 or more puts a non-zero byte last in the payload.
    ByteVector frame = StatusAnswer({0x01, 0x80}, {0x10, 0x27, 0x00, 0x00}, {0x00, 0x05});
    EXPECT_TRUE(driver::POSStatusOfWeightChannelResponseValidator(frame));
    for (std::size_t i = 3; i + 1 < frame.size(); ++i) {
        ByteVector changed = frame;
        changed[i] ^= 0x01;
        EXPECT_FALSE(driver::POSStatusOfWeightChannelResponseValidator(changed)) << "payload byte " << i;
    }
    ByteVector stray{0x00, 0x15};
    stray.insert(stray.end(), frame.begin(), frame.end());
    EXPECT_TRUE(driver::POSStatusOfWeightChannelResponseValidator(stray));
    frame.pop_back();
    EXPECT_FALSE(driver::POSStatusOfWeightChannelResponseValidator(frame));
    for (const ByteVector& reply : {ByteVector{}, ByteVector{0x06, 0x02, 0x00}, ByteVector{0x06, 0x02, 0xFF, 0x00}})
        EXPECT_FALSE(driver::POSStatusOfWeightChannelResponseValidator(reply));
}

TEST(POSValidators, FixedAnswersAreFoundAnywhere) {
    EXPECT_TRUE(driver::POSSetZeroResponseValidator({0x15, 0x06, 0x02, 0x02, 0x30, 0x00, 0x32, 0x00}));
    EXPECT_FALSE(driver::POSSetTareResponseValidator({0x06, 0x02, 0x02, 0x30, 0x00, 0x32}));
    EXPECT_FALSE(driver::POSSpecifyTareResponseValidator({0x02, 0x32}));
}

TEST(POSFrames, ParseStateReadsFirstByteLowBitFirstThenTwoHighBitsOfSecond) {
    ErrorCase err = ErrorCase::Correct;
    EXPECT_EQ(driver::POSCommandExecutor::ParseState({0x01, 0x80}, err), "1000000010");
    EXPECT_EQ(driver::POSCommandExecutor::ParseState({0x80, 0x40}, err), "0000000101");
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(driver::POSCommandExecutor::ParseState({0x01}, err), "");
    EXPECT_EQ(err, ErrorCase::IncorrectArgumnts);
}

TEST(RetailFactory, BuildsOnlyRetailCommands) {
    for (int number : {0, 2, 51, 54, 66}) EXPECT_EQ(driver::CreateRetailCommandExecutor(Command{number}), nullptr);
    for (int number = 55; number <= 65; ++number)
        EXPECT_NE(driver::CreateRetailCommandExecutor(Command{number}), nullptr);
}

TEST(POSStatus, DecodesStateWeightAndTare) {
    testsupport::FakeScale scale;
    scale.port->Answer(Chunks{kAck});
    const ByteVector frame = StatusAnswer({0x01, 0x80}, {0x10, 0x27, 0x00, 0x00}, {0xFF, 0xFF});
    scale.port->Answer(
        Chunks{ByteVector(frame.begin(), frame.begin() + 5), ByteVector(frame.begin() + 5, frame.end())});
    ErrorCase err;
    EXPECT_EQ(Execute(scale, Command::POSStatusOfWeightChannel, err),
              (driver::ResultMap{{ParamType::UnitOfMeasure, "gr"},
                                 {ParamType::WeightState, "1000000010"},
                                 {ParamType::Weight, "10000"},
                                 {ParamType::Tare, "65535"}}));
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(scale.port->writes(),
              (std::vector<ByteVector>{{0x05}, {0x02, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C}}));
}

TEST(POSStatus, NakIsAcceptedAndStrayBytesDoNotShiftTheFields) {
    testsupport::FakeScale scale;
    scale.port->Answer(Chunks{{0x15}});
    scale.port->Answer(Chunks{StatusAnswer({0, 0}, {0xFF, 0xFF, 0xFF, 0xFF}, {0, 0})});
    ErrorCase err;
    EXPECT_EQ(Execute(scale, Command::POSStatusOfWeightChannel, err).at(ParamType::Weight), "-1");

    scale.port->Answer(Chunks{kAck});
    scale.port->Answer(Chunks{{0x00}, StatusAnswer({0, 0}, {0x01, 0x02, 0x00, 0x00}, {0, 0})});
    EXPECT_EQ(Execute(scale, Command::POSStatusOfWeightChannel, err).at(ParamType::Weight), "513");  // 01 02 00 00
}

TEST(POSStatus, EnquiryWithoutOneAckOrNakStopsBeforeTheFrame) {
    for (const Chunks& answer : {Chunks{}, Chunks{{0x06, 0x06}}, Chunks{{0x41}}}) {
        testsupport::FakeScale scale;
        scale.port->Answer(answer);
        ErrorCase err;
        EXPECT_TRUE(Execute(scale, Command::POSStatusOfWeightChannel, err).empty());
        EXPECT_EQ(err, ErrorCase::ConnectionError);
        EXPECT_EQ(scale.port->writes().size(), 1u);
    }
}

TEST(POSStatus, BadChecksumTimesOutAndShortCompleteFrameIsUnexpected) {
    testsupport::FakeScale scale;
    ByteVector bad = StatusAnswer({0, 0}, {0, 0, 0, 0}, {0, 0});
    bad.back() ^= 0xFF;
    scale.port->Answer(Chunks{kAck});
    scale.port->Answer(Chunks{bad});
    ErrorCase err;
    EXPECT_TRUE(Execute(scale, Command::POSStatusOfWeightChannel, err).empty());
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
    // Complete by its checksum, but too short for the fields: never read past its end.
    scale.port->Answer(Chunks{kAck});
    scale.port->Answer(Chunks{AnswerFrame({0x3A, 0x30})});
    EXPECT_TRUE(Execute(scale, Command::POSStatusOfWeightChannel, err).empty());
    EXPECT_EQ(err, ErrorCase::DeviceUnexpectedResponse);
}

TEST(POSCommands, ZeroSendsItsFixedFrameAndReturnsNothing) {
    testsupport::FakeScale scale;
    scale.port->Answer(Chunks{kAck});
    scale.port->Answer(Chunks{{0x06, 0x02, 0x02, 0x30, 0x00, 0x32}});
    ErrorCase err;
    EXPECT_TRUE(Execute(scale, Command::POSSetZero, err).empty());
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(scale.port->writes().back(), (ByteVector{0x02, 0x05, 0x30, 0x30, 0x30, 0x33, 0x30, 0x36}));
}

TEST(POSCommands, SpecifyTareWritesValueAndChecksum) {
    testsupport::FakeScale scale;
    scale.Input(ParamType::Tare, "500");
    scale.port->Answer(Chunks{kAck});
    scale.port->Answer(Chunks{{0x06, 0x02, 0x02, 0x32, 0x00, 0x30}});
    ErrorCase err;
    EXPECT_TRUE(Execute(scale, Command::POSSpecifyTare, err).empty());
    EXPECT_EQ(err, ErrorCase::Correct);
    const std::uint8_t checksum = 0x32 ^ 0x30 ^ 0x30 ^ 0x33 ^ 0x30 ^ 0xF4 ^ 0x01;
    EXPECT_EQ(scale.port->writes().back(),
              (ByteVector{0x05, 0x02, 0x07, 0x32, 0x30, 0x30, 0x33, 0x30, 0xF4, 0x01, checksum}));
}

TEST(POSCommands, SpecifyTareThatIsNoNumberOrMissingSendsNothing) {
    for (const char* text : {"abc", "99999999999999999999", ""}) {
        testsupport::FakeScale scale;
        scale.Input(ParamType::Tare, text);
        ErrorCase err;
        EXPECT_TRUE(Execute(scale, Command::POSSpecifyTare, err).empty());
        EXPECT_EQ(err, *text ? ErrorCase::ParamValueUnsupported : ErrorCase::ParamTypeIsNotSetToGet) << text;
        EXPECT_TRUE(scale.port->writes().empty());
    }
}

}  // namespace
