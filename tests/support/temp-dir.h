#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

namespace testsupport {

// A fresh folder removed when the object goes away.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "ponderix-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Points APPDATA at a fresh folder for the life of the object and restores it after.
class ScopedAppData {
public:
    ScopedAppData() {
        if (const char* old = std::getenv("APPDATA")) old_ = old;
        ::setenv("APPDATA", dir_.path().c_str(), 1);
    }
    ~ScopedAppData() { ::setenv("APPDATA", old_.c_str(), 1); }
    const std::filesystem::path& path() const { return dir_.path(); }
    std::filesystem::path ponderix() const { return dir_.path() / "NORVELL" / "Ponderix"; }

private:
    TempDir dir_;
    std::string old_;
};

}  // namespace testsupport
