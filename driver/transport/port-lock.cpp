#include "transport/port-lock.h"

#include <sys/file.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace driver::port_lock {

namespace {

boost::system::error_code LastError() {
    return {errno, boost::system::system_category()};
}

}  // namespace

boost::system::error_code Acquire(int fd) {
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return LastError();
    if (::ioctl(fd, TIOCEXCL) != 0) {
        const auto error = LastError();
        ::flock(fd, LOCK_UN);
        return error;
    }
    return {};
}

void Release(int fd) {
    ::ioctl(fd, TIOCNXCL);
    ::flock(fd, LOCK_UN);
}

}  // namespace driver::port_lock
