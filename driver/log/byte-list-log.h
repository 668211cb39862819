#pragma once

#include <string>
#include <string_view>

#include "commands/byte-vector.h"
#include "log/logging.h"

namespace driver {

// "<title>\nByte vector: 0x01, 0xab, \n": the way byte lists appear in the log.
std::string ByteListText(std::string_view title, const ByteVector& bytes);

inline bool TraceEnabled() {
    return logging::Enabled(LogLevel::Trace);
}

// A trace line written as it stands, without the unit prefix. Callers that build the text
// check TraceEnabled() first so that nothing is formatted for a filtered line.
void TraceBare(std::string_view line);

}  // namespace driver
