#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "driver/driver.h"

namespace driver {

using ByteVector = std::vector<std::uint8_t>;
using ResultMap = std::map<ParamType, std::string>;
// Completeness test of a reply: true when the bytes received so far form a whole reply.
using ResponseValidator = std::function<bool(const ByteVector&)>;

inline ByteVector ToBytes(std::string_view text) {
    return ByteVector(text.begin(), text.end());
}
inline std::string ToText(const ByteVector& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace driver
