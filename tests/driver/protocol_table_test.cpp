#include "commands/protocol-table.h"

#include <gtest/gtest.h>

#include <set>

using namespace driver;

namespace {

std::set<int> AcceptedBy(const std::string& protocol) {
    std::set<int> accepted;
    for (int n = -1; n <= 66; ++n) {
        if (IsCommandAccepted(protocol, static_cast<Command>(n))) accepted.insert(n);
    }
    return accepted;
}

std::set<int> Range(int first, int last, std::set<int> extra = {}) {
    for (int n = first; n <= last; ++n) extra.insert(n);
    return extra;
}

}  // namespace

TEST(ProtocolTable, AcceptedCommandsPerProtocol) {
    EXPECT_EQ(AcceptedBy("POS2K"), (std::set<int>{49, 50, 55, 58, 59}));
    EXPECT_EQ(AcceptedBy("POS2KProV1"), Range(0, 50, {55, 58, 59, 60}));
    EXPECT_EQ(AcceptedBy("CAS-K"), (std::set<int>{49, 50, 56, 61, 62}));
    EXPECT_EQ(AcceptedBy("CAS-K ProV1"), Range(0, 50, {56, 61, 62}));
    EXPECT_EQ(AcceptedBy("CAS-K-Active"), (std::set<int>{49, 50, 57}));
    EXPECT_EQ(AcceptedBy("OKA"), Range(1, 50, {63, 64, 65}));
    EXPECT_EQ(AcceptedBy("auto"), Range(0, 65));
    EXPECT_TRUE(AcceptedBy("").empty());
    EXPECT_TRUE(AcceptedBy("pos2k").empty());
}

// How generic commands map to each protocol's own is in the golden table, which runs them through Device.
TEST(ProtocolTable, ModelCheckComparesTheFirstRunOfDigits) {
    EXPECT_TRUE(ModelsMatch("auto", "K-ZA A7-15.2 III(средний)"));
    EXPECT_TRUE(ModelsMatch("auto", "Not Pro model"));
    EXPECT_TRUE(ModelsMatch("A7", "K-ZA A7-15.2 III(средний)"));
    EXPECT_FALSE(ModelsMatch("A15", "K-ZA A7-15.2 III(средний)"));
    EXPECT_FALSE(ModelsMatch("K-ZA 15", "Not Pro model"));
    EXPECT_TRUE(ModelsMatch("plain", "Not Pro model"));  // no digits on either side
    EXPECT_TRUE(IsProProtocol("CAS-K ProV1"));
    EXPECT_FALSE(IsProProtocol("CAS-K"));
}
