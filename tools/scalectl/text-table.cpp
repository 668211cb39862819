#include "text-table.h"

#include <algorithm>

#include "log-cause.h"

namespace scalectl {

std::size_t DisplayWidth(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string FormatTable(const std::vector<TableRow>& given) {
    // A stored name may hold anything: control characters are shown, never sent to the terminal.
    std::vector<TableRow> rows = given;
    for (auto& row : rows) {
        for (auto& cell : row) cell = EscapeControls(cell);
    }
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (widths.size() < row.size()) widths.resize(row.size(), 0);
        for (std::size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    }
    std::string out;
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            line += row[i];
            if (i + 1 < row.size()) line.append(widths[i] - DisplayWidth(row[i]) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out += line + '\n';
    }
    return out;
}

std::string TableText(const std::vector<TableRow>& rows) {
    auto text = FormatTable(rows);
    if (!text.empty()) text.pop_back();
    return text;
}

}  // namespace scalectl
