// The one decoding of a status command's texts that every caller uses, the number texts, the
// protocol names and families, and the lost-line rule.
#include <gtest/gtest.h>

#include <ostream>

#include "driver/reading.h"

namespace driver {

void PrintTo(const Reading& r, std::ostream* out) {
    *out << "{unit " << static_cast<int>(r.unit) << ", weight " << r.weight << ", tare "
         << (r.tare ? std::to_string(*r.tare) : "none") << ", stable " << r.stable << ", zero " << r.zero
         << ", overload " << r.overload << "}";
}

namespace {

using U = WeightUnit;

// Where every decoding starts: all marks set, so a decoding that leaves a field alone shows.
Reading Before() {
    return {.unit = U::Pound, .weight = 7.0, .tare = 0.5, .stable = false, .zero = true, .overload = true};
}

struct DecodeCase {
    const char* name;
    ProtocolFamily family;
    ReadingTexts texts;  // weight, state, tare, unit
    std::optional<double> maxWeightKg;
    Reading expected;
};

class Decoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, UpdatesTheReading) {
    Reading reading = Before();
    Decode(GetParam().family, GetParam().texts, GetParam().maxWeightKg, reading);
    EXPECT_EQ(reading, GetParam().expected);
}

constexpr auto Pos = ProtocolFamily::Pos;
constexpr auto Cas = ProtocolFamily::Cas;
constexpr auto Oka = ProtocolFamily::Oka;
constexpr auto K = U::Kilogram, L = U::Pound, G = U::Gram;
using C = DecodeCase;

// POS states as the driver writes them: bits 0..7 of the first state byte, then two more.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, Decoding, testing::Values(
    C{"PosStableWithTare", Pos, {"1500", "1010100000", "200", "gr"}, {}, {K, 1.5, 0.2, true, false, true}},
    C{"PosStableAtZero", Pos, {"0", "1110100000", "0", ""}, {}, {K, 0.0, 0.0, true, true, true}},
    C{"PosUnstableWhenBit0Clear", Pos, {"1500", "0010000000", "0", ""}, {}, {K, 1.5, 0.0, false, false, true}},
    C{"PosUnstableOnBit7", Pos, {"-250", "1010100100", "0", ""}, {}, {K, -0.25, 0.0, false, false, true}},
    C{"PosWithoutBit2SetMeansUnstable", Pos, {"1500", "1000100000", "0", ""}, {}, {K, 1.5, 0.0, false, false, true}},
    C{"PosWithoutBit2ClearMeansStable", Pos, {"1500", "0000000000", "0", ""}, {}, {K, 1.5, 0.0, true, false, true}},
    C{"PosAboveMaximumIsOverload", Pos, {"15001", "1010100000", "0", ""}, 15.0, {K, 15.001, 0.0, true, false, true}},
    C{"PosAtMaximumIsNoOverload", Pos, {"15000", "1010100000", "0", ""}, 15.0, {K, 15.0, 0.0, true, false, false}},
    C{"PosEmptyWeightOnlyClearsOverload", Pos, {"", "1010100000", "0", ""}, 15.0, {L, 7.0, 0.5, false, true, false}},
    C{"PosShortStateKeepsMarks", Pos, {"250", "1010100", "100", ""}, {}, {K, 0.25, 0.1, false, true, true}},
    C{"CasStableKilograms", Cas, {"12.5", "1***1*0***", "", "kg"}, {}, {K, 12.5, {}, true, false, false}},
    C{"CasUnstableGrams", Cas, {"125", "0***0*0***", "", "g"}, {}, {G, 125.0, {}, false, false, false}},
    C{"CasZeroWeightSetsZero", Cas, {"0.000", "1***1*0***", "", "kg"}, {}, {K, 0.0, {}, true, true, false}},
    C{"CasOverloadFromState", Cas, {"9.000", "1***1*1***", "", "kg"}, {}, {K, 9.0, {}, true, false, true}},
    C{"CasFInWeightOnlySetsOverload", Cas, {"OFL F", "0***0*0***", "", "kg"}, {}, {L, 7.0, {}, false, true, true}},
    C{"CasEmptyWeightOnlyClearsOverload", Cas, {"", "1***1*0***", "", "kg"}, {}, {L, 7.0, {}, false, true, false}},
    C{"CasUnknownUnitKeepsUnitAndWeight", Cas, {"3.0", "1***1*0***", "", "oz"}, {}, {L, 7.0, {}, true, false, false}},
    C{"CasShortStateKeepsMarks", Cas, {"3.0", "1***1*", "", "kg"}, {}, {K, 3.0, {}, false, true, true}},
    C{"OkaSettled", Oka, {"1234", "0x00", "16", "kg"}, {}, {K, 1.234, 0.016, true, false, false}},
    C{"OkaOverloadIsNeverZero", Oka, {"0", "0x40", "0", "kg"}, {}, {K, 0.0, 0.0, false, false, true}},
    C{"OkaNoNumberKeepsTheReading", Oka, {"", "0x00", "", "kg"}, {}, Before()}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST(NumberText, PlainDigitsWithTheUnitsDecimals) {
    const std::pair<std::pair<double, U>, const char*> cases[] = {
        {{0.0, U::Gram}, "0"},
        {{-0.0, U::Pound}, "0"},
        {{1.5, U::Kilogram}, "1.500"},
        {{-12.5, U::Pound}, "-12.500"},
        {{0.0004, U::Kilogram}, "0.000"},
        {{1e9, U::Kilogram}, "1000000000.000"},
        {{125.0, U::Gram}, "125"},
        {{12.25, U::Gram}, "12.25"},
        {{12.3456789, U::Gram}, "12.3457"},
        {{1234567.0, U::Gram}, "1234567"},
        {{-1234567.0, U::Gram}, "-1234567"},
        {{0.00001, U::Gram}, "0.00001"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(NumberText(value.first, value.second), text) << value.first;
}

TEST(Protocols, NamesAndFamilies) {
    for (const auto& [protocol, name] : kProtocolNames) EXPECT_EQ(ProtocolFromName(name), protocol) << name;
    EXPECT_EQ(ProtocolFromName("POS2KProV2"), std::nullopt);
    EXPECT_EQ(FamilyOf("POS2K"), ProtocolFamily::Pos);
    EXPECT_EQ(FamilyOf("CAS-K-Active"), ProtocolFamily::Cas);
    EXPECT_EQ(FamilyOf("OKA"), ProtocolFamily::Oka);
    EXPECT_EQ(FamilyOf("auto"), ProtocolFamily::None);
    EXPECT_EQ(FamilyOf("xPOSx"), ProtocolFamily::None);
    EXPECT_TRUE(IsPro(Protocol::CASKProV1) && !IsPro(Protocol::CASKActive));
}

TEST(LineLost, OnlyAnUnusablePortOrADroppedLine) {
    EXPECT_TRUE(LineLost(ErrorCase::UnableToOpenSerialPort, true));
    EXPECT_TRUE(LineLost(ErrorCase::ConnectionError, false));
    EXPECT_FALSE(LineLost(ErrorCase::ConnectionError, true));
    EXPECT_FALSE(LineLost(ErrorCase::BoostTimeOut, false));
}

}  // namespace
}  // namespace driver
