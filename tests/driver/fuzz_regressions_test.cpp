// Replays every kept fuzz input, the seeds and the inputs that once broke the driver, through the same entry
// functions the fuzz targets run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz-entries.h"
#include "log/logging.h"

namespace {

namespace fs = std::filesystem;

// The inputs of one entry in folder kind; false when there are none.
bool Replay(const char* kind, const fuzzentries::Entry& entry) {
    bool any = false;
    std::error_code ignored;
    for (const auto& item : fs::directory_iterator(fs::path(PONDERIX_FUZZ_FOLDER) / kind / entry.name, ignored)) {
        std::ifstream in(item.path(), std::ios::binary);
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
        any = true;
        try {
            entry.run(fuzzentries::Bytes(bytes));
        } catch (const std::exception& e) {
            ADD_FAILURE() << item.path() << ": " << e.what();
        }
    }
    return any;
}

TEST(FuzzRegressions, SeedsAndFoundInputsPassEveryEntry) {
    driver::logging::Enabled(driver::LogLevel::Trace);  // fixes the log folder before an entry moves APPDATA
    for (const auto& entry : fuzzentries::Entries()) {
        SCOPED_TRACE(entry.name);
        EXPECT_TRUE(Replay("corpus", entry)) << "no seeds";
        Replay("regressions", entry);
    }
}

}  // namespace
