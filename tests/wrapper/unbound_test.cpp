// The facade without a libdriver.so beside it: failure codes, one line on standard error.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "support/child-process.h"
#include "support/temp-dir.h"

namespace {

TEST(UnboundFacade, EveryMethodFailsAndTheReasonIsWrittenOnce) {
    testsupport::TempDir dir;
    std::filesystem::copy_file(FACADE_LIBRARY_PATH, dir.path() / "libpermanent.so");
    // The copy is found first, and libdriver.so is not beside it.
    const auto result = testsupport::Run({UNBOUND_PROBE_PATH}, {{"LD_LIBRARY_PATH", dir.path().string()}});
    ASSERT_EQ(result.status, 0) << result.err;
    std::istringstream codes(result.out);
    int count = 0;
    for (std::string line; std::getline(codes, line); ++count) EXPECT_NE(line, "0") << "call " << count;
    EXPECT_EQ(count, 9);
    EXPECT_NE(result.err.find("libdriver.so"), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

}  // namespace
