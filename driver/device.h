#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands/command-context.h"
#include "device-resources.h"
#include "driver/driver.h"
#include "transport/connection.h"

namespace driver {

class LogicDeviceManager;

// What a device takes from its logic device at open.
struct DeviceConfiguration {
    std::string connectionType;  // "Serial Port" or "TCP"
    std::string endPoint;
    std::string baudRate;
    std::string model;
    std::string protocol;
};

// One scale behind a handle: parameters, its logic-device registry and, once opened, a connection.
// Its commands run against it as their CommandContext.
class Device : public CommandContext {
public:
    Device();  // throws DriverError when the logic-device registry cannot be built
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    void Open(LogicDeviceId id, ErrorCase& ecase);
    // Opens an end point without a logic device: nothing is stored.
    void OpenEndPoint(const DeviceConfiguration& configuration, ErrorCase& ecase);
    bool IsOpen(ErrorCase& ecase);
    void Close(ErrorCase& ecase);
    void ExecuteCommand(Command command, ErrorCase& ecase) override;
    std::string GetProtocol(ErrorCase& ecase);
    std::shared_ptr<Connection> GetConnection() const override { return connection_; }

    void SetParam(ParamType ptype, const std::string& value, ErrorCase& ecase);
    std::string GetParam(ParamType ptype, ErrorCase& ecase) override;
    std::string GetInputParam(ParamType ptype, ErrorCase& ecase) override;
    void SetOption(Option option, const std::string& value, ErrorCase& ecase);
    std::string GetOption(Option option, ErrorCase& ecase);

    LogicDeviceId AddLogicDevice(ErrorCase& ecase);
    void DeleteLogicDevice(LogicDeviceId id, ErrorCase& ecase);
    void SetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType ptype, const std::string& value, ErrorCase& ecase);
    std::string GetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType ptype, ErrorCase& ecase);
    LogicDeviceId GetCurrentLogicDeviceID(ErrorCase& ecase);
    void SetCurrentLogicDeviceID(LogicDeviceId id, ErrorCase& ecase);
    std::vector<LogicDeviceId> GetAllSortedLogiDeviceID(ErrorCase& ecase);

    // Seams used by Open and by tests that drive a device over a scripted connection.
    void Configure(const DeviceConfiguration& configuration);
    void UseConnection(std::shared_ptr<Connection> connection) { connection_ = std::move(connection); }
    void SetScaleModel(const std::string& model) { scaleModel_ = model; }

    // Runs a command without mapping or checks (used by Open and by composite executors' sub-commands).
    void RunCommand(Command command, ErrorCase& ecase);

private:
    // Opens the configured line, detects the protocol and checks the model; what is found goes into
    // the logic device storeTo, if any.
    void Connect(std::optional<LogicDeviceId> storeTo, ErrorCase& ecase);
    void OpenSerial(ErrorCase& ecase);
    void OpenTcp(ErrorCase& ecase);
    void ConfigureSerialLine(ErrorCase& ecase);

    Parameters parameters_;
    DeviceConfiguration config_;
    std::string tcpService_ = "77";
    std::shared_ptr<Connection> connection_;
    std::string scaleModel_;
    std::unique_ptr<LogicDeviceManager> logicDevices_;
};

}  // namespace driver
