#pragma once

#include <list>

#include "device.h"
#include "driver/driver.h"

namespace driver {

// Process-wide registry of devices; a handle is a device's address, stable while it is listed.
class DeviceManager {
public:
    static DeviceManager& Instance();

    DeviceHandle CreateDevice(ErrorCase& ecase);
    bool CheckHandle(DeviceHandle handle);
    Device& Get(DeviceHandle handle);  // only after CheckHandle
    ErrorCase RemoveDevice(DeviceHandle handle);

private:
    std::list<Device>::iterator GetDevicePosition(DeviceHandle handle);

    std::list<Device> devices_;
};

}  // namespace driver
