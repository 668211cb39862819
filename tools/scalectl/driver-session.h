#pragma once

#include <driver/driver.h>

#include <optional>
#include <string>
#include <vector>

namespace scalectl {

// One device handle of the driver for the life of the command; every failure is thrown as CtlError.
class DriverSession {
public:
    DriverSession();
    ~DriverSession();
    DriverSession(const DriverSession&) = delete;
    DriverSession& operator=(const DriverSession&) = delete;

    // Logic devices.
    std::vector<driver::LogicDeviceId> Ids();
    std::optional<driver::LogicDeviceId> CurrentId();
    // Throws LogicDeviceNotFound naming the id when it is not stored.
    void RequireId(driver::LogicDeviceId id);
    // Empty for a field that was never set.
    std::string Field(driver::LogicDeviceId id, driver::LogicDeviceParamType field);
    void SetField(driver::LogicDeviceId id, driver::LogicDeviceParamType field, const std::string& value);
    driver::LogicDeviceId Add();
    void Remove(driver::LogicDeviceId id);
    void Use(driver::LogicDeviceId id);

    // The scale.
    void Open(driver::LogicDeviceId id);
    void Close();
    bool IsOpen();
    std::string Protocol();
    void Execute(driver::Command command);
    std::string Param(driver::ParamType param);
    void SetParam(driver::ParamType param, const std::string& value);

private:
    driver::DeviceHandle handle_ = nullptr;
};

// The scale of one logic device, open for the life of the object. Opening makes the logic device the current
// one; a device chosen with --device is only borrowed, so the earlier current one is restored afterwards.
class ScaleConnection {
public:
    ScaleConnection(DriverSession& session, std::optional<driver::LogicDeviceId> requested);
    ~ScaleConnection();
    ScaleConnection(const ScaleConnection&) = delete;
    ScaleConnection& operator=(const ScaleConnection&) = delete;

    driver::LogicDeviceId id() const { return id_; }

private:
    void RestoreCurrent() noexcept;

    DriverSession& session_;
    driver::LogicDeviceId id_ = 0;
    std::optional<driver::LogicDeviceId> previous_;
};

// The requested logic device, or the current one; throws LogicDeviceNotFound if there is none.
driver::LogicDeviceId ResolveId(DriverSession& session, std::optional<driver::LogicDeviceId> requested);

}  // namespace scalectl
