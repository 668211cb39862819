#include "device-manager.h"

#include "log/logging.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "device-manager";
}

DeviceManager& DeviceManager::Instance() {
    static DeviceManager instance;
    return instance;
}

DeviceHandle DeviceManager::CreateDevice(ErrorCase& ecase) {
    LogTrace(kUnit, "DeviceManager::CreateDevice()");
    Device& device = devices_.emplace_back();
    ecase = ErrorCase::Correct;
    return &device;
}

std::list<Device>::iterator DeviceManager::GetDevicePosition(DeviceHandle handle) {
    LogTrace(kUnit, "DeviceManager::GetDevicePosition()");
    if (handle == nullptr) {
        LogWarning(kUnit, "DeviceManager::GetDevicePosition(), dhandle is nullptr.");
        return devices_.end();
    }
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        if (static_cast<DeviceHandle>(&*it) == handle) return it;
    }
    LogWarning(kUnit, "DeviceManager::GetDevicePosition(), dhandle was not found.");
    return devices_.end();
}

bool DeviceManager::CheckHandle(DeviceHandle handle) {
    const bool found = GetDevicePosition(handle) != devices_.end();
    LogTrace(kUnit, found ? "DeviceManager::CheckHandle():ok" : "DeviceManager::CheckHandle():error");
    return found;
}

Device& DeviceManager::Get(DeviceHandle handle) {
    return *static_cast<Device*>(handle);
}

ErrorCase DeviceManager::RemoveDevice(DeviceHandle handle) {
    if (handle == nullptr) return ErrorCase::HandleNull;
    auto position = GetDevicePosition(handle);
    if (position == devices_.end()) return ErrorCase::HandleDoesNotExist;
    devices_.erase(position);
    return ErrorCase::Correct;
}

}  // namespace driver
