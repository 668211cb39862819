#pragma once

#include <cstddef>
#include <list>

#include "commands/command-executor.h"

namespace driver {

// True when the field lies wholly inside a reply of the given size.
inline bool FieldInside(const ByteField& field, std::size_t size) {
    if (field.offset < 0 || field.length < 0) return false;
    const auto offset = static_cast<std::size_t>(field.offset);
    return offset <= size && static_cast<std::size_t>(field.length) <= size - offset;
}

inline bool AllFieldsInside(const std::list<ByteField>& fields, std::size_t size) {
    for (const ByteField& field : fields)
        if (!FieldInside(field, size)) return false;
    return true;
}

}  // namespace driver
