// The pure text side of log-cause.h, shared with the unit tests.
#include "log-cause.h"

namespace scalectl {

std::string CauseOfLogLine(std::string_view line) {
    // "[2026-12-07 00:30:35.123] [error] message"
    const auto levelStart = line.find("] [");
    if (line.empty() || line.front() != '[' || levelStart == std::string_view::npos) return {};
    const auto levelEnd = line.find("] ", levelStart + 3);
    if (levelEnd == std::string_view::npos) return {};
    const auto level = line.substr(levelStart + 3, levelEnd - levelStart - 3);
    if (level != "error" && level != "critical") return {};
    std::string_view text = line.substr(levelEnd + 2);
    constexpr std::string_view kPrefix = "Norvell::Balvex::Driver::";
    if (text.substr(0, kPrefix.size()) == kPrefix) {
        const auto comma = text.find(", ");
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 2);
    }
    // The driver's summary of every failed call only repeats the code.
    if (text.find(", ended with ") != std::string_view::npos || text.find("RunFunction() catch") == 0) return {};
    // "Class::Call(), text" or "Class::Call(...), text": a call without its arguments tells the user nothing.
    for (const std::string_view call : {std::string_view("(), "), std::string_view("(...), ")}) {
        const auto at = text.find(call);
        if (at != std::string_view::npos && at > 0 && text.substr(0, at).find(' ') == std::string_view::npos) {
            text = text.substr(at + call.size());
            break;
        }
    }
    return std::string(text);
}

std::string EscapeControls(std::string_view text) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // U+0080..U+009F arrive as C2 80..C2 9F.
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += kDigits[c >> 4];
            out += kDigits[c & 0x0f];
        } else if (c1) {
            const auto code = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += kDigits[code >> 4];
            out += kDigits[code & 0x0f];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace scalectl
