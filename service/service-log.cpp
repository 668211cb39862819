#include "service-log.h"

#include <spdlog/sinks/stdout_sinks.h>

namespace ponderixd {

spdlog::logger& Log() {
    static spdlog::logger logger = [] {
        spdlog::logger made("ponderixd", std::make_shared<spdlog::sinks::stderr_sink_mt>());
        made.set_pattern("%l: %v");  // journald adds the time
        made.flush_on(spdlog::level::trace);
        return made;
    }();
    return logger;
}

}  // namespace ponderixd
