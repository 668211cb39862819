#include "error-text.h"

#include "driver/error-names.h"

#include <algorithm>
#include <array>

namespace scalectl {

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x110000) {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        AppendUtf8(out, 0xFFFD);
    }
}

}  // namespace

std::string ErrorCaseName(std::int32_t ecase) {
    const std::string_view name = driver::ErrorCaseName(static_cast<driver::ErrorCase>(ecase));
    return name.empty() ? "ErrorCase" + std::to_string(ecase) : std::string(name);
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto cp = static_cast<char32_t>(text[i]);
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            auto low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::string ErrorLine(driver::ErrorCase ecase, std::int32_t language, std::string_view detail) {
    const auto number = static_cast<std::int32_t>(ecase);
    std::wstring description;
    get_error_case_description(ecase, language, description);
    std::string line = "error " + std::to_string(number) + " (" + ErrorCaseName(number) + ")";
    // Some codes have no text in a language; the identifier alone still names the failure.
    if (!description.empty()) line += ": " + ToUtf8(description);
    if (!detail.empty()) line += ": " + std::string(detail);
    return line;
}

JsonLine ErrorJson(driver::ErrorCase ecase, std::int32_t language, std::string_view cause) {
    const auto number = static_cast<std::int32_t>(ecase);
    std::wstring description;
    get_error_case_description(ecase, language, description);
    JsonLine json;
    json.Integer("code", number).Text("name", ErrorCaseName(number)).Text("description", ToUtf8(description));
    if (cause.empty()) {
        json.Null("cause");
    } else {
        json.Text("cause", cause);
    }
    return json;
}

int ExitStatus(driver::ErrorCase ecase) {
    const auto number = static_cast<std::int32_t>(ecase);
    if (number == 0) return 0;
    return std::clamp(number, 1, 125);
}

}  // namespace scalectl
