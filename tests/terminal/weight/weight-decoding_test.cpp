// The CAS and POS decodings of a status command's texts, including state texts too short to read.
#include <gtest/gtest.h>

#include <ostream>

#include "weight-decoding.h"

using weighdesk::WeightChannelData;

// Readings in failure messages. Expected numbers are written so that they equal the parsed ones.
void PrintTo(const WeightChannelData& d, std::ostream* out) {
    *out << "{unit " << d.unit << ", weight " << d.weight << ", tare " << d.tare << ", zero " << d.zero << ", unstable "
         << d.unstable << ", overload " << d.overload << "}";
}

namespace {

using weighdesk::decodeCasReading;
using weighdesk::decodePosReading;

// A reading the decodings start from: every flag set, so a decoding that touches nothing shows.
WeightChannelData before() {
    return {.unit = 2, .weight = 7.0, .tare = 0.5, .zero = true, .unstable = true, .overload = true};
}

struct CasCase {
    const char* name;
    std::string weight, state, unit;
    WeightChannelData expected;
};

class CasDecoding : public testing::TestWithParam<CasCase> {};

TEST_P(CasDecoding, UpdatesTheReading) {
    WeightChannelData data = before();
    decodeCasReading(GetParam().weight, GetParam().state, GetParam().unit, data);
    EXPECT_EQ(data, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, CasDecoding,
    testing::Values(CasCase{"StableKilograms", "12.5", "1***1*0***", "kg", {0, 12.5, 0.5, false, false, false}},
                    CasCase{"UnstableGrams", "125", "0***0*0***", "g", {1, 125.0, 0.5, false, true, false}},
                    CasCase{"NegativePounds", "-1.25", "1***1*0***", "lb", {2, -1.25, 0.5, false, false, false}},
                    CasCase{"ZeroWeightSetsZero", "0.000", "1***1*0***", "kg", {0, 0.0, 0.5, true, false, false}},
                    CasCase{"OverloadFromState", "9.000", "1***1*1***", "kg", {0, 9.0, 0.5, false, false, true}},
                    CasCase{"FInWeightOnlySetsOverload", "F", "1***1*0***", "kg", {2, 7.0, 0.5, true, true, true}},
                    CasCase{"EmptyWeightOnlyClearsOverload", "", "1***1*0***", "kg", {2, 7.0, 0.5, true, true, false}},
                    CasCase{
                        "UnknownUnitKeepsUnitAndWeight", "3.0", "1***1*0***", "oz", {2, 7.0, 0.5, false, false, false}},
                    CasCase{"ShortStateKeepsMarks", "3.0", "1***1*", "kg", {0, 3.0, 0.5, true, true, true}},
                    CasCase{"EmptyStateKeepsMarks", "0", "", "kg", {0, 0.0, 0.5, true, true, true}}),
    [](const auto& info) { return std::string(info.param.name); });

struct PosCase {
    const char* name;
    std::string weight, state, tare;
    std::optional<double> maxWeightKg;
    WeightChannelData expected;
};

class PosDecoding : public testing::TestWithParam<PosCase> {};

TEST_P(PosDecoding, UpdatesTheReading) {
    WeightChannelData data = before();
    decodePosReading(GetParam().weight, GetParam().state, GetParam().tare, GetParam().maxWeightKg, data);
    EXPECT_EQ(data, GetParam().expected);
}

// State texts as the driver writes them: bits 0..7 of the first state byte, then two more.
INSTANTIATE_TEST_SUITE_P(
    Texts, PosDecoding,
    testing::Values(
        PosCase{"StableWithTare", "1500", "1010100000", "200", {}, {0, 1.5, 0.2, false, false, true}},
        PosCase{"StableAtZero", "0", "1110100000", "0", {}, {0, 0.0, 0.0, true, false, true}},
        PosCase{"UnstableWhenBit0Clear", "1500", "0010000000", "0", {}, {0, 1.5, 0.0, false, true, true}},
        PosCase{"UnstableOnOverloadBit", "1500", "1010100100", "0", {}, {0, 1.5, 0.0, false, true, true}},
        PosCase{"WithoutBit2StableMeansUnstable", "1500", "1000100000", "0", {}, {0, 1.5, 0.0, false, true, true}},
        PosCase{"WithoutBit2ClearMeansStable", "1500", "0000000000", "0", {}, {0, 1.5, 0.0, false, false, true}},
        PosCase{"AboveMaximumIsOverload", "15001", "1010100000", "0", 15.0, {0, 15.001, 0.0, false, false, true}},
        PosCase{"AtMaximumIsNoOverload", "15000", "1010100000", "0", 15.0, {0, 15.0, 0.0, false, false, false}},
        PosCase{"EmptyWeightOnlyClearsOverload", "", "1010100000", "0", 15.0, {2, 7.0, 0.5, true, true, false}},
        PosCase{"ShortStateKeepsMarks", "250", "1010100", "100", {}, {0, 0.25, 0.1, true, true, true}},
        PosCase{"EmptyStateKeepsMarks", "250", "", "100", 15.0, {0, 0.25, 0.1, true, true, false}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
