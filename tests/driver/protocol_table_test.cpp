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

TEST(ProtocolTable, GenericCommandsMapToTheProtocolsOwn) {
    struct Row {
        const char* protocol;
        Command status, zero, tare, specify;
    };
    const Row rows[] = {
        {"POS2K", Command::POSStatusOfWeightChannel, Command::POSSetZero, Command::POSSetTare, Command::SpecifyTare},
        {"POS2KProV1", Command::POSStatusOfWeightChannel, Command::POSSetZero, Command::POSSetTare,
         Command::POSSpecifyTare},
        {"CAS-K", Command::CASStatusOfWeightChannel, Command::CASSetZero, Command::CASSetTare, Command::SpecifyTare},
        {"CAS-K ProV1", Command::CASStatusOfWeightChannel, Command::CASSetZero, Command::CASSetTare,
         Command::SpecifyTare},
        {"CAS-K-Active", Command::CASActiveStatusOfWeightChannel, Command::SetZero, Command::SetTare,
         Command::SpecifyTare},
        {"OKA", Command::OKAStatusOfWeightChannel, Command::OKASetZero, Command::SetTare, Command::OKASpecifyTare},
        {"auto", Command::StatusOfWeightChannel, Command::SetZero, Command::SetTare, Command::SpecifyTare},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.protocol);
        EXPECT_EQ(MapCommand(row.protocol, Command::StatusOfWeightChannel), row.status);
        EXPECT_EQ(MapCommand(row.protocol, Command::SetZero), row.zero);
        EXPECT_EQ(MapCommand(row.protocol, Command::SetTare), row.tare);
        EXPECT_EQ(MapCommand(row.protocol, Command::SpecifyTare), row.specify);
        EXPECT_EQ(MapCommand(row.protocol, Command::GetMaxWeight), Command::GetMaxWeight);
    }
    // A command that stays generic is then refused: POS2K has no specify tare, CAS active no zero.
    EXPECT_FALSE(IsCommandAccepted("POS2K", MapCommand("POS2K", Command::SpecifyTare)));
    EXPECT_FALSE(IsCommandAccepted("CAS-K-Active", MapCommand("CAS-K-Active", Command::SetZero)));
    EXPECT_TRUE(IsCommandAccepted("OKA", Command::GetSerialNumber));
}

TEST(ProtocolTable, ModelCheckComparesTheFirstRunOfDigits) {
    EXPECT_TRUE(ModelsMatch("auto", "K-ZA A7-15.2 III(средний)"));
    EXPECT_TRUE(ModelsMatch("auto", "Not Pro model"));
    EXPECT_TRUE(ModelsMatch("A7", "K-ZA A7-15.2 III(средний)"));
    EXPECT_FALSE(ModelsMatch("A15", "K-ZA A7-15.2 III(средний)"));
    EXPECT_FALSE(ModelsMatch("K-ZA 15", "Not Pro model"));
    EXPECT_TRUE(ModelsMatch("plain", "Not Pro model"));  // no digits on either side
    EXPECT_TRUE(IsProProtocol("POS2KProV1"));
    EXPECT_TRUE(IsProProtocol("CAS-K ProV1"));
    EXPECT_FALSE(IsProProtocol("CAS-K"));
    EXPECT_FALSE(IsProProtocol("OKA"));
}
