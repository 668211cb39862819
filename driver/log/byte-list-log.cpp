#include "log/byte-list-log.h"

namespace driver {

std::string ByteListText(std::string_view title, const ByteVector& bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(title.size() + 15 + bytes.size() * 6);
    text.append(title).append("\nByte vector: ");
    for (std::uint8_t byte : bytes) {
        text += "0x";
        text += kHex[byte >> 4];
        text += kHex[byte & 0x0F];
        text += ", ";
    }
    text += '\n';
    return text;
}

void TraceBare(std::string_view line) {
    if (TraceEnabled()) logging::Write(LogLevel::Trace, std::string(line));
}

}  // namespace driver
