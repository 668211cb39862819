#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scalectl {

using TableRow = std::vector<std::string>;

// Control characters in cells are escaped (EscapeControls).
// Rows as left-aligned columns two blanks apart, each line ending in a line feed; no trailing blanks.
// Widths count characters, not bytes, so UTF-8 texts line up.
std::string FormatTable(const std::vector<TableRow>& rows);

// The same without the last line feed, for printing as one block.
std::string TableText(const std::vector<TableRow>& rows);

// Characters of a UTF-8 text.
std::size_t DisplayWidth(std::string_view text);

}  // namespace scalectl
