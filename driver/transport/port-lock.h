#pragma once

#include <boost/system/error_code.hpp>

namespace driver::port_lock {

// Claims an open serial port for this process alone: a non-blocking exclusive flock, which another
// opener cannot bypass, and TIOCEXCL, which refuses further opens of the device by unprivileged
// programs. Returns the failure of either call; on failure nothing stays held.
boost::system::error_code Acquire(int fd);

// Undoes Acquire. TIOCNXCL comes first: the exclusive flag belongs to the terminal, not to the
// descriptor, so a port closed without it stays busy (EBUSY) for the next opener.
void Release(int fd);

}  // namespace driver::port_lock
