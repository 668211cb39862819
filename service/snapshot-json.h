// The JSON texts of a snapshot. HTTP, the WebSocket streams and MQTT all send these, so a client
// sees the same object whichever way it asks.
#pragma once

#include "scale-snapshot.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace ponderixd {

// {"id","name","end_point","protocol","model","serial_number","firmware","calibration_count"};
// what the scale did not tell is null.
std::string IdentityJson(const ScaleIdentity& identity);

// {"state":"online","last_error":null | {ErrorJson fields, "at"}}
std::string StateJson(const ScaleSnapshot& snapshot);

// Online: {"current":true,"state":"online","net":1.234,"tare":0.000,"unit":"kg","stable":…,"zero":…,
// "overload":…,"taken_at":"2026-01-02T03:04:05.678Z"}; net is null on overload, tare null where the
// protocol has none. Otherwise {"current":false,"state":"silent"}: no weight at all.
std::string ReadingJson(const ScaleSnapshot& snapshot);

// {"code":5,"name":"UnableToOpenSerialPort","description":"…","description_ru":"…"}
std::string ErrorJson(std::int32_t code);

// value × 10^-decimals as a JSON number with exactly `decimals` digits after the point.
std::string DecimalJson(std::int64_t value, std::int32_t decimals);

// UTC, ISO 8601 with milliseconds and a Z.
std::string IsoTime(std::chrono::system_clock::time_point at);

}  // namespace ponderixd
