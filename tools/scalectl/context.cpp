#include "context.h"

#include <iostream>

#include "log-cause.h"

namespace scalectl {
namespace {

// Our own layout's line breaks stay; whatever else could drive the terminal is escaped.
std::string EscapeLines(const std::string& text) {
    std::string out;
    std::size_t start = 0;
    for (auto end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        out += EscapeControls(std::string_view(text).substr(start, end - start));
        out += '\n';
        start = end + 1;
    }
    return out + EscapeControls(std::string_view(text).substr(start));
}

}  // namespace

void Context::Emit(const JsonLine& json, const std::string& human) const {
    if (options.json) {
        std::cout << json.str() << '\n';
    } else if (!human.empty()) {
        std::cout << EscapeLines(human) << '\n';
    }
    std::cout.flush();
}

void Context::EmitTable(const std::vector<TableRow>& rows) const {
    std::cout << FormatTable(rows);
    std::cout.flush();
}

}  // namespace scalectl
