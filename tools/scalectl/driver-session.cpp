#include "driver-session.h"

#include <algorithm>

#include "ctl-error.h"
#include "log-cause.h"

namespace scalectl {

using driver::ErrorCase;

DriverSession::DriverSession() {
    MarkLog();
    Check(create(&handle_), "cannot create a driver device");
}

DriverSession::~DriverSession() {
    if (handle_ != nullptr) destroy(&handle_);
}

std::vector<driver::LogicDeviceId> DriverSession::Ids() {
    std::vector<driver::LogicDeviceId> ids;
    MarkLog();
    Check(get_all_sorted_logic_device_id(handle_, ids));
    return ids;
}

std::optional<driver::LogicDeviceId> DriverSession::CurrentId() {
    driver::LogicDeviceId id = 0;
    MarkLog();
    const auto result = get_current_logic_device_id(handle_, id);
    if (result == static_cast<std::int32_t>(ErrorCase::LogicDeviceNotFound)) return std::nullopt;
    Check(result);
    // A deleted logic device may still be remembered as current.
    const auto ids = Ids();
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) return std::nullopt;
    return id;
}

void DriverSession::RequireId(driver::LogicDeviceId id) {
    const auto ids = Ids();
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) {
        throw CtlError(ErrorCase::LogicDeviceNotFound, "no logic device with id " + std::to_string(id));
    }
}

std::string DriverSession::Field(driver::LogicDeviceId id, driver::LogicDeviceParamType field) {
    std::string value;
    MarkLog();
    const auto result = get_logic_device_param(handle_, id, field, value);
    if (result == static_cast<std::int32_t>(ErrorCase::ParamTypeIsNotSetToGet)) return {};
    Check(result);
    return value;
}

void DriverSession::SetField(driver::LogicDeviceId id, driver::LogicDeviceParamType field, const std::string& value) {
    MarkLog();
    Check(set_logic_device_param(handle_, id, field, value));
}

driver::LogicDeviceId DriverSession::Add() {
    driver::LogicDeviceId id = 0;
    MarkLog();
    Check(add_logic_device(handle_, id));
    return id;
}

void DriverSession::Remove(driver::LogicDeviceId id) {
    MarkLog();
    Check(delete_logic_device(handle_, id));
}

void DriverSession::Use(driver::LogicDeviceId id) {
    MarkLog();
    Check(set_current_logic_device(handle_, id));
}

void DriverSession::Open(driver::LogicDeviceId id) {
    MarkLog();
    Check(driver_open(&handle_, id));
}

void DriverSession::Close() {
    driver_close(&handle_);
}

bool DriverSession::IsOpen() {
    bool open = false;
    return is_open(&handle_, open) == 0 && open;
}

std::string DriverSession::Protocol() {
    std::string protocol;
    MarkLog();
    Check(get_protocol(handle_, protocol));
    return protocol;
}

void DriverSession::Execute(driver::Command command) {
    MarkLog();
    Check(execute_command(handle_, command));
}

std::string DriverSession::Param(driver::ParamType param) {
    std::string value;
    MarkLog();
    Check(get_param(handle_, param, value));
    return value;
}

void DriverSession::SetParam(driver::ParamType param, const std::string& value) {
    MarkLog();
    Check(set_param(handle_, param, value));
}

driver::LogicDeviceId ResolveId(DriverSession& session, std::optional<driver::LogicDeviceId> requested) {
    if (requested) {
        session.RequireId(*requested);
        return *requested;
    }
    if (auto current = session.CurrentId()) return *current;
    throw CtlError(ErrorCase::LogicDeviceNotFound, "no current logic device; choose one with \"device use ID\"");
}

ScaleConnection::ScaleConnection(DriverSession& session, std::optional<driver::LogicDeviceId> requested)
    : session_(session), id_(ResolveId(session, requested)) {
    const auto current = session.CurrentId();
    if (current != id_) previous_ = current;
    try {
        session_.Open(id_);
    } catch (...) {
        session_.Close();
        RestoreCurrent();
        throw;
    }
}

ScaleConnection::~ScaleConnection() {
    session_.Close();
    RestoreCurrent();
}

void ScaleConnection::RestoreCurrent() noexcept {
    if (!previous_) return;
    try {
        session_.Use(*previous_);
    } catch (...) {
        // The scale's work is done either way; the current mark is a convenience.
    }
}

}  // namespace scalectl
