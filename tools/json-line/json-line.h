#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jsonline {

// One JSON object, built field by field and printed on one line. Objects nest through Object and
// Array, which take what another JsonLine (or JsonArray) printed.
class JsonLine {
public:
    JsonLine& Text(std::string_view key, std::string_view value);
    JsonLine& TextOrNull(std::string_view key, const std::optional<std::string>& value);  // null when empty
    JsonLine& Number(std::string_view key, double value);
    JsonLine& NumberOrNull(std::string_view key, const std::optional<double>& value);  // null when empty
    JsonLine& Integer(std::string_view key, std::int64_t value);
    JsonLine& Bool(std::string_view key, bool value);
    JsonLine& Null(std::string_view key);
    JsonLine& Object(std::string_view key, const JsonLine& value) { return Json(key, value.str()); }
    // A value already written as JSON (an array, an exact decimal number).
    JsonLine& Json(std::string_view key, std::string_view json);

    std::string str() const { return body_.empty() ? "{}" : "{" + body_ + "}"; }

private:
    std::string body_;
};

// A JSON string literal with its quotes.
std::string JsonQuote(std::string_view text);

// A JSON array of values already written as JSON.
std::string JsonArray(const std::vector<std::string>& items);

}  // namespace jsonline
