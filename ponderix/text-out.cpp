#include "text-out.h"

#include <boost/locale/encoding_utf.hpp>
#include <algorithm>
#include <cstring>

namespace ponderix {

driver::ErrorCase WriteText(std::string_view text, char* buffer, std::size_t size, std::size_t* length) {
    if (length != nullptr) *length = text.size();
    if (buffer == nullptr) return size == 0 ? driver::ErrorCase::Correct : driver::ErrorCase::IncorrectArgumnts;
    if (size == 0) return driver::ErrorCase::IncorrectArgumnts;
    const std::size_t copied = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), copied);
    buffer[copied] = '\0';
    return copied == text.size() ? driver::ErrorCase::Correct : driver::ErrorCase::IncorrectArgumnts;
}

std::optional<std::string> InputText(const char* text) {
    if (text == nullptr) return std::nullopt;
    std::string value(text);
    try {
        // The stop policy throws at the first byte that is not UTF-8.
        boost::locale::conv::utf_to_utf<char>(value, boost::locale::conv::stop);
    } catch (const boost::locale::conv::conversion_error&) {
        return std::nullopt;
    }
    return value;
}

}  // namespace ponderix
