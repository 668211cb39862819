#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace scalectl {

// One flat JSON object, built field by field and printed on one line.
class JsonLine {
public:
    JsonLine& Text(std::string_view key, std::string_view value);
    JsonLine& TextOrNull(std::string_view key, const std::optional<std::string>& value);  // null when empty
    JsonLine& Number(std::string_view key, double value);
    JsonLine& NumberOrNull(std::string_view key, const std::optional<double>& value);  // null when empty
    JsonLine& Integer(std::string_view key, std::int64_t value);
    JsonLine& Bool(std::string_view key, bool value);
    JsonLine& Null(std::string_view key);

    std::string str() const { return body_.empty() ? "{}" : "{" + body_ + "}"; }

private:
    JsonLine& Raw(std::string_view key, std::string_view json);
    std::string body_;
};

// A JSON string literal with its quotes.
std::string JsonQuote(std::string_view text);

}  // namespace scalectl
