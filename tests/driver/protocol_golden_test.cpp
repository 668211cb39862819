// Every protocol command as a caller runs it through Device over a scripted line: the exact request bytes,
// the scripted reply and the exact output texts or error code. One table of answers, one of failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/fake-connection.h"

namespace {

using driver::ByteVector;
using driver::Command;
using driver::ErrorCase;
using driver::ParamType;
using Chunks = testsupport::FakeConnection::Chunks;
using Outputs = std::map<ParamType, std::string>;
using Writes = std::vector<ByteVector>;
using P = ParamType;
using E = ErrorCase;

ByteVector Join(ByteVector a, const ByteVector& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
ByteVector B(std::string_view text) {
    return driver::ToBytes(text);
}
// The bytes from..to of frame, to hand a reply out in pieces.
ByteVector Part(const ByteVector& frame, std::size_t from, std::size_t to = std::string::npos) {
    return ByteVector(frame.begin() + from, frame.begin() + std::min(to, frame.size()));
}
ByteVector Flipped(ByteVector bytes, std::size_t at) {
    bytes[at] ^= 0x01;
    return bytes;
}

const ByteVector kEnq{0x05};
const ByteVector kAck{0x06};
const ByteVector kNak{0x15};

// ---- POS: ACK STX LEN payload CHK, the checksum over LEN and the payload.
ByteVector PosFrame(const ByteVector& payload) {
    ByteVector frame = Join({0x06, 0x02, static_cast<std::uint8_t>(payload.size())}, payload);
    std::uint8_t checksum = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) checksum ^= frame[i];
    frame.push_back(checksum);
    return frame;
}
// Two unread bytes, then state, weight and tare.
ByteVector PosStatus(const ByteVector& state, const ByteVector& weight, const ByteVector& tare) {
    return PosFrame(Join(Join(Join({0x3A, 0x30}, state), weight), tare));
}
// The tare request: the value little-endian, then the XOR from the command character on.
ByteVector PosTareRequest(std::uint8_t low, std::uint8_t high) {
    const std::uint8_t checksum = 0x32 ^ 0x30 ^ 0x30 ^ 0x33 ^ 0x30 ^ low ^ high;
    return {0x05, 0x02, 0x07, 0x32, 0x30, 0x30, 0x33, 0x30, low, high, checksum};
}
const ByteVector kPosStatusRequest{0x02, 0x05, 0x3A, 0x30, 0x30, 0x33, 0x30, 0x3C};
const ByteVector kPosZeroRequest{0x02, 0x05, 0x30, 0x30, 0x30, 0x33, 0x30, 0x36};
const ByteVector kPosZeroAnswer{0x06, 0x02, 0x02, 0x30, 0x00, 0x32};
const ByteVector kPosTareAnswer{0x06, 0x02, 0x02, 0x32, 0x00, 0x30};
const ByteVector kPosStatus = PosStatus({0x01, 0x80}, {0x10, 0x27, 0x00, 0x00}, {0xFF, 0xFF});
// A tare of 256 or more puts a non-zero byte last in the payload.
const ByteVector kPosTareStatus = PosStatus({0x01, 0x80}, {0x10, 0x27, 0x00, 0x00}, {0x00, 0x05});
const Writes kPosPolled{kEnq, kPosStatusRequest};
Outputs Pos(const char* weight, const char* state, const char* tare) {
    return {{P::UnitOfMeasure, "gr"}, {P::WeightState, state}, {P::Weight, weight}, {P::Tare, tare}};
}

// ---- CAS: SOH STX state sign weight(6) unit(2) BCC ETX EOT.
ByteVector CasFrame(char state, char sign, std::string_view weight, std::string_view unit) {
    ByteVector frame = Join(Join({0x01, 0x02, std::uint8_t(state), std::uint8_t(sign)}, B(weight)), B(unit));
    std::uint8_t bcc = 0;
    for (std::size_t i = 2; i < frame.size(); ++i) bcc ^= frame[i];
    return Join(frame, {bcc, 0x03, 0x04});
}
const ByteVector kCasDataRequest{0x11};
const ByteVector kCasFrame = CasFrame('S', ' ', "  12.5", "kg");
const ByteVector kCasUnstable = CasFrame('U', '-', "  12.5", "kg");
const Writes kCasPolled{kEnq, kCasDataRequest};
Outputs Cas(const char* weight, const char* state, const char* unit = "kg") {
    return {{P::UnitOfMeasure, unit}, {P::WeightState, state}, {P::Weight, weight}};
}

// ---- OKA: the answer to 02 holds six weight digits least significant first, five zero bytes, the flag,
// padding to 24; the answer to 06 seven digits of weight plus tare least significant first, padding to 18.
ByteVector OkaWeight(ByteVector digits, std::uint8_t flag = 0x00) {
    digits.resize(11, 0x00);
    digits.push_back(flag);
    digits.resize(24, 0x0F);
    return digits;
}
ByteVector OkaSum(ByteVector digits) {
    digits.resize(18, 0x0F);
    return digits;
}
const ByteVector kOkaWeightRequest{0x02, 0x09, 0x09, 0x09, 0x09, 0x09, 0x09};
const ByteVector kOkaNoSum = OkaSum(ByteVector(7, 0x00));
const ByteVector kOka1234 = OkaWeight({4, 3, 2, 1, 0, 0});
const Writes kOkaPolled{kOkaWeightRequest, {0x06}};
Outputs Oka(const char* weight, const char* flag, const char* tare) {
    return {{P::UnitOfMeasure, "kg"}, {P::WeightState, flag}, {P::Weight, weight}, {P::Tare, tare}};
}

// One command on a fresh scale: inputs set, replies queued one per write (or streamed unasked).
struct Row {
    const char* name;
    const char* protocol;
    Command command;
    std::vector<std::pair<ParamType, std::string>> inputs;
    std::vector<Chunks> replies;
    Writes writes;
    ErrorCase err;
    Outputs outputs;
    Chunks stream = {};
};

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

class Golden : public ::testing::TestWithParam<Row> {};

TEST_P(Golden, RequestsRepliesAndOutputs) {
    const Row& row = GetParam();
    testsupport::FakeScale scale(row.protocol);
    for (const auto& [type, value] : row.inputs) scale.Input(type, value);
    for (const Chunks& reply : row.replies) scale.port->Answer(reply);
    scale.port->Stream(row.stream);
    EXPECT_EQ(scale.Run(row.command), row.err);
    EXPECT_EQ(scale.port->writes(), row.writes);
    EXPECT_EQ(scale.Outputs(), row.outputs);
}

std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    return info.param.name;
}

// A command refused before anything is sent.
Row Refused(const char* name, const char* protocol, Command command, const char* tare, ErrorCase err) {
    Row row{name, protocol, command, {}, {}, {}, err, {}};
    if (*tare) row.inputs.emplace_back(P::Tare, tare);
    return row;
}

const Outputs kNone;
// An empty output reads as unset: the tare command leaves only the unit.
const Outputs kKgOnly{{P::UnitOfMeasure, "kg"}};
constexpr auto kStatus = Command::StatusOfWeightChannel;
constexpr auto kTare = Command::SpecifyTare;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Pos, Golden, ::testing::Values(
    Row{"StatusInPieces", "POS2K", kStatus, {}, {{kAck}, {Part(kPosStatus, 0, 5), Part(kPosStatus, 5)}}, kPosPolled,
        E::Correct, Pos("10000", "1000000010", "65535")},
    // NAK to the enquiry is accepted; the second state byte gives bits 8 and 9 from its top bits.
    Row{"StateHighBitsAndNegativeWeight", "POS2KProV1", kStatus, {},
        {{kNak}, {PosStatus({0x80, 0x40}, {0xFF, 0xFF, 0xFF, 0xFF}, {0x00, 0x05})}}, kPosPolled, E::Correct,
        Pos("-1", "0000000101", "1280")},
    Row{"StrayBytesDoNotShiftTheFields", "POS2K", kStatus, {},
        {{kAck}, {{0x00, 0x15}, PosStatus({0, 0}, {0x01, 0x02, 0x00, 0x00}, {0, 0})}}, kPosPolled, E::Correct,
        Pos("513", "0000000000", "0")},
    Row{"Zero", "POS2K", Command::SetZero, {}, {{kAck}, {Join(kNak, kPosZeroAnswer)}}, {kEnq, kPosZeroRequest},
        E::Correct, kNone},
    Row{"SpecifyTare", "POS2KProV1", kTare, {{P::Tare, "500"}}, {{kAck}, {kPosTareAnswer}},
        {kEnq, PosTareRequest(0xF4, 0x01)}, E::Correct, kNone},
    // Under auto the first protocol that answers gives the reading.
    Row{"AutoStopsAtPos", "auto", Command::StatusOfWeightChannelAuto, {}, {{kAck}, {kPosStatus}}, kPosPolled,
        E::Correct, Pos("10000", "1000000010", "65535")},
    Row{"SpecifyTareTakesTheNumberInTheText", "POS2KProV1", kTare, {{P::Tare, " 65535kg"}}, {{kAck}, {kPosTareAnswer}},
        {kEnq, PosTareRequest(0xFF, 0xFF)}, E::Correct, kNone}),
    RowName);

INSTANTIATE_TEST_SUITE_P(Cas, Golden, ::testing::Values(
    Row{"StatusInPieces", "CAS-K", kStatus, {}, {{kAck}, {Part(kCasFrame, 0, 7), Part(kCasFrame, 7)}}, kCasPolled,
        E::Correct, Cas("12.5", "1***1*0***")},
    Row{"OverloadInPounds", "CAS-K ProV1", kStatus, {}, {{kAck}, {CasFrame('F', '-', "  12.5", "lb")}}, kCasPolled,
        E::Correct, Cas("-12.5", "0***0*1***", "lb")},
    Row{"FInTheWeightIsOverloadInGrams", "CAS-K", kStatus, {}, {{kAck}, {CasFrame('U', ' ', "  OfL ", " g")}},
        kCasPolled, E::Correct, Cas("OfL ", "0***0*1***", "g")},
    // Silence or a NAK to the enquiry wakes the scale once more.
    Row{"SilentEnquiryIsRepeated", "CAS-K", kStatus, {}, {{}, {}, {kCasFrame}}, {kEnq, kEnq, kCasDataRequest},
        E::Correct, Cas("12.5", "1***1*0***")},
    Row{"RefusedEnquiryIsRepeated", "CAS-K", kStatus, {}, {{kNak}, {}, {kCasFrame}}, {kEnq, kEnq, kCasDataRequest},
        E::Correct, Cas("12.5", "1***1*0***")},
    // Digits are the worst case: shifted by them, the weight would still look like a weight.
    Row{"DigitsAheadOfTheFrame", "CAS-K", kStatus, {}, {{kAck}, {Join(B("123"), kCasUnstable)}}, kCasPolled,
        E::Correct, Cas("-12.5", "0***0*0***")},
    Row{"AckAndFieldsAheadOfTheFrame", "CAS-K", kStatus, {}, {{kAck}, {Join({0x06, 'S', ' ', '9'}, kCasUnstable)}},
        kCasPolled, E::Correct, Cas("-12.5", "0***0*0***")},
    Row{"ZeroIsSentWithoutReading", "CAS-K", Command::SetZero, {}, {{{0x06, 0x06}}}, {B("<ZK>\t")}, E::Correct, kNone},
    Row{"TareIsSentWithoutReading", "CAS-K", Command::SetTare, {}, {{{0x06, 0x06}}}, {B("<TK>\t")}, E::Correct, kNone},
    Row{"ActiveListensAndCutsOneFrame", "CAS-K-Active", kStatus, {}, {}, {}, E::Correct, Cas("-12.5", "0***0*0***"),
        {{0x20, 0x41}, Part(kCasUnstable, 0, 5), Join(Part(kCasUnstable, 5), {0x0D, 0x0A, 0x20})}},
    // The tail of the previous frame: its BCC happens to be 0x01, the SOH value.
    Row{"ActiveStartingInATailTakesTheNextFrame", "CAS-K-Active", kStatus, {}, {}, {}, E::Correct,
        Cas("2.5", "1***1*0***"), {Join({'k', 'g', 0x01, 0x03, 0x04}, CasFrame('S', ' ', "   2.5", "kg"))}}),
    RowName);

INSTANTIATE_TEST_SUITE_P(Oka, Golden, ::testing::Values(
    // Tare is (12500 + 5) / 10 - 1234.
    Row{"Status", "OKA", kStatus, {}, {{kOka1234}, {OkaSum({0, 0, 5, 2, 1, 0, 0})}}, kOkaPolled, E::Correct,
        Oka("1234", "0x00", "16")},
    Row{"HiddenWeight", "OKA", kStatus, {}, {{OkaWeight({4, 3, 2, 1, 0, 0}, 0x40)}, {kOkaNoSum}}, kOkaPolled,
        E::Correct, Oka("0", "0x40", "0")},
    Row{"HiddenWeightBothFlags", "OKA", kStatus, {}, {{OkaWeight({4, 3, 2, 1, 0, 0}, 0xC0)}, {kOkaNoSum}}, kOkaPolled,
        E::Correct, Oka("0", "0xc0", "0")},
    Row{"SumWithTheSameIntegerPartIsNoTare", "OKA", kStatus, {}, {{kOka1234}, {OkaSum({9, 4, 3, 2, 1, 0, 0})}},
        kOkaPolled, E::Correct, Oka("1234", "0x00", "0")},
    Row{"SumBelowTheWeightIsNoTare", "OKA", kStatus, {}, {{kOka1234}, {OkaSum({0, 0, 0, 1, 0, 0, 0})}}, kOkaPolled,
        E::Correct, Oka("1234", "0x00", "0")},
    Row{"SumRoundingBelowTheWeightIsNoTare", "OKA", kStatus, {}, {{kOka1234}, {OkaSum({0, 4, 2, 1, 0, 0, 0})}},
        kOkaPolled, E::Correct, Oka("1234", "0x00", "0")},
    Row{"SixDigitTare", "OKA", kStatus, {}, {{OkaWeight(ByteVector(6, 0))}, {OkaSum({5, 8, 9, 9, 9, 9, 9})}},
        kOkaPolled, E::Correct, Oka("0", "0x00", "999999")},
    Row{"SpecifyTare", "OKA", kTare, {{P::Tare, "500"}}, {}, {{0x07, 0, 0, 5, 0, 0, 0}}, E::Correct, kKgOnly},
    Row{"SpecifyTareSixDigits", "OKA", kTare, {{P::Tare, "123456"}}, {}, {{0x07, 6, 5, 4, 3, 2, 1}}, E::Correct, kKgOnly},
    Row{"ZeroIsSentOnly", "OKA", Command::SetZero, {}, {}, {Join(ByteVector(15, 0x00), {0x01})}, E::Correct, kNone}),
    RowName);

INSTANTIATE_TEST_SUITE_P(Balvex, Golden, ::testing::Values(
    Row{"WriteOk", "auto", Command::Reboot, {}, {{B("OK\r\n")}}, {B("Srst\r\n")}, E::Correct, kNone},
    Row{"WriteOkInPieces", "auto", Command::Reboot, {}, {{B("O"), B("K\r\n")}}, {B("Srst\r\n")}, E::Correct, kNone},
    Row{"WriteCarriesTheInput", "auto", Command::SetScalesModel, {{P::ScalesModel, "A7Gmode"}}, {{B("OK\r\n")}},
        {B("SmodeA7Gmode\r\n")}, E::Correct, kNone},
    Row{"Read", "POS2KProV1", Command::GetMaxWeight, {}, {{B("max=15\r\n")}}, {B("Gmax\r\n")}, E::Correct,
        {{P::MaxWeight, "15"}}},
    Row{"ReadAfterNoiseInPieces", "auto", Command::GetMaxWeight, {}, {{B("xx max=1"), B("5\r\n")}}, {B("Gmax\r\n")},
        E::Correct, {{P::MaxWeight, "15"}}},
    Row{"ReadEmptyValueIsUnset", "auto", Command::GetMaxWeight, {}, {{B("max=\r\n")}}, {B("Gmax\r\n")}, E::Correct,
        kNone},
    Row{"ReadRefusedStoresNothing", "auto", Command::GetMaxWeight, {}, {{B("ERROR\r\n")}}, {B("Gmax\r\n")}, E::Correct,
        kNone},
    Row{"ProtocolVersion", "auto", Command::GetProtocolVersion, {}, {{B("prov=1.2\r\n")}}, {B("Gprov\r\n")},
        E::Correct, {{P::ProtocolVersion, "1.2"}}},
    Row{"ProtocolVersionWithoutKey", "auto", Command::GetProtocolVersion, {}, {{B("OK\r\n")}}, {B("Gprov\r\n")},
        E::Correct, kNone}),
    RowName);

// ---- Failures: nothing is stored, and the requests stop where the exchange broke off.

INSTANTIATE_TEST_SUITE_P(PosFailures, Golden, ::testing::Values(
    Row{"SilentEnquiry", "POS2K", kStatus, {}, {{}}, {kEnq}, E::ConnectionError, kNone},
    Row{"TwoAcks", "POS2K", kStatus, {}, {{{0x06, 0x06}}}, {kEnq}, E::ConnectionError, kNone},
    Row{"StrayByteForAck", "POS2K", kStatus, {}, {{{0x41}}}, {kEnq}, E::ConnectionError, kNone},
    Row{"BadChecksum", "POS2K", kStatus, {}, {{kAck}, {Flipped(kPosTareStatus, kPosTareStatus.size() - 1)}},
        kPosPolled, E::BoostTimeOut, kNone},
    Row{"ChangedTareByte", "POS2K", kStatus, {}, {{kAck}, {Flipped(kPosTareStatus, kPosTareStatus.size() - 2)}},
        kPosPolled, E::BoostTimeOut, kNone},
    Row{"ChangedStateByte", "POS2K", kStatus, {}, {{kAck}, {Flipped(kPosTareStatus, 5)}}, kPosPolled, E::BoostTimeOut,
        kNone},
    Row{"Short", "POS2K", kStatus, {}, {{kAck}, {Part(kPosTareStatus, 0, kPosTareStatus.size() - 1)}}, kPosPolled,
        E::BoostTimeOut, kNone},
    Row{"EmptyFrame", "POS2K", kStatus, {}, {{kAck}, {{0x06, 0x02, 0x00}}}, kPosPolled, E::BoostTimeOut, kNone},
    Row{"LengthBeyondTheReply", "POS2K", kStatus, {}, {{kAck}, {{0x06, 0x02, 0xFF, 0x00}}}, kPosPolled,
        E::BoostTimeOut, kNone},
    // Complete by its checksum, but too short for the fields: never read past its end.
    Row{"CompleteButShort", "POS2K", kStatus, {}, {{kAck}, {PosFrame({0x3A, 0x30})}}, kPosPolled,
        E::DeviceUnexpectedResponse, kNone},
    Row{"TareAnsweredLikeZero", "POS2K", Command::SetTare, {}, {{kAck}, {kPosZeroAnswer}},
        {kEnq, {0x02, 0x05, 0x31, 0x30, 0x30, 0x33, 0x30, 0x37}},
        E::BoostTimeOut, kNone},
    Refused("TareNoNumber", "POS2KProV1", kTare, "abc", E::ParamValueUnsupported),
    Refused("TareBeyondInt", "POS2KProV1", kTare, "99999999999999999999", E::ParamValueUnsupported),
    Refused("TareNegative", "POS2KProV1", kTare, "-1", E::ParamValueUnsupported),
    Refused("TareBeyondTwoBytes", "POS2KProV1", kTare, "65536", E::ParamValueUnsupported),
    Refused("TareMissing", "POS2KProV1", kTare, "", E::ParamTypeIsNotSetToGet),
    Refused("NoSpecifyTareWithoutPro", "POS2K", kTare, "5", E::CommandUnsupported),
    Refused("NoBalvexWithoutPro", "POS2K", Command::GetMaxWeight, "", E::CommandUnsupported)),
    RowName);

INSTANTIATE_TEST_SUITE_P(CasFailures, Golden, ::testing::Values(
    Row{"BadBcc", "CAS-K", kStatus, {}, {{kAck}, {Flipped(kCasFrame, 12)}}, kCasPolled, E::BoostTimeOut, kNone},
    Row{"NoAckNoRequest", "CAS-K", kStatus, {}, {{{0x41}}}, {kEnq}, E::BoostTimeOut, kNone},
    Row{"Short", "CAS-K", kStatus, {}, {{kAck}, {Part(kCasFrame, 0, 14)}}, kCasPolled, E::BoostTimeOut, kNone},
    // An ETX EOT with no room for a frame before it decides: nothing before the reply is read.
    Row{"EndAheadOfTheFrame", "CAS-K", kStatus, {}, {{kAck}, {Join({0x03, 0x04}, kCasFrame)}}, kCasPolled,
        E::BoostTimeOut, kNone},
    Row{"UnknownState", "CAS-K", kStatus, {}, {{kAck}, {CasFrame('X', ' ', "   1.0", "kg")}}, kCasPolled,
        E::DeviceResponseIncorrectFormat, kNone},
    Row{"LeftAlignedGrams", "CAS-K", kStatus, {}, {{kAck}, {CasFrame('S', ' ', "   1.0", "g ")}}, kCasPolled,
        E::DeviceResponseIncorrectFormat, kNone},
    Row{"BlankWeight", "CAS-K", kStatus, {}, {{kAck}, {CasFrame('S', ' ', "      ", "kg")}}, kCasPolled,
        E::DeviceResponseIncorrectFormat, kNone},
    Row{"ActiveSilence", "CAS-K-Active", kStatus, {}, {}, {}, E::BoostTimeOut, kNone},
    Row{"ActiveShort", "CAS-K-Active", kStatus, {}, {}, {}, E::BoostTimeOut, kNone, {Part(kCasFrame, 0, 14)}},
    Row{"ActiveEndAheadOfTheStart", "CAS-K-Active", kStatus, {}, {}, {}, E::BoostTimeOut, kNone,
        {Join({0x03, 0x04, 0x20, 0x20}, Part(kCasFrame, 0, 13))}},
    // Cut at its ETX EOT: a truncated frame is not read past its end.
    Row{"ActiveTruncated", "CAS-K-Active", kStatus, {}, {}, {}, E::DeviceResponseIncorrectFormat, kNone,
        {Join({0x01, 0x02, 0x03, 0x04}, ByteVector(12, 0x20))}},
    Refused("ActiveHasNoZero", "CAS-K-Active", Command::SetZero, "", E::CommandUnsupported),
    Refused("ActiveHasNoTare", "CAS-K-Active", Command::SetTare, "", E::CommandUnsupported)),
    RowName);

INSTANTIATE_TEST_SUITE_P(OkaFailures, Golden, ::testing::Values(
    Row{"WeightAnswerWithoutItsZeroes", "OKA", kStatus, {}, {{Flipped(OkaWeight({1}), 8)}, {kOkaNoSum}}, {kOkaWeightRequest},
        E::BoostTimeOut, kNone},
    Row{"ShortSum", "OKA", kStatus, {}, {{OkaWeight({1})}, {ByteVector(17, 0x00)}}, kOkaPolled, E::BoostTimeOut,
        kNone},
    Row{"NoDigitInTheWeight", "OKA", kStatus, {}, {{OkaWeight({4, 0x3A, 2, 1, 0, 0})}, {kOkaNoSum}}, kOkaPolled,
        E::DeviceResponseIncorrectFormat, kNone},
    Row{"NoDigitInTheSum", "OKA", kStatus, {}, {{OkaWeight({1})}, {OkaSum({0, 2, 0x0B, 0, 0, 0, 0})}}, kOkaPolled,
        E::DeviceResponseIncorrectFormat, kNone},
    Row{"SevenDigitTare", "OKA", kStatus, {}, {{OkaWeight(ByteVector(6, 0))}, {OkaSum({5, 9, 9, 9, 9, 9, 9})}},
        kOkaPolled, E::DeviceResponseIncorrectFormat, kNone},
    Refused("TareWithALetter", "OKA", kTare, "12a", E::ParamValueUnsupported),
    Refused("TareNegative", "OKA", kTare, "-5", E::ParamValueUnsupported),
    Refused("TareLeadingBlank", "OKA", kTare, " 5", E::ParamValueUnsupported),
    Refused("TareSevenDigits", "OKA", kTare, "1234567", E::ParamValueUnsupported),
    Refused("TareMissing", "OKA", kTare, "", E::ParamTypeIsNotSetToGet)),
    RowName);

INSTANTIATE_TEST_SUITE_P(BalvexFailures, Golden, ::testing::Values(
    Row{"WriteError", "auto", Command::Reboot, {}, {{B("ERROR\r\n")}}, {B("Srst\r\n")}, E::DeviceReturnsError, kNone},
    Row{"WriteOkTwice", "auto", Command::Reboot, {}, {{B("OK\r\nOK\r\n")}}, {B("Srst\r\n")},
        E::DeviceUnexpectedResponse, kNone},
    Row{"WriteLowerCaseOk", "auto", Command::Reboot, {}, {{B("ok\r\n")}}, {B("Srst\r\n")},
        E::DeviceUnexpectedResponse, kNone},
    Row{"WriteUnfinished", "auto", Command::Reboot, {}, {{B("OK")}}, {B("Srst\r\n")}, E::BoostTimeOut, kNone},
    Row{"ReadUnfinished", "auto", Command::GetMaxWeight, {}, {{B("max=15")}}, {B("Gmax\r\n")}, E::BoostTimeOut, kNone},
    Refused("WriteWithoutInput", "auto", Command::SetSerialNumber, "", E::ParamTypeIsNotSetToGet),
    Refused("CommandWithoutExecutor", "auto", Command{51}, "", E::CommandUnsupported),
    Refused("CommandBeyondTheTable", "auto", Command{66}, "", E::CommandUnsupported),
    Refused("ProtocolUnknown", "no such protocol", Command::GetMaxWeight, "", E::CommandUnsupported)),
    RowName);
// clang-format on

// ---- The auto protocol: scales that answer only their own protocol, scripted by request.

using Responder = std::function<Chunks(const ByteVector&)>;

// A POS scale: acknowledges every enquiry and reports the state bytes in turn, the last one from then on.
Responder PosScale(std::vector<std::uint8_t> states, std::size_t* readings = nullptr) {
    auto count = std::make_shared<std::size_t>(0);
    return [=](const ByteVector& request) -> Chunks {
        if (request == kEnq) return {kAck};
        if (request != kPosStatusRequest) return {};
        if (readings) *readings = *count + 1;
        const std::uint8_t state = states[std::min((*count)++, states.size() - 1)];
        return {PosStatus({state, 0x00}, {0x10, 0x27, 0x00, 0x00}, {0x00, 0x00})};
    };
}

Responder CasScale(bool answersSerial) {
    return [=](const ByteVector& request) -> Chunks {
        if (request == kEnq) return {kAck};
        if (request == kCasDataRequest) return {kCasFrame};
        if (answersSerial && request == B("Gsern\r\n")) return {B("sern=42\r\n")};
        return {};
    };
}

std::ptrdiff_t IndexOf(const testsupport::FakeConnection& port, const ByteVector& request) {
    const auto& writes = port.writes();
    return std::find(writes.begin(), writes.end(), request) - writes.begin();
}

TEST(GetProtocolAuto, TriesCasFirstAndTellsProByTheSerialNumber) {
    for (bool serial : {true, false}) {
        testsupport::FakeScale scale;
        scale.port->SetResponder(CasScale(serial));
        EXPECT_EQ(scale.Run(Command::GetProtocolAuto), E::Correct);
        EXPECT_EQ(scale.Output(P::ProtocolVersion), serial ? "CAS-K ProV1" : "CAS-K");
        EXPECT_EQ(scale.Output(P::Weight), "12.5");
        EXPECT_EQ(IndexOf(*scale.port, kPosStatusRequest), std::ssize(scale.port->writes()));
    }
}

TEST(GetProtocolAuto, FallsBackToPosAndASilentScaleReportsNothing) {
    testsupport::FakeScale scale;
    scale.port->SetResponder(PosScale({0x01}));
    EXPECT_EQ(scale.Run(Command::GetProtocolAuto), E::Correct);
    EXPECT_EQ(scale.Output(P::ProtocolVersion), "POS2K");
    EXPECT_LT(IndexOf(*scale.port, kCasDataRequest), IndexOf(*scale.port, kPosStatusRequest));
    EXPECT_EQ(scale.port->writtenTexts().back(), "Gsern\r\n");

    testsupport::FakeScale silent;
    EXPECT_NE(silent.Run(Command::GetProtocolAuto), E::Correct);
    EXPECT_EQ(silent.Output(P::ProtocolVersion), std::nullopt);
}

TEST(StatusOfWeightChannelAuto, TriesPosThenCasThenOka) {
    testsupport::FakeScale scale;
    EXPECT_NE(scale.Run(Command::StatusOfWeightChannelAuto), E::Correct);
    EXPECT_EQ(scale.port->writes().front(), kEnq);
    EXPECT_LT(IndexOf(*scale.port, kCasDataRequest), IndexOf(*scale.port, kOkaWeightRequest));
    EXPECT_LT(IndexOf(*scale.port, kOkaWeightRequest), std::ssize(scale.port->writes()));
}

// The calibration with a value waits for a stable weight, read by whichever protocol answers.
TEST(WeightCalibrationWithValue, WaitsForAStableWeight) {
    testsupport::FakeScale scale;
    std::size_t readings = 0;
    const auto pos = PosScale({0x00, 0x00, 0x01}, &readings);
    scale.port->SetResponder(
        [pos](const ByteVector& request) { return request == B("Swcal500\r\n") ? Chunks{B("OK\r\n")} : pos(request); });
    scale.Input(P::WeightScaleCalibrationParameters, "500");
    EXPECT_EQ(scale.Run(Command::SetWeightScaleCalibrationParameters), E::Correct);
    EXPECT_EQ(readings, 3u);
    EXPECT_EQ(scale.port->writtenTexts().back(), "Swcal500\r\n");
}

TEST(WeightCalibrationWithValue, TakesAQuietOkaFlagAsStable) {
    testsupport::FakeScale scale;
    scale.port->SetResponder([](const ByteVector& request) -> Chunks {
        if (request == kOkaWeightRequest) return {ByteVector(24, 0x00)};  // flag byte 11 is 0x00
        if (request == ByteVector{0x06}) return {ByteVector(18, 0x00)};
        if (request == B("Swcal500\r\n")) return {B("OK\r\n")};
        return {};
    });
    scale.Input(P::WeightScaleCalibrationParameters, "500");
    EXPECT_EQ(scale.Run(Command::SetWeightScaleCalibrationParameters), E::Correct);
    EXPECT_EQ(scale.Output(P::WeightState), "0x00");
    EXPECT_EQ(scale.port->writtenTexts().back(), "Swcal500\r\n");
}

TEST(WeightCalibrationWithValue, GivesUpAfterTenUnstableReadings) {
    testsupport::FakeScale scale;
    std::size_t readings = 0;
    scale.port->SetResponder(PosScale({0x00}, &readings));
    scale.Input(P::WeightScaleCalibrationParameters, "500");
    EXPECT_EQ(scale.Run(Command::SetWeightScaleCalibrationParameters), E::DeviceIsNotStabilized);
    EXPECT_EQ(readings, 10u);
    EXPECT_EQ(IndexOf(*scale.port, B("Swcal500\r\n")), std::ssize(scale.port->writes()));
}

}  // namespace
