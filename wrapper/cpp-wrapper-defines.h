// The driver's vocabulary as the wrapper and the terminal see it: the very types of libdriver.so's
// interface, so their numbers cannot drift apart.
#pragma once

#include "driver/vocabulary.h"

namespace Norvell::Balvex::CppWrapper {

using driver::Command;
using driver::DeviceHandle;
using driver::ErrorCase;
using driver::Language;
using driver::LoggingSettings;
using driver::LogicDeviceId;
using driver::LogicDeviceParamType;
using driver::Option;
using driver::ParamType;

}  // namespace Norvell::Balvex::CppWrapper
