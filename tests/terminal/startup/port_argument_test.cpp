// "--port" is taken only right after the program name, exactly as written.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "port-argument.h"

namespace {

struct PortCase {
    const char* name;
    std::vector<std::string> arguments;
    std::string port;
};

class PortArgument : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortArgument, IsTakenOnlyInFirstPosition) {
    EXPECT_EQ(weighdesk::PortFromArguments(GetParam().arguments), GetParam().port);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortArgument,
    ::testing::Values(PortCase{"Given", {"weighdesk", "--port", "/dev/ttyUSB0"}, "/dev/ttyUSB0"},
                      PortCase{
                          "ExtraArgumentsIgnored", {"weighdesk", "--port", "COM7", "-platform", "offscreen"}, "COM7"},
                      PortCase{"NameTakenWhole", {"weighdesk", "--port", "/dev/pts/3 x"}, "/dev/pts/3 x"},
                      PortCase{"NoArguments", {"weighdesk"}, ""}, PortCase{"OptionAlone", {"weighdesk", "--port"}, ""},
                      PortCase{"NameFirst", {"weighdesk", "COM7", "--port"}, ""},
                      PortCase{"NotFirst", {"weighdesk", "-x", "--port", "COM7"}, ""},
                      PortCase{"UpperCase", {"weighdesk", "--PORT", "COM7"}, ""},
                      PortCase{"EqualsForm", {"weighdesk", "--port=COM7"}, ""},
                      PortCase{"EqualsFormWithMore", {"weighdesk", "--port=COM7", "x"}, ""}, PortCase{"Empty", {}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
