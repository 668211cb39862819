#include "transport/serial-port-connection.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <stdexcept>

#include <boost/system/system_error.hpp>

#include "defines.h"
#include "log/logging.h"
#include "transport/port-lock.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "connection";
using Port = boost::asio::serial_port;

void RequireRange(int value, int low, int high, const char* setter) {
    if (value < low || value > high)
        throw std::out_of_range(std::string("SerialPortConnection::") + setter + ", value out of range.");
}

}  // namespace

SerialPortConnection::SerialPortConnection(std::string portName)
    : AsioConnection("SerialPortConnection"), portName_(std::move(portName)) {
    LogInfo(kUnit, "SerialPortConnection::SerialPortConnection(...) with portName: @", portName_);
    const auto entry = [this](void (SerialPortConnection::*setter)(const std::string&, ErrorCase&)) {
        return OptionEntry{{}, [this, setter](std::string value, ErrorCase& err) { (this->*setter)(value, err); }};
    };
    options_.emplace(Option::BaudRate, entry(&SerialPortConnection::SetBaudRate));
    options_.emplace(Option::CharacterSize, entry(&SerialPortConnection::SetCharacterSize));
    options_.emplace(Option::StopBits, entry(&SerialPortConnection::SetStopBits));
    options_.emplace(Option::Parity, entry(&SerialPortConnection::SetParity));
    options_.emplace(Option::FlowControl, entry(&SerialPortConnection::SetFlowControl));
}

SerialPortConnection::~SerialPortConnection() {
    try {
        Close();
    } catch (const std::exception& error) {
        LogError(kUnit, "SerialPortConnection::~SerialPortConnection(), close failed: @", error.what());
    }
}

// asio opens the line in raw mode (no echo, no canonical input, no CR/LF mapping, no XON/XOFF
// handling), so every byte value reaches the protocols unchanged.
void SerialPortConnection::Open(ErrorCase& err) {
    LogInfo(kUnit, "SerialPortConnection::Open(...) with full path: @", portName_);
    boost::system::error_code ec;
    stream_.open(portName_, ec);
    if (ec == boost::system::errc::inappropriate_io_control_operation) {
        LogError(kUnit, "SerialPortConnection::Open(...), @ is not a serial port: @", portName_, ec.message());
    } else if (ec == boost::system::errc::device_or_resource_busy) {
        LogError(kUnit, "SerialPortConnection::Open(...), port @ is held by another program: @", portName_,
                 ec.message());
    } else if (ec) {
        LogError(kUnit, "SerialPortConnection::Open(...), cannot open @: @", portName_, ec.message());
    }
    CheckBoostErrorCase(ec, err);
    if (ec) return;

    if (const auto lockError = port_lock::Acquire(stream_.native_handle())) {
        LogError(kUnit, "SerialPortConnection::Open(...), port @ is held by another program: @", portName_,
                 lockError.message());
        stream_.close(ec);
        err = ErrorCase::ConnectionError;
    }
}

void SerialPortConnection::Close() {
    if (!stream_.is_open()) return;
    port_lock::Release(stream_.native_handle());
    boost::system::error_code ec;
    stream_.close(ec);
    if (ec) throw boost::system::system_error(ec, "SerialPortConnection::Close");
}

void SerialPortConnection::SetDefaultOptions(ErrorCase& err) {
    SetBaudRate("9600", err);
    if (err == ErrorCase::Correct) SetCharacterSize("8", err);
    if (err == ErrorCase::Correct) SetStopBits("0", err);
    if (err == ErrorCase::Correct) SetParity("0", err);
    if (err == ErrorCase::Correct) SetFlowControl("0", err);
}

void SerialPortConnection::SetBaudRate(const std::string& value, ErrorCase& err) {
    const auto rate = StoreOption(Option::BaudRate, value, "SetBaudRate(option: @, value: @)", err);
    if (!rate) return;
    ApplyOption(Port::baud_rate(static_cast<unsigned int>(*rate)), err);
}

void SerialPortConnection::SetCharacterSize(const std::string& value, ErrorCase& err) {
    const auto size = StoreOption(Option::CharacterSize, value, "SetCharacterSize(option: @, value: @)", err);
    if (!size) return;
    RequireRange(*size, 5, 8, "SetCharacterSize");
    ApplyOption(Port::character_size(static_cast<unsigned int>(*size)), err);
}

void SerialPortConnection::SetStopBits(const std::string& value, ErrorCase& err) {
    const auto bits = StoreOption(Option::StopBits, value, "SetStopBits(option: @, value: @)", err);
    if (!bits) return;
    RequireRange(*bits, 0, 2, "SetStopBits");
    ApplyOption(Port::stop_bits(static_cast<Port::stop_bits::type>(*bits)), err);
}

void SerialPortConnection::SetParity(const std::string& value, ErrorCase& err) {
    const auto parity = StoreOption(Option::Parity, value, "SetParity(option: @, value: @)", err);
    if (!parity) return;
    RequireRange(*parity, 0, 2, "SetParity");
    ApplyOption(Port::parity(static_cast<Port::parity::type>(*parity)), err);
}

void SerialPortConnection::SetFlowControl(const std::string& value, ErrorCase& err) {
    const auto flow = StoreOption(Option::FlowControl, value, "SetFlowControl(option: @, value: @)", err);
    if (!flow) return;
    RequireRange(*flow, 0, 2, "SetFlowControl");
    ApplyOption(Port::flow_control(static_cast<Port::flow_control::type>(*flow)), err);
}

std::chrono::microseconds SerialPortConnection::Deadline() const {
    const auto baudRate = options_.find(Option::BaudRate);
    const bool slowLine = baudRate != options_.end() && baudRate->second.value == "4800";
    return std::chrono::microseconds(slowLine ? 1'000'000 : 500'000);
}

// Checked first: the common case has nothing waiting and needs no flush of the line.
void SerialPortConnection::DiscardInput() {
    int waiting = 0;
    if (::ioctl(stream_.native_handle(), FIONREAD, &waiting) == 0 && waiting > 0)
        ::tcflush(stream_.native_handle(), TCIFLUSH);
}

// The steps every setter shares before its range check: the text is kept even when it turns out
// not to be a number, so GetOption reports what the caller asked for.
std::optional<int> SerialPortConnection::StoreOption(Option option, const std::string& value, std::string_view logText,
                                                     ErrorCase& err) {
    if (!IsOpen()) {
        err = ErrorCase::UnableToOpenSerialPort;
        return std::nullopt;
    }
    const auto entry = options_.find(option);
    if (entry == options_.end()) {
        err = ErrorCase::OptionUnsupported;
        return std::nullopt;
    }
    entry->second.value = value;
    const int number = std::stoi(value);
    LogTrace(kUnit, logText, ToString(option), number);
    return number;
}

template <class LineOption>
void SerialPortConnection::ApplyOption(const LineOption& option, ErrorCase& err) {
    boost::system::error_code ec;
    stream_.set_option(option, ec);
    CheckBoostErrorCase(ec, err);
}

}  // namespace driver
