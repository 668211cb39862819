#pragma once

#include <string>
#include <string_view>

#include "scale-state.h"

namespace scale_sim {

// The service line protocol: "G<key>" reads a setting, "S<key>[value]" writes one or runs an
// action. `line` is one request without its closing CR LF; the result is the whole answer
// line with CR LF ("<key>=<value>", "OK" or "ERROR").
std::string BalvexAnswer(std::string_view line, ScaleState& state);

}  // namespace scale_sim
