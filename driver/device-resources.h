#pragma once

#include <map>
#include <string>

#include "driver/driver.h"

namespace driver {

// Per-device store: what the caller set (input) and what the last command produced (output).
class Parameters {
public:
    void SetParamInput(ParamType ptype, const std::string& value);
    void SetParamOutput(ParamType ptype, const std::string& value);
    std::string GetParamInput(ParamType ptype, ErrorCase& ecase) const;
    std::string GetParamOutput(ParamType ptype, ErrorCase& ecase) const;

private:
    struct Entry {
        std::string input;
        std::string output;
    };
    std::map<ParamType, Entry> entries_;
};

}  // namespace driver
