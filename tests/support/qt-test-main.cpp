// GoogleTest suites that need Qt's event loop and queued signals: one QCoreApplication for the
// process, and a private app-data root, never the user's.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ponderix-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 2;
    ::setenv("APPDATA", pattern.c_str(), 1);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
    return result;
}
