#include "context.h"

#include <iostream>

#include "log-cause.h"

namespace scalectl {

void Context::Emit(const JsonLine& json, const std::string& human) const {
    if (options.json) {
        std::cout << json.str() << '\n';
    } else if (!human.empty()) {
        std::cout << EscapeControls(human) << '\n';
    }
    std::cout.flush();
}

void Context::EmitTable(const std::vector<TableRow>& rows) const {
    std::cout << FormatTable(rows);
    std::cout.flush();
}

}  // namespace scalectl
