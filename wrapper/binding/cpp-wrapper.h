// Run-time binding of libdriver.so: its 25 exports resolved by name, and the process-wide
// instance that the terminal and the facade use. Header-only.
#pragma once

#include <dlfcn.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "cpp-wrapper-defines.h"

namespace Norvell::Balvex::CppWrapper {

// Pointer types of the exports; every export returns its ErrorCase as a 32-bit integer.
namespace Export {
using Create = std::int32_t (*)(DeviceHandle*);
using Destroy = std::int32_t (*)(DeviceHandle*);
using Open = std::int32_t (*)(DeviceHandle*, LogicDeviceId);
using IsOpen = std::int32_t (*)(DeviceHandle*, bool&);
using Close = std::int32_t (*)(DeviceHandle*);
using SetParam = std::int32_t (*)(DeviceHandle, const ParamType&, const std::string&);
using GetParam = std::int32_t (*)(DeviceHandle, const ParamType&, std::string&);
using SetOption = std::int32_t (*)(DeviceHandle, const Option&, const std::string&);
using GetOption = std::int32_t (*)(DeviceHandle, const Option&, std::string&);
using ExecuteCommand = std::int32_t (*)(DeviceHandle, const Command&);
using ErrorCaseDescription = std::int32_t (*)(const ErrorCase&, const std::int32_t&, std::wstring&);
using ChangeLoggingConfig = std::int32_t (*)(const LoggingSettings&);
using ReadLoggingConfig = std::int32_t (*)(LoggingSettings&);
using LoggingSetMode = std::int32_t (*)(const std::uint32_t&);
using TextOut = std::int32_t (*)(std::string&);
using AddLogicDevice = std::int32_t (*)(DeviceHandle, LogicDeviceId&);
using LogicDeviceIdIn = std::int32_t (*)(DeviceHandle, const LogicDeviceId&);
using SetLogicDeviceParam = std::int32_t (*)(DeviceHandle, const LogicDeviceId&, const LogicDeviceParamType&,
                                             const std::string&);
using GetLogicDeviceParam = std::int32_t (*)(DeviceHandle, const LogicDeviceId&, const LogicDeviceParamType&,
                                             std::string&);
using LogicDeviceIdOut = std::int32_t (*)(DeviceHandle, LogicDeviceId&);
using AllLogicDeviceIds = std::int32_t (*)(DeviceHandle, std::vector<LogicDeviceId>&);
using GetProtocol = std::int32_t (*)(DeviceHandle, std::string&);
}  // namespace Export

inline constexpr const char* kWrapperPrefix = "Norvell::Balvex::CppWrapper::cpp-wrapper, ";

class Library {
public:
    // Takes the module; resolves every export by plain name, in this order.
    explicit Library(void* module) : module_(module) {
        Resolve("create", create);
        Resolve("destroy", destroy);
        Resolve("open", open);
        Resolve("is_open", is_open);
        Resolve("close", close);
        Resolve("set_param", set_param);
        Resolve("get_param", get_param);
        Resolve("get_input_param", get_input_param);
        Resolve("set_option", set_option);
        Resolve("get_option", get_option);
        Resolve("execute_command", execute_command);
        Resolve("get_error_case_description", get_error_case_description);
        Resolve("change_logging_config_file", change_logging_config_file);
        Resolve("get_data_from_log_config_file", get_data_from_log_config_file);
        Resolve("LoggingSetMode", LoggingSetMode);
        Resolve("GetLoggingPath", GetLoggingPath);
        Resolve("GetCurrentVersion", GetCurrentVersion);
        Resolve("add_logic_device", add_logic_device);
        Resolve("delete_logic_device", delete_logic_device);
        Resolve("set_logic_device_param", set_logic_device_param);
        Resolve("get_logic_device_param", get_logic_device_param);
        Resolve("get_current_logic_device_id", get_current_logic_device_id);
        Resolve("set_current_logic_device", set_current_logic_device);
        Resolve("get_all_sorted_logic_device_id", get_all_sorted_logic_device_id);
        Resolve("get_protocol", get_protocol);
    }
    ~Library() {
        if (module_ != nullptr) dlclose(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    Export::Create create = nullptr;
    Export::Destroy destroy = nullptr;
    Export::Open open = nullptr;
    Export::IsOpen is_open = nullptr;
    Export::Close close = nullptr;
    Export::SetParam set_param = nullptr;
    Export::GetParam get_param = nullptr;
    Export::GetParam get_input_param = nullptr;
    Export::SetOption set_option = nullptr;
    Export::GetOption get_option = nullptr;
    Export::ExecuteCommand execute_command = nullptr;
    Export::ErrorCaseDescription get_error_case_description = nullptr;
    Export::ChangeLoggingConfig change_logging_config_file = nullptr;
    Export::ReadLoggingConfig get_data_from_log_config_file = nullptr;
    Export::LoggingSetMode LoggingSetMode = nullptr;
    Export::TextOut GetLoggingPath = nullptr;
    Export::TextOut GetCurrentVersion = nullptr;
    Export::AddLogicDevice add_logic_device = nullptr;
    Export::LogicDeviceIdIn delete_logic_device = nullptr;
    Export::SetLogicDeviceParam set_logic_device_param = nullptr;
    Export::GetLogicDeviceParam get_logic_device_param = nullptr;
    Export::LogicDeviceIdOut get_current_logic_device_id = nullptr;
    Export::LogicDeviceIdIn set_current_logic_device = nullptr;
    Export::AllLogicDeviceIds get_all_sorted_logic_device_id = nullptr;
    Export::GetProtocol get_protocol = nullptr;

private:
    template <typename Pointer>
    void Resolve(const char* name, Pointer& pointer) {
        void* symbol = dlsym(module_, name);
        if (symbol == nullptr) {
            throw std::runtime_error(std::string("[cpp-wrapper]: Library::Library(), method ") + name + "() not found");
        }
        pointer = reinterpret_cast<Pointer>(symbol);
    }

    void* module_;
};

namespace Detail {
inline std::unique_ptr<Library>& StoredLibrary() {
    static std::unique_ptr<Library> library;
    return library;
}
}  // namespace Detail

// Loads the library at path and binds it. Throws logic_error when the library cannot be
// loaded or the process-wide instance exists, runtime_error when an export is missing.
inline std::unique_ptr<Library> Open(const std::string& path) {
    const std::string prefix = kWrapperPrefix;
    if (Detail::StoredLibrary()) {
        throw std::logic_error(prefix + ", void Open(...), library is already open, can't reopen.");
    }
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
        const char* reason = dlerror();
        if (reason != nullptr && *reason != '\0') {
            throw std::logic_error(prefix + ", void Open(...), Can't find library by path { " + path + " }");
        }
        throw std::logic_error(prefix + ", void Open(...), Error loading library: unknown error");
    }
    try {
        return std::make_unique<Library>(module);
    } catch (...) {
        dlclose(module);
        throw;
    }
}

// The process-wide binding of "libdriver.so", opened on first use. Takes no lock: the GUI
// thread calls it first (the facade binds at start-up), before any worker exists.
inline Library& GetLibrary() {
    auto& stored = Detail::StoredLibrary();
    if (!stored) {
        auto opened = Open("libdriver.so");
        stored = std::move(opened);
    }
    return *stored;
}

// The log folder through GetLoggingPath, with its result. A library that cannot be bound
// answers UnknownExceptionWasCaught and an empty path instead of throwing.
inline std::pair<std::string, ErrorCase> LoggingPath() noexcept {
    try {
        static std::string buffer;
        const auto code = static_cast<ErrorCase>(GetLibrary().GetLoggingPath(buffer));
        return {buffer, code};
    } catch (...) {
        return {std::string(), ErrorCase::UnknownExceptionWasCaught};
    }
}

// The Russian description of a result code for the user; empty when the library cannot be
// bound or has no text for the code.
inline std::wstring ErrorCaseDescription(ErrorCase ecase) noexcept {
    try {
        std::wstring description;
        const std::int32_t russian = static_cast<std::int32_t>(Language::Russian);
        GetLibrary().get_error_case_description(ecase, russian, description);
        return description;
    } catch (...) {
        return std::wstring();
    }
}

}  // namespace Norvell::Balvex::CppWrapper
