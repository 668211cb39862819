#pragma once

#include <cstdint>
#include <string>

#include <driver/driver.h>

namespace exchange_bench {

// A device behind the exported interface with one logic device of its own.
class DriverSession {
public:
    DriverSession(const std::string& connectionType, const std::string& endPoint, const std::string& protocol);
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    std::int32_t SetProtocol(const std::string& protocol);
    std::int32_t Open();
    std::int32_t Close();
    // One reading as a caller makes it: the command, then the value it produced.
    std::int32_t Read(driver::Command command, driver::ParamType result, std::string& value);
    std::string Protocol();
    driver::DeviceHandle Handle() const { return handle_; }

private:
    driver::DeviceHandle handle_ = nullptr;
    driver::LogicDeviceId id_ = 0;
};

}  // namespace exchange_bench
