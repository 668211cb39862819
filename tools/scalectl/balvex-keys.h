#pragma once

#include <driver/driver.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace scalectl {

// What a value given on the command line must look like before it goes to the scale.
enum class ValueKind { Text, Number, None };

// One setting of the scale's service protocol, named by its key.
struct BalvexKey {
    std::string_view key;
    driver::ParamType param;
    std::optional<driver::Command> get;
    std::optional<driver::Command> set;
    ValueKind setValue;  // None: the write command sends no value
};

std::span<const BalvexKey> BalvexKeys();
const BalvexKey* FindBalvexKey(std::string_view key);

// Keys that can be read, and keys that can be written, in table order.
std::vector<std::string> ReadableKeys();
std::vector<std::string> WritableKeys();

// A decimal number: optional sign, digits, optional fraction.
bool IsNumber(std::string_view text);
// Digits only, no sign.
bool IsUnsigned(std::string_view text);

}  // namespace scalectl
