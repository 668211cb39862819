// The main page's texts for a reading: unit words, the weight label and the tare line.
#include <gtest/gtest.h>

#include "weight-text.h"

using weighdesk::WeightChannelData;

namespace {

using namespace weighdesk;

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
