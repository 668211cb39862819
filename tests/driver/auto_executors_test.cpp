#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake-connection.h"

using namespace driver;
using testsupport::FakeConnection;
using testsupport::FakeScale;

namespace {

const ByteVector kEnq{0x05};
const ByteVector kAck{0x06};
const ByteVector kCasDataRequest{0x11};
const ByteVector kPosStatusRequest{0x02, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C};
const ByteVector kOkaWeightRequest{0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09};

ByteVector PosStatusAnswer(std::uint8_t stateByte) {
    ByteVector payload{0x30, 0x30, stateByte, 0x00, 0x10, 0x27, 0x00, 0x00, 0x00, 0x00};
    std::uint8_t check = static_cast<std::uint8_t>(payload.size());
    for (std::uint8_t byte : payload) check ^= byte;
    ByteVector answer{0x06, 0x02, static_cast<std::uint8_t>(payload.size())};
    answer.insert(answer.end(), payload.begin(), payload.end());
    answer.push_back(check);
    return answer;
}

ByteVector CasFrame() {
    const std::string fields = "S   12.5kg";
    std::uint8_t bcc = 0;
    for (char c : fields) bcc ^= static_cast<std::uint8_t>(c);
    return ToBytes("\x01\x02" + fields + static_cast<char>(bcc) + "\x03\x04");
}

using Responder = std::function<FakeConnection::Chunks(const ByteVector&)>;

// A POS scale: acknowledges every enquiry and reports the states in turn, the last one from then on.
Responder PosScale(std::vector<std::uint8_t> states, std::size_t* readings = nullptr) {
    auto count = std::make_shared<std::size_t>(0);
    return [=](const ByteVector& request) -> FakeConnection::Chunks {
        if (request == kEnq) return {kAck};
        if (request != kPosStatusRequest) return {};
        if (readings) *readings = *count + 1;
        return {PosStatusAnswer(states[std::min((*count)++, states.size() - 1)])};
    };
}

void BeCasScale(FakeConnection& port, bool answersSerial) {
    port.SetResponder([=](const ByteVector& request) -> FakeConnection::Chunks {
        if (request == kEnq) return {kAck};
        if (request == kCasDataRequest) return {CasFrame()};
        if (answersSerial && request == ToBytes("Gsern\r\n")) return {ToBytes("sern=42\r\n")};
        return {};
    });
}

std::ptrdiff_t IndexOf(const FakeConnection& port, const ByteVector& request) {
    const auto& writes = port.writes();
    return std::find(writes.begin(), writes.end(), request) - writes.begin();
}

}  // namespace

TEST(GetProtocolAuto, TriesCasFirstAndTellsProByTheSerialNumber) {
    for (bool serial : {true, false}) {
        FakeScale scale;
        BeCasScale(*scale.port, serial);
        EXPECT_EQ(scale.Run(Command::GetProtocolAuto), ErrorCase::Correct);
        EXPECT_EQ(scale.Output(ParamType::ProtocolVersion), serial ? "CAS-K ProV1" : "CAS-K");
        EXPECT_EQ(scale.Output(ParamType::Weight), "12.5");
        EXPECT_EQ(IndexOf(*scale.port, kPosStatusRequest), std::ssize(scale.port->writes()));
    }
}

TEST(GetProtocolAuto, FallsBackToPos) {
    FakeScale scale;
    scale.port->SetResponder(PosScale({0x01}));
    EXPECT_EQ(scale.Run(Command::GetProtocolAuto), ErrorCase::Correct);
    EXPECT_EQ(scale.Output(ParamType::ProtocolVersion), "POS2K");
    EXPECT_LT(IndexOf(*scale.port, kCasDataRequest), IndexOf(*scale.port, kPosStatusRequest));
    EXPECT_EQ(scale.port->writtenTexts().back(), "Gsern\r\n");
}

TEST(GetProtocolAuto, SilentScaleOrEarlierErrorReportsNothing) {
    FakeScale silent;
    EXPECT_NE(silent.Run(Command::GetProtocolAuto), ErrorCase::Correct);
    EXPECT_EQ(silent.Output(ParamType::ProtocolVersion), std::nullopt);

    FakeScale scale;
    auto err = ErrorCase::Correct;
    auto executor = CreateCommandExecutor(Command::GetProtocolAuto, err);
    err = ErrorCase::BoostTimeOut;
    EXPECT_TRUE(executor->ExecuteCommand(scale.device, err).empty());
    EXPECT_EQ(err, ErrorCase::BoostTimeOut);
    EXPECT_TRUE(scale.port->writes().empty());
}

TEST(StatusOfWeightChannelAuto, StopsAtTheFirstProtocolThatAnswers) {
    FakeScale scale;
    scale.port->SetResponder(PosScale({0x01}));
    EXPECT_EQ(scale.Run(Command::StatusOfWeightChannelAuto), ErrorCase::Correct);
    EXPECT_EQ(scale.port->writes(), (std::vector<ByteVector>{kEnq, kPosStatusRequest}));
    EXPECT_EQ(scale.Output(ParamType::Weight), "10000");
}

TEST(StatusOfWeightChannelAuto, TriesPosThenCasThenOka) {
    FakeScale scale;
    EXPECT_NE(scale.Run(Command::StatusOfWeightChannelAuto), ErrorCase::Correct);
    const auto cas = IndexOf(*scale.port, kCasDataRequest);
    EXPECT_EQ(scale.port->writes().front(), kEnq);
    EXPECT_LT(cas, IndexOf(*scale.port, kOkaWeightRequest));
    EXPECT_LT(IndexOf(*scale.port, kOkaWeightRequest), std::ssize(scale.port->writes()));
}

TEST(WeightCalibrationWithValue, WaitsForAStableWeight) {
    FakeScale scale;
    std::size_t readings = 0;
    const auto pos = PosScale({0x00, 0x00, 0x01}, &readings);
    scale.port->SetResponder([pos](const ByteVector& request) {
        return request == ToBytes("Swcal500\r\n") ? FakeConnection::Chunks{ToBytes("OK\r\n")} : pos(request);
    });
    scale.Input(ParamType::WeightScaleCalibrationParameters, "500");
    EXPECT_EQ(scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::Correct);
    EXPECT_EQ(readings, 3u);
    EXPECT_EQ(scale.port->writtenTexts().back(), "Swcal500\r\n");
}

TEST(WeightCalibrationWithValue, TakesAQuietOkaFlagAsStable) {
    FakeScale scale;
    scale.port->SetResponder([](const ByteVector& request) -> FakeConnection::Chunks {
        if (request == kOkaWeightRequest) return {ByteVector(24, 0x00)};  // flag byte 11 is 0x00
        if (request == ByteVector{0x06}) return {ByteVector(18, 0x00)};
        if (request == ToBytes("Swcal500\r\n")) return {ToBytes("OK\r\n")};
        return {};
    });
    scale.Input(ParamType::WeightScaleCalibrationParameters, "500");
    EXPECT_EQ(scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::Correct);
    EXPECT_EQ(scale.Output(ParamType::WeightState), "0x00");
    EXPECT_EQ(scale.port->writtenTexts().back(), "Swcal500\r\n");
}

TEST(WeightCalibrationWithValue, GivesUpAfterTenUnstableReadings) {
    FakeScale scale;
    std::size_t readings = 0;
    scale.port->SetResponder(PosScale({0x00}, &readings));
    scale.Input(ParamType::WeightScaleCalibrationParameters, "500");
    EXPECT_EQ(scale.Run(Command::SetWeightScaleCalibrationParameters), ErrorCase::DeviceIsNotStabilized);
    EXPECT_EQ(readings, 10u);
    EXPECT_EQ(IndexOf(*scale.port, ToBytes("Swcal500\r\n")), std::ssize(scale.port->writes()));
}
