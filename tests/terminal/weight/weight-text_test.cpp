// The main page's texts for a reading: number text, unit words, the weight label and the tare line.
#include <gtest/gtest.h>

#include "weight-text.h"

using weighdesk::WeightChannelData;

namespace {

using namespace weighdesk;

struct NumberCase {
    double value;
    int unit;
    const char* text;
};

class NumberText : public testing::TestWithParam<NumberCase> {};

TEST_P(NumberText, FollowsTheUnitsRule) {
    EXPECT_EQ(numberText(GetParam().value, GetParam().unit).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Values, NumberText,
                         testing::Values(NumberCase{0.0, 0, "0"}, NumberCase{0.0, 1, "0"}, NumberCase{-0.0, 2, "0"},
                                         NumberCase{1.5, 0, "1.500"}, NumberCase{0.2, 0, "0.200"},
                                         NumberCase{-12.5, 2, "-12.500"}, NumberCase{125.0, 1, "125"},
                                         NumberCase{1234567.0, 1, "1234567"}, NumberCase{-1234567.0, 1, "-1234567"},
                                         NumberCase{12.25, 1, "12.25"}, NumberCase{12.3456789, 1, "12.3457"},
                                         NumberCase{0.00001, 1, "0.00001"}, NumberCase{1e9, 0, "1000000000.000"},
                                         NumberCase{0.0004, 0, "0.000"}));

TEST(UnitWord, NamesTheThreeUnitsAndFallsBackToKilograms) {
    EXPECT_EQ(unitWord(0), QStringLiteral("кг"));
    EXPECT_EQ(unitWord(1), QStringLiteral("г"));
    EXPECT_EQ(unitWord(2), QStringLiteral("фунт"));
    EXPECT_EQ(unitWord(7), QStringLiteral("кг"));
    EXPECT_EQ(unitWord(-1), QStringLiteral("кг"));
}

TEST(WeightLabel, CarriesNumberUnitAndTheScreensFontSize) {
    const WeightChannelData grams{.unit = 1, .weight = 125.0};
    EXPECT_EQ(netWeightRichText(grams, false),
              QStringLiteral("<span>125 </span><span style=\"font-size:70px; \">г</span>"));
    const WeightChannelData kilograms{.unit = 0, .weight = 1.5};
    EXPECT_EQ(netWeightRichText(kilograms, true),
              QStringLiteral("<span>1.500 </span><span style=\"font-size:90px; \">кг</span>"));
}

TEST(TareLine, UsesTheUnitOfTheLastReading) {
    EXPECT_EQ(tareLineText(0.2, 0), QStringLiteral("Tare: 0.200 кг"));
    EXPECT_EQ(tareLineText(0.0, 2), QStringLiteral("Tare: 0 фунт"));
}

TEST(Marks, ShowExactlyOneOfEachPair) {
    EXPECT_EQ(marksOf({.zero = true, .unstable = false}), (WeightMarks{true, false, true, false}));
    EXPECT_EQ(marksOf({.zero = false, .unstable = true}), (WeightMarks{false, true, false, true}));
}

}  // namespace
