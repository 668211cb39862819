// The one output convention of the C interface: a text into the caller's buffer, as snprintf writes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "driver/vocabulary.h"

namespace ponderix {

// Writes what fits of text, always NUL-terminated, and its full length into *length. IncorrectArgumnts
// when it did not fit, or for a NULL buffer with a size.
driver::ErrorCase WriteText(std::string_view text, char* buffer, std::size_t size, std::size_t* length);

// A caller's text, or nothing when it is NULL or not UTF-8.
std::optional<std::string> InputText(const char* text);

}  // namespace ponderix
