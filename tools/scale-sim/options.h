#pragma once

#include <string>
#include <variant>
#include <vector>

#include "scale-state.h"

namespace scale_sim {

struct Options {
    enum class Line { Pty, Tcp };
    Line line = Line::Pty;
    std::string link;         // --link: symlink to the pty slave
    std::string tcp_address;  // --tcp HOST:PORT
    RetailProtocol protocol = RetailProtocol::Pos;
    bool pro = true;
    bool wire_time = false;
    int baud = 9600;
    int interval_ms = 100;
    bool log = false;
    bool stay = false;  // keep serving after the end of standard input
    bool help = false;
};

// The options, or the text of what is wrong with them.
std::variant<Options, std::string> ParseOptions(const std::vector<std::string>& args);

std::string HelpText();

}  // namespace scale_sim
