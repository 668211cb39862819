#include "transport.h"

namespace scale_sim {

bool WaitWritable(int fd, std::chrono::milliseconds timeout) {
    pollfd p{fd, POLLOUT, 0};
    return ::poll(&p, 1, static_cast<int>(timeout.count())) == 1 && (p.revents & POLLOUT) != 0;
}

}  // namespace scale_sim
