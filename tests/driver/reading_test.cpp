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

// POS states as the driver writes them: bits 0..7 of the first state byte, then two more.
INSTANTIATE_TEST_SUITE_P(
    Texts, Decoding,
    testing::Values(
        DecodeCase{"PosStableWithTare",
                   Pos,
                   {"1500", "1010100000", "200", "gr"},
                   {},
                   {U::Kilogram, 1.5, 0.2, true, false, true}},
        DecodeCase{"PosStableAtZero", Pos, {"0", "1110100000", "0", ""}, {}, {U::Kilogram, 0.0, 0.0, true, true, true}},
        DecodeCase{"PosUnstableWhenBit0Clear",
                   Pos,
                   {"1500", "0010000000", "0", ""},
                   {},
                   {U::Kilogram, 1.5, 0.0, false, false, true}},
        DecodeCase{"PosUnstableOnBit7",
                   Pos,
                   {"-250", "1010100100", "0", ""},
                   {},
                   {U::Kilogram, -0.25, 0.0, false, false, true}},
        DecodeCase{"PosWithoutBit2SetMeansUnstable",
                   Pos,
                   {"1500", "1000100000", "0", ""},
                   {},
                   {U::Kilogram, 1.5, 0.0, false, false, true}},
        DecodeCase{"PosWithoutBit2ClearMeansStable",
                   Pos,
                   {"1500", "0000000000", "0", ""},
                   {},
                   {U::Kilogram, 1.5, 0.0, true, false, true}},
        DecodeCase{"PosAboveMaximumIsOverload",
                   Pos,
                   {"15001", "1010100000", "0", ""},
                   15.0,
                   {U::Kilogram, 15.001, 0.0, true, false, true}},
        DecodeCase{"PosAtMaximumIsNoOverload",
                   Pos,
                   {"15000", "1010100000", "0", ""},
                   15.0,
                   {U::Kilogram, 15.0, 0.0, true, false, false}},
        DecodeCase{"PosEmptyWeightOnlyClearsOverload",
                   Pos,
                   {"", "1010100000", "0", ""},
                   15.0,
                   {U::Pound, 7.0, 0.5, false, true, false}},
        DecodeCase{"PosShortStateKeepsMarks",
                   Pos,
                   {"250", "1010100", "100", ""},
                   {},
                   {U::Kilogram, 0.25, 0.1, false, true, true}},
        DecodeCase{"CasStableKilograms",
                   Cas,
                   {"12.5", "1***1*0***", "", "kg"},
                   {},
                   {U::Kilogram, 12.5, {}, true, false, false}},
        DecodeCase{
            "CasUnstableGrams", Cas, {"125", "0***0*0***", "", "g"}, {}, {U::Gram, 125.0, {}, false, false, false}},
        DecodeCase{"CasZeroWeightSetsZero",
                   Cas,
                   {"0.000", "1***1*0***", "", "kg"},
                   {},
                   {U::Kilogram, 0.0, {}, true, true, false}},
        DecodeCase{"CasOverloadFromState",
                   Cas,
                   {"9.000", "1***1*1***", "", "kg"},
                   {},
                   {U::Kilogram, 9.0, {}, true, false, true}},
        DecodeCase{"CasFInWeightOnlySetsOverload",
                   Cas,
                   {"OFL F", "0***0*0***", "", "kg"},
                   {},
                   {U::Pound, 7.0, {}, false, true, true}},
        DecodeCase{"CasEmptyWeightOnlyClearsOverload",
                   Cas,
                   {"", "1***1*0***", "", "kg"},
                   {},
                   {U::Pound, 7.0, {}, false, true, false}},
        DecodeCase{"CasUnknownUnitKeepsUnitAndWeight",
                   Cas,
                   {"3.0", "1***1*0***", "", "oz"},
                   {},
                   {U::Pound, 7.0, {}, true, false, false}},
        DecodeCase{
            "CasShortStateKeepsMarks", Cas, {"3.0", "1***1*", "", "kg"}, {}, {U::Kilogram, 3.0, {}, false, true, true}},
        DecodeCase{
            "OkaSettled", Oka, {"1234", "0x00", "16", "kg"}, {}, {U::Kilogram, 1.234, 0.016, true, false, false}},
        DecodeCase{
            "OkaOverloadIsNeverZero", Oka, {"0", "0x40", "0", "kg"}, {}, {U::Kilogram, 0.0, 0.0, false, false, true}},
        DecodeCase{"OkaNoNumberKeepsTheReading", Oka, {"", "0x00", "", "kg"}, {}, Before()}),
    [](const auto& info) { return std::string(info.param.name); });

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
