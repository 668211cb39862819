#include <gtest/gtest.h>

#include <stdexcept>

#include "commands/byte-man-executor.h"
#include "commands/command-executor.h"
#include "commands/default-communicator.h"
#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeScale;

TEST(CommandExecutorFactory, UnsupportedCommandsGetAnExecutorThatThrows) {
    FakeScale scale;
    for (int number : {0, 51, 52, 53, 54, 66, -1}) {
        SCOPED_TRACE(number);
        auto err = ErrorCase::Correct;
        auto executor = CreateCommandExecutor(static_cast<Command>(number), err);
        EXPECT_EQ(err, ErrorCase::CommandUnsupported);
        ASSERT_NE(executor, nullptr);
        EXPECT_THROW(executor->ExecuteCommand(scale.device, err), std::logic_error);
    }
}

TEST(CommandExecutorFactory, EveryOtherCommandGetsAnExecutorAndLeavesErrAlone) {
    for (int number = 1; number <= 65; ++number) {
        if (number >= 51 && number <= 54) continue;
        SCOPED_TRACE(number);
        auto err = ErrorCase::BoostTimeOut;
        EXPECT_NE(CreateCommandExecutor(static_cast<Command>(number), err), nullptr);
        EXPECT_EQ(err, ErrorCase::BoostTimeOut);
    }
}

namespace {

// A byte-template executor over a plain exchange that accepts replies of at least `complete` bytes.
ResultMap RunByteMan(FakeScale& scale, std::list<ByteField> in, std::list<ByteField> out, ErrorCase& err,
                     std::size_t complete = 1) {
    ByteManExecutor executor(Command::POSSpecifyTare, std::make_unique<DefaultCommunicator>(), ByteVector(5, 0xEE),
                             std::move(in), std::move(out),
                             {[complete](const ByteVector& reply) { return reply.size() >= complete; }});
    err = ErrorCase::Correct;
    return executor.ExecuteCommand(scale.device, err);
}

}  // namespace

TEST(ByteManExecutor, WritesTheLowBytesOfTheValueOverThePlaceholders) {
    struct Case {
        const char* value;
        std::int32_t length;
        ByteVector sent;
    };
    for (const Case& c :
         {Case{"500", 2, {0xEE, 0xF4, 0x01, 0xEE, 0xEE}}, Case{"65535", 2, {0xEE, 0xFF, 0xFF, 0xEE, 0xEE}},
          Case{" 2kg", 1, {0xEE, 0x02, 0xEE, 0xEE, 0xEE}}}) {
        SCOPED_TRACE(c.value);
        FakeScale scale;
        scale.Input(ParamType::Tare, c.value);
        scale.port->Answer("x");
        auto err = ErrorCase::Correct;
        RunByteMan(scale, {{1, c.length, ParamType::Tare}}, {}, err);
        EXPECT_EQ(err, ErrorCase::Correct);
        EXPECT_EQ(scale.port->writes(), std::vector<ByteVector>{c.sent});
    }
}

TEST(ByteManExecutor, RefusesValuesThatAreNoNumberOrDoNotFitAndMissingValuesBeforeSending) {
    for (const char* value : {"abc", "99999999999999999999", "-1", "65536", ""}) {
        SCOPED_TRACE(value);
        FakeScale scale;
        if (*value) scale.Input(ParamType::Tare, value);
        auto err = ErrorCase::Correct;
        EXPECT_TRUE(RunByteMan(scale, {{1, 2, ParamType::Tare}}, {}, err).empty());
        EXPECT_EQ(err, *value ? ErrorCase::ParamValueUnsupported : ErrorCase::ParamTypeIsNotSetToGet);
        EXPECT_TRUE(scale.port->writes().empty());
    }
}

TEST(ByteManExecutor, ReadsFieldsAtFixedOffsetsAndNeverPastTheReply) {
    FakeScale scale;
    scale.port->Answer("abcdef");
    auto err = ErrorCase::Correct;
    const ResultMap later = RunByteMan(scale, {}, {{0, 2, ParamType::Weight}, {3, 3, ParamType::Weight}}, err);
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(later, (ResultMap{{ParamType::Weight, "def"}}));

    scale.port->Answer("abcdef");
    EXPECT_TRUE(RunByteMan(scale, {}, {{0, 2, ParamType::Tare}, {4, 3, ParamType::Weight}}, err).empty());
    EXPECT_EQ(err, ErrorCase::DeviceUnexpectedResponse);
}

TEST(ByteManExecutor, IncompleteReplyGivesTimeOutAndNoValues) {
    FakeScale scale;
    scale.port->Answer("abc");
    auto err = ErrorCase::Correct;
    EXPECT_TRUE(RunByteMan(scale, {}, {{0, 2, ParamType::Weight}}, err, 10).empty());
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
}
