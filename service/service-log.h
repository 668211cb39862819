// The service's own log on standard error (journald keeps it). Not spdlog's default logger: the
// driver in this process installs its file log as that one.
#pragma once

#include <spdlog/logger.h>

namespace ponderixd {

spdlog::logger& Log();

}  // namespace ponderixd
