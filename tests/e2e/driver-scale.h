#pragma once

// A driver device opened through the exports of libdriver.so, as a caller uses it, on a scale
// simulator (support/sim-process.h).
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include <driver/driver.h>
#include <driver/error-names.h>

#include "support/sim-process.h"

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;
using testsupport::SimProcess;

inline Ms Since(Clock::time_point start) {
    return std::chrono::duration_cast<Ms>(Clock::now() - start);
}

// What a logic device holds besides its id and name.
struct Connection {
    std::string type = "Serial Port";  // or "TCP"
    std::string endPoint;
    std::string model = "auto";
    std::string protocol = "auto";
    std::string baudRate = "9600";
};

// The serial connection of a pty simulator, or the TCP connection of one started with --tcp.
inline Connection ConnectionTo(const SimProcess& sim, const std::string& protocol, const std::string& model = "auto") {
    const bool tcp = sim.endpoint().rfind("/dev/", 0) != 0;
    return Connection{tcp ? "TCP" : "Serial Port", sim.endpoint(), model, protocol};
}

// A device handle with one logic device of its own.
class Scale {
public:
    Scale() { ::create(&handle_); }
    ~Scale() {
        if (handle_ == nullptr) return;
        ::driver_close(&handle_);
        ::destroy(&handle_);
    }
    Scale(const Scale&) = delete;
    Scale& operator=(const Scale&) = delete;

    driver::ErrorCase DescribeAndOpen(const Connection& c) {
        auto err = Code(::add_logic_device(handle_, id_));
        using P = driver::LogicDeviceParamType;
        for (const auto& [type, value] :
             {std::pair{P::Name, std::string("e2e-") + std::to_string(id_)}, std::pair{P::ConnectionType, c.type},
              std::pair{P::EndPoint, c.endPoint}, std::pair{P::BaudRate, c.baudRate}, std::pair{P::Model, c.model},
              std::pair{P::Protocol, c.protocol}}) {
            if (err == driver::ErrorCase::Correct) err = SetLogicParam(type, value);
        }
        return err == driver::ErrorCase::Correct ? Open() : err;
    }
    driver::ErrorCase Open() { return Code(::driver_open(&handle_, id_)); }
    driver::ErrorCase Close() { return Code(::driver_close(&handle_)); }

    driver::ErrorCase Run(driver::Command command) { return Code(::execute_command(handle_, command)); }
    driver::ErrorCase Set(driver::ParamType type, const std::string& value) {
        return Code(::set_param(handle_, type, value));
    }
    // The output value, or "<unset>" when no command stored one.
    std::string Get(driver::ParamType type) {
        std::string value;
        return Code(::get_param(handle_, type, value)) == driver::ErrorCase::Correct ? value : "<unset>";
    }
    std::string LogicParam(driver::LogicDeviceParamType type) {
        std::string value;
        return Code(::get_logic_device_param(handle_, id_, type, value)) == driver::ErrorCase::Correct ? value
                                                                                                       : "<error>";
    }
    driver::ErrorCase SetLogicParam(driver::LogicDeviceParamType type, const std::string& value) {
        return Code(::set_logic_device_param(handle_, id_, type, value));
    }
    std::string Protocol() {
        std::string value;
        ::get_protocol(handle_, value);
        return value;
    }

    driver::DeviceHandle handle() const { return handle_; }

private:
    static driver::ErrorCase Code(std::int32_t code) { return static_cast<driver::ErrorCase>(code); }

    driver::DeviceHandle handle_ = nullptr;
    driver::LogicDeviceId id_ = 0;
};

// The weight text a reading reports for a weight in grams: CAS in kilograms (its default unit),
// the others in grams.
inline std::string WeightText(bool kilograms, int grams) {
    if (!kilograms) return std::to_string(grams);
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", grams / 1000.0);
    return text;
}

// A test name made of the letters and digits of a table row's name.
template <class Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
    std::string name;
    for (const char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    return name;
}

inline std::string CodeName(driver::ErrorCase err) {
    const std::string_view name = driver::ErrorCaseName(err);
    return name.empty() ? "ErrorCase(" + std::to_string(static_cast<std::int32_t>(err)) + ")" : std::string(name);
}

}  // namespace e2e

namespace driver {
// Codes print by name in assertion messages.
inline void PrintTo(ErrorCase err, std::ostream* out) {
    *out << e2e::CodeName(err);
}
}  // namespace driver
