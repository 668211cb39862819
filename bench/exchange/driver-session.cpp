#include "driver-session.h"

#include <stdexcept>
#include <utility>

namespace exchange_bench {

using driver::LogicDeviceParamType;

DriverSession::DriverSession(const std::string& connectionType, const std::string& endPoint,
                             const std::string& protocol) {
    if (create(&handle_) != 0 || add_logic_device(handle_, id_) != 0)
        throw std::runtime_error("cannot create a device");
    const std::pair<LogicDeviceParamType, std::string> fields[] = {
        {LogicDeviceParamType::Name, "bench"},      {LogicDeviceParamType::ConnectionType, connectionType},
        {LogicDeviceParamType::EndPoint, endPoint}, {LogicDeviceParamType::BaudRate, "9600"},
        {LogicDeviceParamType::Model, "auto"},      {LogicDeviceParamType::Protocol, protocol}};
    for (const auto& [type, text] : fields) {
        if (set_logic_device_param(handle_, id_, type, text) != 0)
            throw std::runtime_error("cannot configure the logic device");
    }
}

DriverSession::~DriverSession() {
    driver_close(&handle_);
    if (id_ != 0) delete_logic_device(handle_, id_);
    destroy(&handle_);
}

std::int32_t DriverSession::SetProtocol(const std::string& protocol) {
    return set_logic_device_param(handle_, id_, LogicDeviceParamType::Protocol, protocol);
}

std::int32_t DriverSession::Open() {
    return driver_open(&handle_, id_);
}

std::int32_t DriverSession::Close() {
    return driver_close(&handle_);
}

std::int32_t DriverSession::Read(driver::Command command, driver::ParamType result, std::string& value) {
    const std::int32_t code = execute_command(handle_, command);
    if (code != 0) return code;
    return get_param(handle_, result, value);
}

std::string DriverSession::Protocol() {
    std::string protocol;
    get_protocol(handle_, protocol);
    return protocol;
}

}  // namespace exchange_bench
