#pragma once

#include <string>
#include <vector>

namespace weighdesk {

// The serial port named on the command line: only "--port NAME" right after the program name,
// matched exactly (no "=" form, case-sensitive). Empty when no port was given.
std::string PortFromArguments(const std::vector<std::string>& arguments);

}  // namespace weighdesk
