#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "commands/retail-executors.h"
#include "log/logging.h"
#include "protocols/oka/oka-digits.h"
#include "support/fake-connection.h"

namespace {

using driver::ByteVector;
using driver::Command;
using driver::ErrorCase;
using driver::ParamType;
using Chunks = testsupport::FakeConnection::Chunks;

const ByteVector kNoSum(7, 0x00);

// Answer to 02: six weight digits least significant first, five zero bytes, the flag, padding to 24.
ByteVector WeightAnswer(const ByteVector& digits, std::uint8_t flag) {
    ByteVector answer = digits;
    answer.resize(11, 0x00);
    answer.push_back(flag);
    answer.resize(24, 0x0F);
    return answer;
}

// Answer to 06: seven digits of weight plus tare least significant first, padding to 18.
ByteVector SumAnswer(ByteVector digits) {
    digits.resize(18, 0x0F);
    return digits;
}

driver::ResultMap Execute(testsupport::FakeScale& scale, Command command, ErrorCase& err) {
    err = ErrorCase::Correct;
    return driver::CreateRetailCommandExecutor(command)->ExecuteCommand(scale.device, err);
}

driver::ResultMap ReadStatus(testsupport::FakeScale& scale, const ByteVector& weight, const ByteVector& sum,
                             ErrorCase& err) {
    scale.port->Answer(Chunks{weight});
    scale.port->Answer(Chunks{sum});
    return Execute(scale, Command::OKAStatusOfWeightChannel, err);
}

TEST(OKADigits, WeightPlusTare) {
    const ByteVector w{0, 0, 1, 2, 3, 4};
    const std::tuple<ByteVector, ByteVector, ByteVector, ErrorCase> cases[] = {
        {w, {0, 0, 1, 2, 5, 0, 0}, {0, 0, 0, 0, 1, 6}, ErrorCase::Correct},  // (12500 + 5) / 10 - 1234
        {w, kNoSum, ByteVector(6, 0), ErrorCase::Correct},
        {w, {0, 0, 1, 2, 3, 4, 9}, ByteVector(6, 0), ErrorCase::Correct},  // same integer part
        {w, {0, 0, 0, 1, 0, 0, 0}, ByteVector(6, 0), ErrorCase::Correct},  // sum below weight
        {w, {0, 0, 0, 1, 2, 4, 0}, ByteVector(6, 0), ErrorCase::Correct},  // rounds to less than the weight
        {ByteVector(6, 0), {9, 9, 9, 9, 9, 8, 5}, ByteVector(6, 9), ErrorCase::Correct},
        {ByteVector(6, 0), {9, 9, 9, 9, 9, 9, 5}, {}, ErrorCase::DeviceResponseIncorrectFormat},  // seven digits
        {{0, 0, 0, 0x0B, 0, 1}, {0, 0, 0, 0, 0, 2, 0}, {}, ErrorCase::DeviceResponseIncorrectFormat},
    };
    for (const auto& [weight, sum, tare, expected] : cases) {
        ErrorCase err = ErrorCase::Correct;
        EXPECT_EQ(driver::WeightPlusTare(weight, sum, err), tare);
        EXPECT_EQ(err, expected);
    }
    EXPECT_EQ(driver::DigitsToNumberText({0, 0, 1, 2, 3, 4}), "1234");
    EXPECT_EQ(driver::DigitsToNumberText({0, 0x0A, 1}), "");
}

TEST(OKAStatus, ReadsWeightFlagAndTare) {
    testsupport::FakeScale scale;
    ErrorCase err;
    EXPECT_EQ(ReadStatus(scale, WeightAnswer({4, 3, 2, 1, 0, 0}, 0x00), SumAnswer({0, 0, 5, 2, 1, 0, 0}), err),
              (driver::ResultMap{{ParamType::UnitOfMeasure, "kg"},
                                 {ParamType::WeightState, "0x00"},
                                 {ParamType::Weight, "1234"},
                                 {ParamType::Tare, "16"}}));
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{{0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09}, {0x06}}));
}

TEST(OKAStatus, HiddenWeightFlagsAndZeroSum) {
    for (std::uint8_t flag : {0x40, 0xC0}) {
        testsupport::FakeScale scale;
        ErrorCase err;
        const auto result = ReadStatus(scale, WeightAnswer({4, 3, 2, 1, 0, 0}, flag), SumAnswer(kNoSum), err);
        EXPECT_EQ(result.at(ParamType::Weight), "0");
        EXPECT_EQ(result.at(ParamType::WeightState), flag == 0x40 ? "0x40" : "0xc0");
        EXPECT_EQ(result.at(ParamType::Tare), "0");
    }
}

TEST(OKAStatus, IncompleteOrNonDigitAnswersReturnNothing) {
    ByteVector notZero = WeightAnswer({1}, 0x00);
    notZero[8] = 0x01;
    const ByteVector shortSum(17, 0x00);
    const std::tuple<ByteVector, ByteVector, ErrorCase> cases[] = {
        {notZero, SumAnswer(kNoSum), ErrorCase::BoostTimeOut},
        {WeightAnswer({1}, 0x00), shortSum, ErrorCase::BoostTimeOut},
        {WeightAnswer({4, 0x3A, 2, 1, 0, 0}, 0x00), SumAnswer(kNoSum), ErrorCase::DeviceResponseIncorrectFormat},
    };
    for (const auto& [weight, sum, expected] : cases) {
        testsupport::FakeScale scale;
        ErrorCase err;
        EXPECT_TRUE(ReadStatus(scale, weight, sum, err).empty());
        EXPECT_EQ(err, expected);
    }
}

TEST(OKAStatus, TraceLinesCarryNoUnitPrefixExceptTheCommunicators) {
    if (!driver::logging::Enabled(driver::LogLevel::Trace)) GTEST_SKIP() << "trace is off";
    testsupport::FakeScale scale;
    ErrorCase err;
    ReadStatus(scale, WeightAnswer({4, 3, 2, 1, 0, 0}, 0x00), SumAnswer({0, 0, 5, 2, 1, 0, 0}), err);
    std::ostringstream log;
    log << std::ifstream(driver::logging::LogFolder() + "/driver.log").rdbuf();
    for (const char* line : {"[trace] Norvell::Balvex::Driver::oka-communicator, OKACommunicator::Communicate(boost)",
                             "[trace] Getting tare: \nByte vector: 0x00, 0x00, 0x00, 0x00, 0x01, 0x06, \n",
                             "[trace] Weight: 1234\nFlag: 0x00\nTare: 16\n"})
        EXPECT_NE(log.str().find(line), std::string::npos) << line;
}

TEST(OKACommands, SpecifyTareSendsSixDigitsLeastSignificantFirst) {
    for (const auto& [text, request] :
         {std::pair<const char*, ByteVector>{"500", {0x07, 0, 0, 5, 0, 0, 0}}, {"123456", {0x07, 6, 5, 4, 3, 2, 1}}}) {
        testsupport::FakeScale scale;
        scale.Input(ParamType::Tare, text);
        ErrorCase err;
        EXPECT_EQ(Execute(scale, Command::OKASpecifyTare, err), (driver::ResultMap{{ParamType::UnitOfMeasure, "kg"},
                                                                                   {ParamType::WeightState, ""},
                                                                                   {ParamType::Weight, ""},
                                                                                   {ParamType::Tare, ""}}));
        EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{request})) << text;
    }
}

TEST(OKACommands, SpecifyTareRefusesTextOtherThanSixDigitsAtMost) {
    for (const char* text : {"12a", "-5", " 5", "1234567", ""}) {
        testsupport::FakeScale scale;
        scale.Input(ParamType::Tare, text);
        ErrorCase err;
        EXPECT_TRUE(Execute(scale, Command::OKASpecifyTare, err).empty());
        EXPECT_EQ(err, *text ? ErrorCase::ParamValueUnsupported : ErrorCase::ParamTypeIsNotSetToGet) << text;
        EXPECT_TRUE(scale.port->writes().empty());
    }
}

TEST(OKACommands, SetZeroSendsItsFixedRequestOnly) {
    testsupport::FakeScale scale;
    ErrorCase err;
    EXPECT_TRUE(Execute(scale, Command::OKASetZero, err).empty());
    ByteVector request(15, 0x00);
    request.push_back(0x01);
    EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{request}));
}

}  // namespace
