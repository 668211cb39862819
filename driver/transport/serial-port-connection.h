#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include <boost/asio/serial_port.hpp>

#include "transport/asio-connection.h"

namespace driver {

// A scale on a serial line, by device path (/dev/ttyUSB0, /dev/pts/3). The port is held exclusively
// while open. Options are applied to the open port only and travel as decimal text.
class SerialPortConnection : public AsioConnection<boost::asio::serial_port> {
public:
    explicit SerialPortConnection(std::string portName);
    ~SerialPortConnection() override;

    void Open(ErrorCase& err) override;
    void Close() override;
    // 9600 baud, 8 data bits, one stop bit, no parity, no flow control; stops at the first failure.
    void SetDefaultOptions(ErrorCase& err) override;

    // Each stores the text first, then parses it (std::stoi errors reach the caller), checks the
    // range (std::out_of_range) and applies it: UnableToOpenSerialPort on a closed port.
    void SetBaudRate(const std::string& value, ErrorCase& err);
    void SetCharacterSize(const std::string& value, ErrorCase& err);  // 5..8
    void SetStopBits(const std::string& value, ErrorCase& err);       // 0 one, 1 one and a half, 2 two
    void SetParity(const std::string& value, ErrorCase& err);         // 0 none, 1 odd, 2 even
    void SetFlowControl(const std::string& value, ErrorCase& err);    // 0 none, 1 software, 2 hardware
    void DiscardInput() override;

protected:
    // 1 s at exactly "4800" baud, the slowest line the scales use, else 0.5 s.
    std::chrono::microseconds Deadline() const override;

private:
    std::optional<int> StoreOption(Option option, const std::string& value, std::string_view logText, ErrorCase& err);
    template <class LineOption>
    void ApplyOption(const LineOption& option, ErrorCase& err);

    std::string portName_;
};

}  // namespace driver
