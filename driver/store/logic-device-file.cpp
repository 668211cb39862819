#include "store/logic-device-file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include <boost/filesystem.hpp>

namespace driver {

namespace {

// Reads errno before anything else can touch it.
[[noreturn]] void ThrowErrno(std::string_view action, const std::string& path) {
    const int code = errno;
    throw std::system_error(code, std::generic_category(), std::string(action) + " " + path);
}

void WriteAll(int fd, const std::string& text, const std::string& path) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(fd, text.data() + done, text.size() - done);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) ThrowErrno("cannot write", path);
        done += static_cast<std::size_t>(put);
    }
}

// Best effort: the rename is already visible, this only makes it survive a power cut.
void SyncFolderOf(const std::string& path) {
    const auto folder = boost::filesystem::path(path).parent_path().string();
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() >= 0) ::fsync(fd.get());
}

// Moves temp onto path only when path does not exist; false when it does.
bool MoveIfAbsent(const std::string& temp, const std::string& path) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) ThrowErrno("cannot create", path);
    // File systems without the flag: a hard link refuses an existing target just as well.
    if (::link(temp.c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) return false;
        ThrowErrno("cannot create", path);
    }
    ::unlink(temp.c_str());
    return true;
}

}  // namespace

std::string ReadWholeFile(const std::string& path, struct stat& info) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) ThrowErrno("cannot open", path);
    if (::fstat(fd.get(), &info) != 0) ThrowErrno("cannot read", path);
    std::string text;
    std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) ThrowErrno("cannot read", path);
        if (got == 0) return text;
        text.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

bool WriteFileAtomically(const std::string& path, const std::string& text, Replace replace) {
    std::string temp = path + ".tmp-XXXXXX";
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.get() < 0) ThrowErrno("the folder cannot be written:", boost::filesystem::path(path).parent_path().string());
    struct TempRemover {
        const std::string* name;
        ~TempRemover() {
            if (name) ::unlink(name->c_str());
        }
    } remover{&temp};

    if (struct stat old; replace == Replace::Yes && ::stat(path.c_str(), &old) == 0) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    WriteAll(fd.get(), text, temp);
    if (::fsync(fd.get()) != 0) ThrowErrno("cannot flush", temp);
    if (fd.Close() != 0) ThrowErrno("cannot close", temp);

    if (replace == Replace::No) {
        if (!MoveIfAbsent(temp, path)) return false;
    } else if (::rename(temp.c_str(), path.c_str()) != 0) {
        ThrowErrno("cannot replace", path);
    }
    remover.name = nullptr;
    SyncFolderOf(path);
    return true;
}

FileLock::FileLock(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_.get() < 0) {
        if (errno == EACCES || errno == EROFS || errno == EPERM)
            ThrowErrno("the folder cannot be written:", boost::filesystem::path(path).parent_path().string());
        ThrowErrno("cannot create the lock file", path);
    }
    while (::flock(fd_.get(), LOCK_EX) != 0) {
        if (errno != EINTR) ThrowErrno("cannot lock", path);
    }
}

std::optional<std::size_t> FirstInvalidUtf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            return i;
        }
        if (i + length > text.size()) return i;
        if (byte(i + 1) < low || byte(i + 1) > high) return i;
        for (std::size_t k = 2; k < length; ++k) {
            if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return i;
        }
        i += length;
    }
    return std::nullopt;
}

}  // namespace driver
