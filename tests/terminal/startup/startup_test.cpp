// The real weighdesk's start-up check, and a start without the driver, on copies in a temporary folder.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "port-argument.h"
#include "support/child-process.h"
#include "support/temp-dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kBuiltFolder = fs::path(WEIGHDESK_PATH).parent_path();

void CopyBeside(const fs::path& folder, const std::string& name) {
    fs::copy_file(kBuiltFolder / name, folder / name);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

// True once the process has its own SIGTERM handler, so that the signal closes its window.
bool CatchesSigterm(int pid) {
    std::istringstream status(ReadAll("/proc/" + std::to_string(pid) + "/status"));
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("SigCgt:", 0) == 0) return (std::stoull(line.substr(7), nullptr, 16) >> (SIGTERM - 1)) & 1;
    }
    return false;
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

// Without libdriver.so beside it the facade cannot bind the driver, yet the window opens and, closed,
// still reports.
TEST(StartupCheck, WindowOpensWithoutTheDriver) {
    testsupport::TempDir dir;
    for (const char* name : {"weighdesk", "libpermanent.so", "libweighdesk-window.so"}) CopyBeside(dir.path(), name);
    testsupport::ChildProcess weighdesk(
        {(dir.path() / "weighdesk").string(), "--port", "/dev/null/none"},
        {{"QT_QPA_PLATFORM", "offscreen"}, {"APPDATA", dir.path().string()}, {"LD_LIBRARY_PATH", dir.path().string()}},
        (dir.path() / "err").string());
    ASSERT_TRUE(weighdesk.started());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!CatchesSigterm(weighdesk.pid()) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    weighdesk.Signal(SIGTERM);
    const auto result = weighdesk.Finish(std::chrono::seconds(10));
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(ReadAll(dir.path() / "err").find("libdriver.so"), std::string::npos);
    EXPECT_EQ(result.out, "{\n    \"error\": \"Весы не обнаружены\"\n}\n");
}

// "--port" is taken only right after the program name, exactly as written.
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
