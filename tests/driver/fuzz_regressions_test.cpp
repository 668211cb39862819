// Replays every kept fuzz input, the seeds and the inputs that once broke the driver, through the same entry
// functions the fuzz targets run.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/fuzz-entries.h"
#include "log/logging.h"

namespace fuzzentries {
// Names the entry in test output instead of its bytes.
void PrintTo(const Entry& entry, std::ostream* out) {
    *out << entry.name;
}
}  // namespace fuzzentries

namespace {

namespace fs = std::filesystem;

const fs::path kFuzzFolder = PONDERIX_FUZZ_FOLDER;

std::vector<fs::path> Inputs(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ignored;
    for (const auto& item : fs::directory_iterator(folder, ignored))
        if (item.is_regular_file()) files.push_back(item.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FuzzRegressionsTest : public ::testing::TestWithParam<fuzzentries::Entry> {
protected:
    // The log folder is fixed on first use; take it before an entry moves APPDATA.
    static void SetUpTestSuite() { driver::logging::Enabled(driver::LogLevel::Trace); }

    void Replay(const char* kind) {
        for (const auto& file : Inputs(kFuzzFolder / kind / GetParam().name)) {
            const auto bytes = ReadBytes(file);
            try {
                GetParam().run(fuzzentries::Bytes(bytes));
            } catch (const std::exception& e) {
                ADD_FAILURE() << file << ": " << e.what();
            }
        }
    }
};

TEST_P(FuzzRegressionsTest, FoundInputsStayFixed) {
    Replay("regressions");
}

TEST_P(FuzzRegressionsTest, SeedsPass) {
    ASSERT_FALSE(Inputs(kFuzzFolder / "corpus" / GetParam().name).empty()) << "no seeds for " << GetParam().name;
    Replay("corpus");
}

INSTANTIATE_TEST_SUITE_P(Entries, FuzzRegressionsTest, ::testing::ValuesIn(fuzzentries::Entries()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
