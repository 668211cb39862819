#include "json-line.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace jsonline {

std::string JsonQuote(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                    out += escaped;
                } else {
                    out += c;  // UTF-8 passes through unchanged
                }
        }
    }
    return out + "\"";
}

std::string JsonArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (const auto& item : items) {
        if (out.size() > 1) out += ',';
        out += item;
    }
    return out + "]";
}

JsonLine& JsonLine::Json(std::string_view key, std::string_view json) {
    if (!body_.empty()) body_ += ',';
    body_ += JsonQuote(key);
    body_ += ':';
    body_ += json;
    return *this;
}

JsonLine& JsonLine::Text(std::string_view key, std::string_view value) {
    return Json(key, JsonQuote(value));
}

JsonLine& JsonLine::TextOrNull(std::string_view key, const std::optional<std::string>& value) {
    return value ? Text(key, *value) : Null(key);
}

JsonLine& JsonLine::Number(std::string_view key, double value) {
    // JSON has no NaN or infinity.
    if (!std::isfinite(value)) return Null(key);
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (ec != std::errc{}) return Null(key);
    return Json(key, std::string_view(buffer, static_cast<std::size_t>(end - buffer)));
}

JsonLine& JsonLine::NumberOrNull(std::string_view key, const std::optional<double>& value) {
    return value ? Number(key, *value) : Null(key);
}

JsonLine& JsonLine::Integer(std::string_view key, std::int64_t value) {
    return Json(key, std::to_string(value));
}

JsonLine& JsonLine::Bool(std::string_view key, bool value) {
    return Json(key, value ? "true" : "false");
}

JsonLine& JsonLine::Null(std::string_view key) {
    return Json(key, "null");
}

}  // namespace jsonline
