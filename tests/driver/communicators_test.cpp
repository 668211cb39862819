#include <gtest/gtest.h>

#include <stdexcept>

#include "commands/command-executor.h"
#include "commands/default-communicator.h"
#include "commands/dialog-communicator.h"
#include "commands/one-way-request-communication.h"
#include "commands/one-way-response-communicator.h"
#include "protocols/cas/cas-frame.h"
#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeScale;

namespace {
const ByteVector kEnq{5};
const ByteVector kDataRequest{0x11};
}  // namespace

TEST(DefaultCommunicator, ReportsTimeOutButKeepsThePartialReply) {
    FakeScale scale;
    scale.port->Answer("max=15");
    auto err = ErrorCase::Correct;
    EXPECT_EQ(DefaultCommunicator().Communicate(scale.device, ToBytes("Gmax\r\n"), err, DefaultResponseValidator),
              ToBytes("max=15"));
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
}

TEST(DefaultCommunicator, ReadErrorStandsWhenTheReplyIsComplete) {
    FakeScale scale;
    scale.port->Answer("OK\r\n");
    scale.port->FailReads(ErrorCase::BoostErrorUnknown);
    auto err = ErrorCase::Correct;
    EXPECT_EQ(DefaultCommunicator().Communicate(scale.device, kEnq, err, DefaultResponseValidator), ToBytes("OK\r\n"));
    EXPECT_EQ(err, ErrorCase::BoostErrorUnknown);
}

TEST(DefaultCommunicator, FailedWriteReadsNothing) {
    FakeScale scale;
    scale.port->FailNextWrite(ErrorCase::BoostErrorUnknown);
    scale.port->Stream({ToBytes("OK\r\n")});
    auto err = ErrorCase::Correct;
    EXPECT_TRUE(DefaultCommunicator().Communicate(scale.device, kEnq, err, AcceptAnyResponseValidator).empty());
    EXPECT_EQ(err, ErrorCase::BoostErrorUnknown);
}

TEST(Communicators, ClosedPortSetsConnectionErrorAndThrows) {
    std::unique_ptr<ICommunicator> all[] = {std::make_unique<DefaultCommunicator>(),
                                            std::make_unique<OneWayRequestCommunication>(),
                                            std::make_unique<OneWayResponseCommunicator>()};
    for (auto& communicator : all) {
        FakeScale scale;
        scale.port->Close();
        auto err = ErrorCase::Correct;
        EXPECT_THROW(communicator->Communicate(scale.device, kEnq, err, AcceptAnyResponseValidator), std::logic_error);
        EXPECT_EQ(err, ErrorCase::ConnectionError);
        EXPECT_TRUE(scale.port->writes().empty());
    }
}

namespace {

ByteVector RunDialog(FakeScale& scale, ErrorCase& err) {
    DialogCommunicator dialog({{"\x05", "\x06"}}, std::make_unique<DefaultCommunicator>());
    err = ErrorCase::Correct;
    return dialog.Communicate(scale.device, kDataRequest, err, DefaultResponseValidator);
}

}  // namespace

TEST(DialogCommunicator, SilenceOrNakToTheStepWakesTheScaleOnceMore) {
    for (const char* answer : {"", "\x15"}) {
        FakeScale scale;
        scale.port->Answer(answer);
        scale.port->Silence();
        scale.port->Answer("frame\r\n");
        auto err = ErrorCase::Correct;
        EXPECT_EQ(RunDialog(scale, err), ToBytes("frame\r\n"));
        EXPECT_EQ(err, ErrorCase::Correct);
        EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{kEnq, kEnq, kDataRequest}));
    }
}

TEST(DialogCommunicator, AnAckLeadsStraightToTheRequestAnythingElseStops) {
    FakeScale scale;
    scale.port->Answer("\x06");
    scale.port->Answer("frame\r\n");
    auto err = ErrorCase::Correct;
    EXPECT_EQ(RunDialog(scale, err), ToBytes("frame\r\n"));
    EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{kEnq, kDataRequest}));

    FakeScale other;
    other.port->Answer("?");
    EXPECT_TRUE(RunDialog(other, err).empty());
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
    EXPECT_EQ(other.port->writes(), std::vector<ByteVector>{kEnq});
}

TEST(OneWayRequestCommunication, WritesAndIgnoresAnyAnswer) {
    FakeScale scale;
    scale.port->Answer("OK\r\n");
    auto err = ErrorCase::Correct;
    EXPECT_TRUE(OneWayRequestCommunication()
                    .Communicate(scale.device, ToBytes("<ZK>\t"), err, DefaultResponseValidator)
                    .empty());
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_EQ(scale.port->writtenTexts(), std::vector<std::string>{"<ZK>\t"});
}

TEST(OneWayResponseCommunicator, ListensFromIdleAndCutsOneFrame) {
    // SOH STX, ten field bytes, BCC, ETX EOT.
    const ByteVector frame{0x01, 0x02, 'S', ' ', ' ', ' ', ' ', '1', '.', '0', 'k', 'g', 0x2e, 0x03, 0x04};
    FakeScale scale;
    scale.port->Stream({{0x30, 0x04, 0x01},
                        ByteVector(frame.begin(), frame.begin() + 5),
                        ByteVector(frame.begin() + 5, frame.end()),
                        {0x01, 0x04, 0x31}});
    auto err = ErrorCase::Correct;
    EXPECT_EQ(OneWayResponseCommunicator().Communicate(scale.device, {}, err,
                                                       CASActiveStatusOfWeightChannelResponseValidator),
              frame);
    EXPECT_EQ(err, ErrorCase::Correct);
    EXPECT_TRUE(scale.port->writes().empty());
    EXPECT_EQ(scale.port->states, std::vector<TransferState>{TransferState::Idle});

    scale.port->Stream({ByteVector(frame.begin(), frame.end() - 1)});
    EXPECT_TRUE(OneWayResponseCommunicator()
                    .Communicate(scale.device, {}, err, CASActiveStatusOfWeightChannelResponseValidator)
                    .empty());
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
}
