// Model shortening, the division table and the search's progress arithmetic.
#include <gtest/gtest.h>

#include "scale-text.h"
#include "search-devices.h"

using weighdesk::searchProgress;
using weighdesk::stepAfterPort;

namespace {

using weighdesk::divisionFromCode;
using weighdesk::shortenModel;
// An input text and the text it gives.
using TextCase = std::pair<std::string, std::string>;

class ModelShortening : public testing::TestWithParam<TextCase> {};

TEST_P(ModelShortening, KeepsFirstWordAndMiddleUpToTheDash) {
    EXPECT_EQ(shortenModel(QString::fromStdString(GetParam().first)).toStdString(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Models, ModelShortening,
                         testing::Values(TextCase{"A B-C D", "A B"}, TextCase{"A", "A "}, TextCase{"A D", "A "},
                                         TextCase{"ВП 15-2.5 III", "ВП 15"}, TextCase{"A B C-D E", "A B C"},
                                         TextCase{"A B-C-D E", "A B"}, TextCase{"A BC D", "A BC"}, TextCase{"", " "}));

class DivisionTable : public testing::TestWithParam<TextCase> {};

TEST_P(DivisionTable, GivesTheIntervalInGrams) {
    EXPECT_EQ(divisionFromCode(QString::fromStdString(GetParam().first)).toStdString(), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Codes, DivisionTable,
                         testing::Values(TextCase{"0", "1"}, TextCase{"1", "2"}, TextCase{"2", "5"},
                                         TextCase{"3", "10"}, TextCase{"4", "20"}, TextCase{"5", "50"},
                                         TextCase{"6", ""}, TextCase{"-1", ""}, TextCase{"", ""}, TextCase{"03", ""},
                                         TextCase{"x", ""}));

// Ten steps a port: the bar moves with every port however many the system lists (ttyS0 to ttyS31 and
// more), and stays below 100 until the finish.
TEST(SearchProgress, RisesWithEveryPortAndEndsBelowAHundred) {
    EXPECT_EQ(searchProgress(0, 0), 0);
    for (const int ports : {1, 3, 12, 40}) {
        int before = 0;
        for (int port = 1; port <= ports; ++port) {
            const int after = searchProgress(port * 10, ports);
            EXPECT_GT(after, before) << ports << " ports, port " << port;
            before = after;
        }
        EXPECT_EQ(before, 90) << ports << " ports";
    }
    EXPECT_EQ(searchProgress(1, 3), 3);  // three ports: 3 a step, as before
}

TEST(SearchProgress, StepRisesToTheNextTen) {
    EXPECT_EQ(stepAfterPort(0), 10);
    EXPECT_EQ(stepAfterPort(2), 10);
    EXPECT_EQ(stepAfterPort(9), 10);
    EXPECT_EQ(stepAfterPort(10), 20);
    EXPECT_EQ(stepAfterPort(29), 30);
}

}  // namespace
