// The real weighdesk's start-up check, on copies in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/child-process.h"
#include "support/temp-dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBuiltFolder = fs::path(WEIGHDESK_PATH).parent_path();

void CopyBeside(const fs::path& folder, const std::string& name) {
    fs::copy_file(kBuiltFolder / name, folder / name);
}

// Changes one byte of the compiler's note, which the loader never reads.
void ChangeOneByte(const fs::path& library) {
    std::fstream file(library, std::ios::in | std::ios::out | std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), {});
    const auto at = bytes.find("GCC: (");
    ASSERT_NE(at, std::string::npos);
    file.seekp(static_cast<std::streamoff>(at));
    file.put('g');
}

// The facade and the window library are loaded from the program's own folder only: copies the loader
// would find through LD_LIBRARY_PATH are never taken instead.
TEST(StartupCheck, LibraryMissingBesideTheProgramEndsWithOne) {
    const struct {
        std::vector<std::string> beside;
        std::string missing;
    } cases[] = {
        {{"weighdesk"}, "libpermanent.so"},
        {{"weighdesk", "libpermanent.so"}, "libweighdesk-window.so"},
    };
    for (const auto& [beside, missing] : cases) {
        SCOPED_TRACE(missing);
        testsupport::TempDir dir;
        for (const auto& name : beside) CopyBeside(dir.path(), name);
        const auto result =
            testsupport::Run({(dir.path() / "weighdesk").string()},
                             {{"LD_LIBRARY_PATH", kBuiltFolder.string()}, {"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_EQ(result.status, 1);
        // The number is errno after the failed load; the text is the loader's.
        EXPECT_EQ(result.err.rfind("LoadLibrary failed (Error ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find("): " + (dir.path() / missing).string() + ": cannot open shared object file"),
                  std::string::npos)
            << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST(StartupCheck, ChangedFacadeAnswersWithTheJsonErrorAndEndsWithZero) {
    testsupport::TempDir dir;
    for (const char* name : {"weighdesk", "libpermanent.so", "libdriver.so", "libdriver-internal.so"}) {
        CopyBeside(dir.path(), name);
    }
    ChangeOneByte(dir.path() / "libpermanent.so");
    const auto result = testsupport::Run({(dir.path() / "weighdesk").string(), "--port", "/dev/null"},
                                         {{"QT_QPA_PLATFORM", "offscreen"}});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "{\n    \"error\": \"Библиотека libpermanent.so повреждена или подменена\"\n}\n");
}

}  // namespace
