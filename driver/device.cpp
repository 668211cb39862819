#include "device.h"

#include <algorithm>
#include <stdexcept>

#include "commands/command-executor.h"
#include "commands/protocol-table.h"
#include "defines.h"
#include "log/logging.h"
#include "store/logic-devices.h"
#include "transport/serial-port-connection.h"
#include "transport/tcp-connection.h"

namespace driver {

namespace {
constexpr std::string_view kUnit = "device";
constexpr std::string_view kSerialPort = "Serial Port";
constexpr std::string_view kTcp = "TCP";
constexpr std::string_view kNotProModel = "Not Pro model";

// Closed before the new one opens: a refused open must not leave commands going to the old end point.
void CloseAndDrop(std::shared_ptr<Connection>& connection) {
    const std::shared_ptr<Connection> previous = std::move(connection);
    if (previous) previous->Close();
}

std::string HexByte(unsigned char byte) {
    static constexpr char kDigits[] = "0123456789abcdef";
    return {kDigits[byte >> 4], kDigits[byte & 0x0f]};
}
}  // namespace

Device::Device() {
    LogTrace(kUnit, "Device::Device()");
    logicDevices_ = std::make_unique<LogicDeviceManager>();
}

Device::~Device() {
    if (!connection_) return;
    try {
        connection_->Close();
    } catch (const std::exception& error) {
        // A destructor must not throw: the handle is gone either way, so the failure is only logged.
        LogError(kUnit, "Device::~Device(), closing the connection failed: @", error.what());
    }
}

void Device::Configure(const DeviceConfiguration& configuration) {
    config_ = configuration;
}

void Device::Open(LogicDeviceId id, ErrorCase& ecase) {
    LogInfo(kUnit, "Device::Open(), device id is [@]", id);
    logicDevices_->GetLogicDevice(id, ecase);
    if (ecase != ErrorCase::Correct) return;
    logicDevices_->AreAllParametersSet(id, ecase);
    if (ecase != ErrorCase::Correct) return;
    logicDevices_->SetCurrentLogicDevice(id, ecase);
    if (ecase != ErrorCase::Correct) return;

    const LogicDeviceId current = logicDevices_->GetCurrentLogicDeviceID(ecase);
    if (ecase != ErrorCase::Correct) return;
    DeviceConfiguration loaded;
    for (auto [type, field] : {std::pair{LogicDeviceParamType::ConnectionType, &loaded.connectionType},
                               std::pair{LogicDeviceParamType::EndPoint, &loaded.endPoint},
                               std::pair{LogicDeviceParamType::BaudRate, &loaded.baudRate},
                               std::pair{LogicDeviceParamType::Model, &loaded.model},
                               std::pair{LogicDeviceParamType::Protocol, &loaded.protocol}}) {
        *field = logicDevices_->GetLogicDeviceParam(current, type, ecase);
        if (ecase != ErrorCase::Correct) return;
    }
    Configure(loaded);
    Connect(current, ecase);
}

void Device::OpenEndPoint(const DeviceConfiguration& configuration, ErrorCase& ecase) {
    LogInfo(kUnit, "Device::OpenEndPoint(), end point [@], protocol [@], model [@]", configuration.endPoint,
            configuration.protocol, configuration.model);
    Configure(configuration);
    Connect(std::nullopt, ecase);
}

void Device::Connect(std::optional<LogicDeviceId> storeTo, ErrorCase& ecase) {
    CloseAndDrop(connection_);
    if (config_.connectionType == kSerialPort) {
        OpenSerial(ecase);
    } else if (config_.connectionType == kTcp) {
        OpenTcp(ecase);
    } else {
        LogError(kUnit, "Device::Open(), unsupported connection type [@]", config_.connectionType);
        ecase = ErrorCase::ParamValueUnsupported;
    }
    if (ecase != ErrorCase::Correct) {
        CloseAndDrop(connection_);
        return;
    }
    // What the scale tells about itself goes into its logic device, if it was opened through one.
    const auto store = [&](LogicDeviceParamType field, const std::string& value) {
        if (storeTo) logicDevices_->SetLogicDeviceParam(*storeTo, field, value, ecase);
    };

    if (config_.protocol == "auto") {
        RunCommand(Command::GetProtocolAuto, ecase);
        if (ecase != ErrorCase::Correct) return;
        const std::string detected = parameters_.GetParamOutput(ParamType::ProtocolVersion, ecase);
        if (ecase != ErrorCase::Correct) return;
        store(LogicDeviceParamType::Protocol, detected);
        if (ecase != ErrorCase::Correct) return;
        config_.protocol = detected;
    }
    if (IsProProtocol(config_.protocol)) {
        RunCommand(Command::GetScalesModel, ecase);
        if (ecase != ErrorCase::Correct) return;
        scaleModel_ = parameters_.GetParamOutput(ParamType::ScalesModel, ecase);
        if (ecase != ErrorCase::Correct) return;
        // A configured model the scale contradicts stays, so every command keeps refusing it.
        if (!ModelsMatch(config_.model, scaleModel_)) {
            LogWarning(kUnit, "Device::Open(), scale reports model [@], configured is [@]", scaleModel_, config_.model);
            return;
        }
        store(LogicDeviceParamType::Model, scaleModel_);
    } else {
        scaleModel_ = kNotProModel;
    }
}

void Device::OpenSerial(ErrorCase& ecase) {
    connection_ = std::make_shared<SerialPortConnection>(config_.endPoint);
    ConfigureSerialLine(ecase);
    if (ecase == ErrorCase::Correct) {
        LogInfo(kUnit, "Device::Open(portname: @), port is open.", config_.endPoint);
    } else {
        LogError(kUnit, "Device::Open(portname: @), can't open port, ecase: @.", config_.endPoint, ToString(ecase));
    }
}

void Device::ConfigureSerialLine(ErrorCase& ecase) {
    connection_->Open(ecase);
    if (ecase != ErrorCase::Correct) return;
    auto set = [&](Option option, const char* value) {
        if (ecase == ErrorCase::Correct) connection_->SetOption(option, value, ecase);
    };
    if (config_.protocol == "OKA" || config_.protocol == "auto") {
        if (config_.baudRate == "4800") {
            set(Option::BaudRate, "4800");
            set(Option::CharacterSize, "8");
            set(Option::StopBits, "2");
            set(Option::Parity, "2");
            set(Option::FlowControl, "0");
        } else if (config_.baudRate == "9600") {
            connection_->SetDefaultOptions(ecase);
        }
        return;
    }
    connection_->SetDefaultOptions(ecase);
    if (config_.baudRate == "4800") set(Option::BaudRate, "4800");
}

void Device::OpenTcp(ErrorCase& ecase) {
    connection_ = std::make_shared<TCPConnection>(config_.endPoint, tcpService_);
    connection_->Open(ecase);
    if (ecase == ErrorCase::Correct) {
        LogInfo(kUnit, "Device::Open(ip: @, socket: @), connection established.", config_.endPoint, tcpService_);
    } else {
        LogError(kUnit, "Device::Open(ip: @, socket: @), can't connect, ecase: @.", config_.endPoint, tcpService_,
                 ToString(ecase));
    }
}

bool Device::IsOpen(ErrorCase&) {
    LogInfo(kUnit, "Device::IsOpen(portname: @, baud-rate: @)", config_.endPoint, config_.baudRate);
    if (connection_) {
        LogInfo(kUnit, "Device::IsOpen() connection exists");
        return connection_->IsOpen();
    }
    LogInfo(kUnit, "Device::IsOpen() connection is nullptr");
    return false;
}

void Device::Close(ErrorCase&) {
    if (connection_) connection_->Close();
}

void Device::ExecuteCommand(Command command, ErrorCase& ecase) {
    if (!connection_ || !connection_->IsOpen()) {
        ecase = ErrorCase::ConnectionError;
        return;
    }
    command = MapCommand(config_.protocol, command);
    if (!IsCommandAccepted(config_.protocol, command)) {
        ecase = ErrorCase::CommandUnsupported;
        return;
    }
    if (config_.protocol != "auto" && !ModelsMatch(config_.model, scaleModel_)) {
        ecase = ErrorCase::WrongModelChosen;
        return;
    }
    RunCommand(command, ecase);
}

void Device::RunCommand(Command command, ErrorCase& ecase) {
    const std::string& text = ToString(command);
    const auto code = static_cast<std::int32_t>(command);
    LogTrace(kUnit, "Device::ExecuteCommand(command: @, code [@])", text, code);
    auto executor = CreateCommandExecutor(command, ecase);
    if (ecase != ErrorCase::Correct) return;
    const ResultMap results = executor->ExecuteCommand(*this, ecase);
    if (ecase != ErrorCase::Correct) {
        LogError(
            kUnit,
            "Device::ExecuteCommand(command: @, code [@]), Device::ExecuteCommand(), command: [@] ErrorCase is [@]",
            text, code, text, ToString(ecase));
        return;
    }
    for (const auto& [ptype, value] : results) parameters_.SetParamOutput(ptype, value);
}

std::string Device::GetProtocol(ErrorCase&) {
    return config_.protocol;
}

void Device::SetParam(ParamType ptype, const std::string& value, ErrorCase& ecase) {
    LogTrace(kUnit, "Device::SetParam(), ptype [@], value [@]", ToString(ptype), value);
    // Every input is a value of a Set… command, a tare or a calibration: a line break or another control
    // character would reach the scale as a second command, so it is refused before anything is stored.
    const auto control =
        std::find_if(value.begin(), value.end(), [](unsigned char c) { return c < 0x20 || c == 0x7F; });
    if (control != value.end()) {
        LogError(kUnit, "Device::SetParam(), the value for @ holds the control character 0x@ at byte @, refused",
                 ToString(ptype), HexByte(static_cast<unsigned char>(*control)), control - value.begin());
        ecase = ErrorCase::ParamValueUnsupported;
        return;
    }
    parameters_.SetParamInput(ptype, value);
}

std::string Device::GetParam(ParamType ptype, ErrorCase& ecase) {
    LogTrace(kUnit, "Device::GetParam(), ptype [@]", ToString(ptype));
    return parameters_.GetParamOutput(ptype, ecase);
}

std::string Device::GetInputParam(ParamType ptype, ErrorCase& ecase) {
    LogTrace(kUnit, "Device::GetInputParam(), ptype [@]", ToString(ptype));
    return parameters_.GetParamInput(ptype, ecase);
}

void Device::SetOption(Option option, const std::string& value, ErrorCase& ecase) {
    if (!connection_) {
        LogError(kUnit, "Device::SetOption(), no connection, open the device first");
        ecase = ErrorCase::ConnectionError;
        return;
    }
    try {
        connection_->SetOption(option, value, ecase);
    } catch (const std::invalid_argument&) {
        LogError(kUnit, "Device::SetOption(), value [@] is not a number", value);
        ecase = ErrorCase::ParamValueUnsupported;
    } catch (const std::out_of_range&) {
        LogError(kUnit, "Device::SetOption(), value [@] is out of range", value);
        ecase = ErrorCase::ParamValueUnsupported;
    }
}

std::string Device::GetOption(Option option, ErrorCase& ecase) {
    if (!connection_) {
        LogError(kUnit, "Device::GetOption(), no connection, open the device first");
        ecase = ErrorCase::ConnectionError;
        return {};
    }
    std::string value = connection_->GetOption(option, ecase);
    return ecase == ErrorCase::Correct ? value : std::string();
}

LogicDeviceId Device::AddLogicDevice(ErrorCase& ecase) {
    LogTrace(kUnit, "Device::AddLogicDevice()");
    return logicDevices_->AddLogicDevice(ecase);
}

void Device::DeleteLogicDevice(LogicDeviceId id, ErrorCase& ecase) {
    LogTrace(kUnit, "Device::DeleteLogicDevice(), device id [@]", id);
    logicDevices_->DeleteLogicDevice(id, ecase);
}

void Device::SetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType ptype, const std::string& value,
                                 ErrorCase& ecase) {
    LogTrace(kUnit, "Device::SetLogicDeviceParam(), device id [@], ptype [@], value [@]", id, ToString(ptype), value);
    logicDevices_->SetLogicDeviceParam(id, ptype, value, ecase);
}

std::string Device::GetLogicDeviceParam(LogicDeviceId id, LogicDeviceParamType ptype, ErrorCase& ecase) {
    LogTrace(kUnit, "Device::GetLogicDeviceParam(), ptype [@]", ToString(ptype));
    return logicDevices_->GetLogicDeviceParam(id, ptype, ecase);
}

LogicDeviceId Device::GetCurrentLogicDeviceID(ErrorCase& ecase) {
    LogTrace(kUnit, "Device::GetCurrentLogicDeviceID()");
    return logicDevices_->GetCurrentLogicDeviceID(ecase);
}

void Device::SetCurrentLogicDeviceID(LogicDeviceId id, ErrorCase& ecase) {
    LogTrace(kUnit, "Device::SetCurrentLogicDeviceID(), device id [@]", id);
    logicDevices_->SetCurrentLogicDevice(id, ecase);
}

std::vector<LogicDeviceId> Device::GetAllSortedLogiDeviceID(ErrorCase& ecase) {
    LogTrace(kUnit, "Device::GetAllSortedLogiDeviceID()");
    return logicDevices_->GetAllSortedID(ecase);
}

}  // namespace driver
