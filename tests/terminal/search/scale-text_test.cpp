// Model shortening, the division table and the search's progress arithmetic.
#include <gtest/gtest.h>

#include "scale-text.h"
#include "search-devices.h"

namespace {

using weightdesk::divisionFromCode;
using weightdesk::shortenModel;

class ModelShortening : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(ModelShortening, KeepsFirstWordAndMiddleUpToTheDash) {
    EXPECT_EQ(shortenModel(QString::fromUtf8(GetParam().first)).toStdString(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelShortening,
                         testing::Values(std::pair{"A B-C D", "A B"}, std::pair{"A", "A "}, std::pair{"A D", "A "},
                                         std::pair{"ВП 15-2.5 III", "ВП 15"}, std::pair{"A B C-D E", "A B C"},
                                         std::pair{"A B-C-D E", "A B"}, std::pair{"A BC D", "A BC"},
                                         std::pair{"", " "}));

class DivisionTable : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DivisionTable, GivesTheIntervalInGrams) {
    EXPECT_EQ(divisionFromCode(QString::fromUtf8(GetParam().first)).toStdString(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Codes, DivisionTable,
                         testing::Values(std::pair{"0", "1"}, std::pair{"1", "2"}, std::pair{"2", "5"},
                                         std::pair{"3", "10"}, std::pair{"4", "20"}, std::pair{"5", "50"},
                                         std::pair{"6", ""}, std::pair{"-1", ""}, std::pair{"", ""},
                                         std::pair{"03", ""}, std::pair{"x", ""}));

TEST(SearchProgress, IncrementIsAWholeTenthOfEachPortsShare) {
    EXPECT_EQ(searchProgressIncrement(0), 0);
    EXPECT_EQ(searchProgressIncrement(1), 10);
    EXPECT_EQ(searchProgressIncrement(3), 3);
    EXPECT_EQ(searchProgressIncrement(4), 2);
    EXPECT_EQ(searchProgressIncrement(11), 0);
}

TEST(SearchProgress, StepRisesToTheNextTen) {
    EXPECT_EQ(stepAfterPort(0), 10);
    EXPECT_EQ(stepAfterPort(2), 10);
    EXPECT_EQ(stepAfterPort(9), 10);
    EXPECT_EQ(stepAfterPort(10), 20);
    EXPECT_EQ(stepAfterPort(29), 30);
}

}  // namespace
