#pragma once
// The logic-device file on disk: whole reads, atomic replacement, the cross-process lock and the
// UTF-8 check of what is stored in it. Failures throw std::system_error naming the path.
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace driver {

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
    int Close() { return ::close(std::exchange(fd_, -1)); }

private:
    int fd_;
};

// Reads the file through one descriptor, so info describes exactly the version read.
std::string ReadWholeFile(const std::string& path, struct stat& info);

enum class Replace { Yes, No };

// Writes through a flushed temporary file in the same folder and renames it over path, so a crash or a full
// disk leaves the previous file whole. With Replace::No an existing file is kept and false is returned.
bool WriteFileAtomically(const std::string& path, const std::string& text, Replace replace);

// The exclusive cross-process lock on "<file>.lock", held for the life of the object; closing the
// descriptor releases it, also when the process dies.
class FileLock {
public:
    explicit FileLock(const std::string& path);

private:
    UniqueFd fd_;
};

// The offset of the first byte that does not belong to a well-formed UTF-8 sequence (no overlong forms,
// no surrogates, nothing above U+10FFFF), or nothing when the whole text is valid.
std::optional<std::size_t> FirstInvalidUtf8(std::string_view text);

}  // namespace driver
