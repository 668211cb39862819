#pragma once

// The scale simulator as a child process, and a driver device opened on it through the exports.
#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <driver/driver.h>
#include <driver/error-names.h>

#include "support/sim-process.h"

namespace e2e {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

inline Ms Since(Clock::time_point start) {
    return std::chrono::duration_cast<Ms>(Clock::now() - start);
}

using testsupport::SimProcess;

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

// A device handle of libdriver.so with one logic device of its own, as a caller uses them.
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

    driver::ErrorCase Describe(const Connection& c) {
        auto err = Code(::add_logic_device(handle_, id_));
        if (err != driver::ErrorCase::Correct) return err;
        using P = driver::LogicDeviceParamType;
        for (const auto& [type, value] :
             {std::pair{P::Name, std::string("e2e-") + std::to_string(id_)}, std::pair{P::ConnectionType, c.type},
              std::pair{P::EndPoint, c.endPoint}, std::pair{P::BaudRate, c.baudRate}, std::pair{P::Model, c.model},
              std::pair{P::Protocol, c.protocol}}) {
            err = Code(::set_logic_device_param(handle_, id_, type, value));
            if (err != driver::ErrorCase::Correct) return err;
        }
        return err;
    }
    driver::ErrorCase Open() { return Code(::driver_open(&handle_, id_)); }
    driver::ErrorCase Close() { return Code(::driver_close(&handle_)); }
    driver::ErrorCase DescribeAndOpen(const Connection& c) {
        const auto err = Describe(c);
        return err == driver::ErrorCase::Correct ? Open() : err;
    }

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
    driver::LogicDeviceId id() const { return id_; }

private:
    static driver::ErrorCase Code(std::int32_t code) { return static_cast<driver::ErrorCase>(code); }

    driver::DeviceHandle handle_ = nullptr;
    driver::LogicDeviceId id_ = 0;
};

}  // namespace e2e

namespace e2e {

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
