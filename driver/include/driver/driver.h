// Public interface of libdriver.so: the vocabulary and the 25 exports.
// Callers must be built with the same toolchain: texts cross as std::string.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#define DRIVER_API __attribute__((visibility("default")))

#include "vocabulary.h"

extern "C" {
DRIVER_API std::int32_t create(driver::DeviceHandle* handle);
DRIVER_API std::int32_t destroy(driver::DeviceHandle* handle);
DRIVER_API std::int32_t is_open(driver::DeviceHandle* handle, bool& flag);
DRIVER_API std::int32_t set_param(driver::DeviceHandle handle, const driver::ParamType& ptype,
                                  const std::string& value);
DRIVER_API std::int32_t get_param(driver::DeviceHandle handle, const driver::ParamType& ptype, std::string& value);
DRIVER_API std::int32_t get_input_param(driver::DeviceHandle handle, const driver::ParamType& ptype,
                                        std::string& value);
DRIVER_API std::int32_t set_option(driver::DeviceHandle handle, const driver::Option& option, const std::string& value);
DRIVER_API std::int32_t get_option(driver::DeviceHandle handle, const driver::Option& option, std::string& value);
DRIVER_API std::int32_t execute_command(driver::DeviceHandle handle, const driver::Command& command);
DRIVER_API std::int32_t get_error_case_description(const driver::ErrorCase& ecase, const std::int32_t& language,
                                                   std::wstring& description);
DRIVER_API std::int32_t change_logging_config_file(const driver::LoggingSettings& settings);
DRIVER_API std::int32_t get_data_from_log_config_file(driver::LoggingSettings& settings);
DRIVER_API std::int32_t LoggingSetMode(const std::uint32_t& mode);
DRIVER_API std::int32_t GetLoggingPath(std::string& path);
DRIVER_API std::int32_t GetCurrentVersion(std::string& version);
DRIVER_API std::int32_t add_logic_device(driver::DeviceHandle handle, driver::LogicDeviceId& id);
DRIVER_API std::int32_t delete_logic_device(driver::DeviceHandle handle, const driver::LogicDeviceId& id);
DRIVER_API std::int32_t set_logic_device_param(driver::DeviceHandle handle, const driver::LogicDeviceId& id,
                                               const driver::LogicDeviceParamType& ptype, const std::string& value);
DRIVER_API std::int32_t get_logic_device_param(driver::DeviceHandle handle, const driver::LogicDeviceId& id,
                                               const driver::LogicDeviceParamType& ptype, std::string& value);
DRIVER_API std::int32_t get_current_logic_device_id(driver::DeviceHandle handle, driver::LogicDeviceId& id);
DRIVER_API std::int32_t set_current_logic_device(driver::DeviceHandle handle, const driver::LogicDeviceId& id);
DRIVER_API std::int32_t get_all_sorted_logic_device_id(driver::DeviceHandle handle,
                                                       std::vector<driver::LogicDeviceId>& ids);
DRIVER_API std::int32_t get_protocol(driver::DeviceHandle handle, std::string& protocol);
}

#define DRIVER_VERSION_NODE "DRIVER_1"

// "open" and "close" are exported under the default version DRIVER_1, so a run-time binder finds
// them with a plain dlsym, while nobody's versioned reference to the C library's open/close can
// reach them. C++ code uses the names driver_open and driver_close.
#ifdef DRIVER_BUILDING_LIBRARY
extern "C" {
DRIVER_API std::int32_t driver_open(driver::DeviceHandle* handle, driver::LogicDeviceId id);
DRIVER_API std::int32_t driver_close(driver::DeviceHandle* handle);
}
// "@@@" renames: the library defines them only under the exported names.
__asm__(".symver driver_open, open@@@DRIVER_1");
__asm__(".symver driver_close, close@@@DRIVER_1");
#else
#include <dlfcn.h>

// A program linked with libdriver.so must not name "open" or "close" at link time: the linker
// would bind the program's own open/close to the first library defining them. It finds the two
// exports in the loaded libdriver.so instead, and links the C library first (the CMake target
// arranges that).
namespace driver::detail {
template <typename Function>
Function LoadedExport(const char* name) {
    return reinterpret_cast<Function>(dlvsym(RTLD_DEFAULT, name, DRIVER_VERSION_NODE));
}
}  // namespace driver::detail

inline std::int32_t driver_open(driver::DeviceHandle* handle, driver::LogicDeviceId id) {
    using Open = std::int32_t (*)(driver::DeviceHandle*, driver::LogicDeviceId);
    static const Open open = driver::detail::LoadedExport<Open>("open");
    if (open == nullptr) return static_cast<std::int32_t>(driver::ErrorCase::UnknownExceptionWasCaught);
    return open(handle, id);
}

inline std::int32_t driver_close(driver::DeviceHandle* handle) {
    using Close = std::int32_t (*)(driver::DeviceHandle*);
    static const Close close = driver::detail::LoadedExport<Close>("close");
    if (close == nullptr) return static_cast<std::int32_t>(driver::ErrorCase::UnknownExceptionWasCaught);
    return close(handle);
}
#endif
