#include <gtest/gtest.h>

#include "commands/retail-executors.h"
#include "protocols/cas/cas-frame.h"
#include "support/fake-connection.h"

namespace {

using driver::ByteVector;
using driver::Command;
using driver::ErrorCase;
using driver::ParamType;
using Chunks = testsupport::FakeConnection::Chunks;

// SOH STX state sign weight(6) unit(2) BCC ETX EOT.
ByteVector Frame(char state, char sign, std::string_view weight, std::string_view unit) {
    ByteVector frame{0x01, 0x02, static_cast<std::uint8_t>(state), static_cast<std::uint8_t>(sign)};
    frame.insert(frame.end(), weight.begin(), weight.end());
    frame.insert(frame.end(), unit.begin(), unit.end());
    std::uint8_t bcc = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) bcc ^= frame[i];
    frame.insert(frame.end(), {bcc, 0x03, 0x04});
    return frame;
}

ByteVector Join(ByteVector a, const ByteVector& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

driver::ResultMap Execute(testsupport::FakeScale& scale, Command command, ErrorCase& err) {
    err = ErrorCase::Correct;
    return driver::CreateRetailCommandExecutor(command)->ExecuteCommand(scale.device, err);
}

TEST(CASValidators, PolledFrameIsFoundByItsEndAndChecked) {
    const ByteVector frame = Frame('S', ' ', "  12.5", "kg");
    EXPECT_TRUE(driver::CASStatusOfWeightChannelResponseValidator(Join({0x06, 0x41}, frame)));
    ByteVector wrongBcc = frame;
    wrongBcc[12] ^= 0x01;
    EXPECT_FALSE(driver::CASStatusOfWeightChannelResponseValidator(wrongBcc));
    // An ETX EOT with no room for a frame before it decides, and nothing before the reply is read.
    EXPECT_FALSE(driver::CASStatusOfWeightChannelResponseValidator(Join({0x03, 0x04}, frame)));
}

TEST(CASValidators, StreamedFrameIsCompleteWhenWhole) {
    const ByteVector frame = Frame('U', ' ', "   1.0", "kg");
    EXPECT_TRUE(driver::CASActiveStatusOfWeightChannelResponseValidator(frame));
    EXPECT_FALSE(driver::CASActiveStatusOfWeightChannelResponseValidator(ByteVector(frame.begin(), frame.end() - 1)));
    EXPECT_FALSE(driver::CASActiveStatusOfWeightChannelResponseValidator(
        Join({0x03, 0x04, 0x20, 0x20}, ByteVector(frame.begin(), frame.end() - 2))));
}

TEST(CASFrames, StateSignWeightAndUnit) {
    struct Case {
        ByteVector frame;
        std::string weight, state, unit;
    };
    const Case cases[] = {
        {Frame('S', ' ', "  12.5", "kg"), "12.5", "1***1*0***", "kg"},
        {Frame('F', '-', "  12.5", "lb"), "-12.5", "0***0*1***", "lb"},
        {Frame('U', ' ', "  OfL ", " g"), "OfL ", "0***0*1***", "g"},
    };
    for (const Case& c : cases) {
        ErrorCase err = ErrorCase::Correct;
        EXPECT_EQ(driver::ParseCASFrame(c.frame, err), (driver::ResultMap{{ParamType::UnitOfMeasure, c.unit},
                                                                          {ParamType::WeightState, c.state},
                                                                          {ParamType::Weight, c.weight}}));
        EXPECT_EQ(err, ErrorCase::Correct);
    }
}

TEST(CASFrames, MalformedFramesAreRefused) {
    const std::pair<ByteVector, ErrorCase> cases[] = {
        {Frame('X', ' ', "   1.0", "kg"), ErrorCase::DeviceResponseIncorrectFormat},
        {Frame('S', ' ', "   1.0", "g "), ErrorCase::DeviceResponseIncorrectFormat},
        {Frame('S', ' ', "      ", "kg"), ErrorCase::DeviceResponseIncorrectFormat},
        {{0x01, 0x02, 'S', ' ', 0x03, 0x04}, ErrorCase::DeviceUnexpectedResponse},
    };
    for (const auto& [frame, expected] : cases) {
        ErrorCase err = ErrorCase::Correct;
        EXPECT_TRUE(driver::ParseCASFrame(frame, err).empty());
        EXPECT_EQ(err, expected);
    }
}

TEST(CASPolled, EnquiryThenDataRequestThenFrame) {
    testsupport::FakeScale scale;
    scale.port->Answer(Chunks{{0x06}});
    const ByteVector frame = Frame('S', ' ', "  12.5", "kg");
    scale.port->Answer(
        Chunks{ByteVector(frame.begin(), frame.begin() + 7), ByteVector(frame.begin() + 7, frame.end())});
    ErrorCase err;
    EXPECT_EQ(Execute(scale, Command::CASStatusOfWeightChannel, err).at(ParamType::Weight), "12.5");
    EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{{0x05}, {0x11}}));
}

TEST(CASPolled, FailuresReturnNothing) {
    ByteVector wrongBcc = Frame('S', ' ', "  12.5", "kg");
    wrongBcc[12] ^= 0x01;
    const std::tuple<Chunks, Chunks, ErrorCase> cases[] = {
        {{{0x06}}, {wrongBcc}, ErrorCase::BoostTimeOut},
        {{{0x41}}, {}, ErrorCase::BoostTimeOut},  // no ACK: the data request is not sent
    };
    for (const auto& [handshake, answer, expected] : cases) {
        testsupport::FakeScale scale;
        scale.port->Answer(handshake);
        scale.port->Answer(answer);
        ErrorCase err;
        EXPECT_TRUE(Execute(scale, Command::CASStatusOfWeightChannel, err).empty());
        EXPECT_EQ(err, expected);
        EXPECT_EQ(scale.port->writes().size(), handshake.front() == ByteVector{0x06} ? 2u : 1u);
    }
}

TEST(CASPolled, BytesBeforeTheFrameDoNotShiftItsFields) {
    // Digits are the worst case: shifted by them, the weight would still look like a weight.
    for (const ByteVector& noise : {ByteVector{'7'}, ByteVector{'1', '2', '3'}, ByteVector{0x06, 'S', ' ', '9'}}) {
        testsupport::FakeScale scale;
        scale.port->Answer(Chunks{{0x06}});
        scale.port->Answer(Chunks{Join(noise, Frame('U', '-', "  12.5", "kg"))});
        ErrorCase err;
        const auto result = Execute(scale, Command::CASStatusOfWeightChannel, err);
        ASSERT_EQ(err, ErrorCase::Correct);
        EXPECT_EQ(result.at(ParamType::Weight), "-12.5");
        EXPECT_EQ(result.at(ParamType::WeightState), "0***0*0***");
    }
}

TEST(CASPolled, ZeroAndTareAreSentWithoutReading) {
    testsupport::FakeScale scale;
    scale.port->SetResponder([](const ByteVector&) { return Chunks{{0x06, 0x06}}; });
    ErrorCase err;
    EXPECT_TRUE(Execute(scale, Command::CASSetZero, err).empty());
    EXPECT_TRUE(Execute(scale, Command::CASSetTare, err).empty());
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(scale.port->writtenTexts(), (std::vector<std::string>{"<ZK>\t", "<TK>\t"}));
}

TEST(CASActive, ListensAndDecodesTheStreamedFrame) {
    testsupport::FakeScale scale;
    scale.port->Stream(Chunks{{0x20, 0x41}, Join(Frame('U', '-', "   0.5", "kg"), {0x0D, 0x0A, 0x20})});
    ErrorCase err;
    const auto result = Execute(scale, Command::CASActiveStatusOfWeightChannel, err);
    ASSERT_EQ(err, ErrorCase::Correct);
    EXPECT_TRUE(scale.port->writes().empty());
    EXPECT_EQ(result.at(ParamType::Weight), "-0.5");
    EXPECT_EQ(result.at(ParamType::WeightState), "0***0*0***");
}

TEST(CASActive, AReadStartingInATailWithBccOneTakesTheNextFrame) {
    testsupport::FakeScale scale;
    // The tail of the previous frame: its BCC happens to be 0x01, the SOH value.
    scale.port->Stream(Chunks{Join({'k', 'g', 0x01, 0x03, 0x04}, Frame('S', ' ', "   2.5", "kg"))});
    ErrorCase err;
    const auto result = Execute(scale, Command::CASActiveStatusOfWeightChannel, err);
    ASSERT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(result.at(ParamType::Weight), "2.5");
}

TEST(CASActive, SilenceTimesOutAndATruncatedFrameIsNotReadPastItsEnd) {
    testsupport::FakeScale scale;
    ErrorCase err;
    EXPECT_TRUE(Execute(scale, Command::CASActiveStatusOfWeightChannel, err).empty());
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
    scale.port->Stream(Chunks{Join({0x01, 0x02, 0x03, 0x04}, ByteVector(12, 0x20))});
    EXPECT_TRUE(Execute(scale, Command::CASActiveStatusOfWeightChannel, err).empty());
    EXPECT_EQ(err, ErrorCase::DeviceResponseIncorrectFormat);
}

}  // namespace
