#include "port-argument.h"

namespace weighdesk {

std::string PortFromArguments(const std::vector<std::string>& arguments) {
    // arguments[0] is the program itself.
    if (arguments.size() < 3 || arguments[1] != "--port") return {};
    return arguments[2];
}

}  // namespace weighdesk
