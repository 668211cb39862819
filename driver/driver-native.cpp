// The exported interface: every export names itself for the log, runs its work inside
// RunFunction (export-guard.h), which keeps every exception inside the library, and returns the ErrorCase.
#include <utility>

#include "defines.h"
#include "device-manager.h"
#include "driver/driver.h"
#include "export-guard.h"
#include "log/logging.h"

using namespace driver;

namespace {

constexpr std::string_view kUnit = "driver-native";

template <class Work>
std::int32_t RunFunction(const char* logName, ErrorCase& ecase, Work&& work) {
    return RunGuarded(kUnit, logName, ecase, std::forward<Work>(work));
}

// Runs work on the device behind handle, or answers HandleInvalid.
template <class Work>
std::int32_t RunOnDevice(const char* logName, DeviceHandle handle, Work&& work) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction(logName, ecase, [&] {
        auto& manager = DeviceManager::Instance();
        if (!manager.CheckHandle(handle)) {
            ecase = ErrorCase::HandleInvalid;
            return;
        }
        work(manager.Get(handle), ecase);
    });
}

DeviceHandle HandleAt(DeviceHandle* handle) {
    return handle ? *handle : nullptr;
}

}  // namespace

extern "C" {

DRIVER_API std::int32_t create(DeviceHandle* handle) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::create()", ecase, [&] {
        if (handle == nullptr) {
            ecase = ErrorCase::IncorrectArgumnts;
            return;
        }
        *handle = nullptr;
        *handle = DeviceManager::Instance().CreateDevice(ecase);
    });
}

DRIVER_API std::int32_t destroy(DeviceHandle* handle) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::destroy()", ecase, [&] {
        ecase = DeviceManager::Instance().RemoveDevice(HandleAt(handle));
        if (ecase == ErrorCase::Correct) *handle = nullptr;
    });
}

DRIVER_API std::int32_t driver_open(DeviceHandle* handle, LogicDeviceId id) {
    return RunOnDevice("Driver::open()", HandleAt(handle),
                       [&](Device& device, ErrorCase& ecase) { device.Open(id, ecase); });
}

DRIVER_API std::int32_t driver_close(DeviceHandle* handle) {
    return RunOnDevice("Driver::close()", HandleAt(handle),
                       [&](Device& device, ErrorCase& ecase) { device.Close(ecase); });
}

DRIVER_API std::int32_t is_open(DeviceHandle* handle, bool& flag) {
    return RunOnDevice("Driver::is_open()", HandleAt(handle), [&](Device& device, ErrorCase& ecase) {
        const bool open = device.IsOpen(ecase);
        flag = open;
    });
}

DRIVER_API std::int32_t set_param(DeviceHandle handle, const ParamType& ptype, const std::string& value) {
    return RunOnDevice("Driver::set_param()", handle,
                       [&](Device& device, ErrorCase& ecase) { device.SetParam(ptype, value, ecase); });
}

DRIVER_API std::int32_t get_param(DeviceHandle handle, const ParamType& ptype, std::string& value) {
    return RunOnDevice("Driver::get_param()", handle, [&](Device& device, ErrorCase& ecase) {
        std::string result = device.GetParam(ptype, ecase);
        value = std::move(result);
    });
}

DRIVER_API std::int32_t get_input_param(DeviceHandle handle, const ParamType& ptype, std::string& value) {
    return RunOnDevice("Driver::get_input_param()", handle, [&](Device& device, ErrorCase& ecase) {
        std::string result = device.GetInputParam(ptype, ecase);
        value = std::move(result);
    });
}

DRIVER_API std::int32_t set_option(DeviceHandle handle, const Option& option, const std::string& value) {
    return RunOnDevice("Driver::set_option()", handle, [&](Device& device, ErrorCase& ecase) {
        ToString(option);  // an option outside the vocabulary is refused before the device sees it
        device.SetOption(option, value, ecase);
    });
}

DRIVER_API std::int32_t get_option(DeviceHandle handle, const Option& option, std::string& value) {
    return RunOnDevice("Driver::get_option()", handle, [&](Device& device, ErrorCase& ecase) {
        ToString(option);
        std::string result = device.GetOption(option, ecase);
        value = std::move(result);
    });
}

DRIVER_API std::int32_t execute_command(DeviceHandle handle, const Command& command) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::execute_command()", ecase, [&] {
        LogTrace(kUnit, "execute_command(command: @, code [@])", ToString(command), static_cast<std::int32_t>(command));
        auto& manager = DeviceManager::Instance();
        if (!manager.CheckHandle(handle)) {
            ecase = ErrorCase::HandleInvalid;
            return;
        }
        manager.Get(handle).ExecuteCommand(command, ecase);
    });
}

DRIVER_API std::int32_t get_error_case_description(const ErrorCase& err, const std::int32_t& language,
                                                   std::wstring& description) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::get_error_case_description()", ecase, [&] {
        LogTrace(kUnit, "get_error_case_description(err-case: @, language-id: @)", ToString(err), language);
        description = Description(err, language);
    });
}

DRIVER_API std::int32_t change_logging_config_file(const LoggingSettings& settings) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::change_logging_config_file()", ecase,
                       [&] { ecase = logging::ChangeSettings(settings); });
}

DRIVER_API std::int32_t get_data_from_log_config_file(LoggingSettings& settings) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::get_data_from_log_config_file()", ecase,
                       [&] { ecase = logging::ReadSettings(settings); });
}

DRIVER_API std::int32_t LoggingSetMode(const std::uint32_t& mode) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::LoggingSetMode()", ecase, [&] { logging::SetMode(mode); });
}

DRIVER_API std::int32_t GetLoggingPath(std::string& path) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::GetLoggingPath()", ecase, [&] { path = logging::StartedLogFolder(); });
}

DRIVER_API std::int32_t GetCurrentVersion(std::string& version) {
    ErrorCase ecase = ErrorCase::Correct;
    return RunFunction("Driver::GetCurrentVersion()", ecase, [&] { version = PONDERIX_VERSION; });
}

DRIVER_API std::int32_t add_logic_device(DeviceHandle handle, LogicDeviceId& id) {
    return RunOnDevice("Driver::add_logic_device()", handle, [&](Device& device, ErrorCase& ecase) {
        const LogicDeviceId added = device.AddLogicDevice(ecase);
        id = added;
    });
}

DRIVER_API std::int32_t delete_logic_device(DeviceHandle handle, const LogicDeviceId& id) {
    return RunOnDevice("Driver::delete_logic_device()", handle,
                       [&](Device& device, ErrorCase& ecase) { device.DeleteLogicDevice(id, ecase); });
}

DRIVER_API std::int32_t set_logic_device_param(DeviceHandle handle, const LogicDeviceId& id,
                                               const LogicDeviceParamType& ptype, const std::string& value) {
    return RunOnDevice("Driver::set_logic_device_param()", handle,
                       [&](Device& device, ErrorCase& ecase) { device.SetLogicDeviceParam(id, ptype, value, ecase); });
}

DRIVER_API std::int32_t get_logic_device_param(DeviceHandle handle, const LogicDeviceId& id,
                                               const LogicDeviceParamType& ptype, std::string& value) {
    return RunOnDevice("Driver::get_logic_device_param()", handle, [&](Device& device, ErrorCase& ecase) {
        std::string result = device.GetLogicDeviceParam(id, ptype, ecase);
        value = std::move(result);
    });
}

DRIVER_API std::int32_t get_current_logic_device_id(DeviceHandle handle, LogicDeviceId& id) {
    return RunOnDevice("Driver::get_current_logic_device_id()", handle, [&](Device& device, ErrorCase& ecase) {
        const LogicDeviceId current = device.GetCurrentLogicDeviceID(ecase);
        id = current;
    });
}

DRIVER_API std::int32_t set_current_logic_device(DeviceHandle handle, const LogicDeviceId& id) {
    return RunOnDevice("Driver::set_current_logic_device()", handle,
                       [&](Device& device, ErrorCase& ecase) { device.SetCurrentLogicDeviceID(id, ecase); });
}

DRIVER_API std::int32_t get_all_sorted_logic_device_id(DeviceHandle handle, std::vector<LogicDeviceId>& ids) {
    return RunOnDevice("Driver::get_all_sorted_logic_device_id()", handle, [&](Device& device, ErrorCase& ecase) {
        auto sorted = device.GetAllSortedLogiDeviceID(ecase);
        ids = std::move(sorted);
    });
}

DRIVER_API std::int32_t get_protocol(DeviceHandle handle, std::string& protocol) {
    return RunOnDevice("Driver::get_protocol()", handle, [&](Device& device, ErrorCase& ecase) {
        std::string result = device.GetProtocol(ecase);
        protocol = std::move(result);
    });
}

}  // extern "C"
