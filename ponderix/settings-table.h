// The scale's settings the C interface reads and writes by parameter: the service commands of each.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "driver/vocabulary.h"

namespace ponderix {

struct Setting {
    driver::ParamType param;
    driver::Command get;
    std::optional<driver::Command> set;  // none for a setting the scale only reports
};

const Setting* FindSetting(std::int32_t param);
std::span<const Setting> Settings();
const Setting* FindSetting(std::string_view name);

}  // namespace ponderix
