// What the service knows about one scale at one moment: who it is, whether its line answers, its
// last reading and its last error. Pollers make snapshots; the HTTP API, the WebSocket streams and
// the MQTT publisher only read them.
#pragma once

#include <ponderix/ponderix.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace ponderixd {

// "opening": not yet answered since the service started or the line was reopened;
// "online": the last exchange was answered; "silent": the line is open but the scale stopped
// answering; "lost": the line itself is gone (unplugged adapter, closed socket), being reopened.
enum class LineState { Opening, Online, Silent, Lost };

const char* LineStateName(LineState state);

// The driver's codes for an exchange the line did not carry (no answer, no line), as opposed to
// a scale that answered with a refusal.
bool LineFailed(std::int32_t code);

// Who the scale is. The service protocol's values are empty where the scale does not tell them.
struct ScaleIdentity {
    std::string id;        // the service's name for the scale, unique, used in URLs and topics
    std::string name;      // a human name (the logic device's), may be empty
    std::string endPoint;  // "/dev/ttyUSB0" or "host:port"
    std::string protocol;  // the protocol in use ("POS2KProV1"), empty until opened
    std::string model;
    std::string serialNumber;
    std::string firmware;
    std::optional<std::uint32_t> calibrationCount;
};

struct ScaleReading {
    pdx_reading value{};  // the C interface's typed reading
    std::chrono::system_clock::time_point takenAt;
};

struct ScaleError {
    std::int32_t code = PDX_CORRECT;  // the driver's result code
    std::chrono::system_clock::time_point at;
};

struct ScaleSnapshot {
    ScaleIdentity identity;
    LineState state = LineState::Opening;
    // Only a reading of the current state: none unless online, never an old weight as current.
    std::optional<ScaleReading> reading;
    std::optional<ScaleError> lastError;
    std::uint64_t sequence = 0;  // grows with every change a client should see
};

// Receives every new snapshot of a scale, on the poller's thread: it must not block.
class SnapshotSink {
public:
    virtual ~SnapshotSink() = default;
    virtual void OnSnapshot(const ScaleSnapshot& snapshot) = 0;
};

}  // namespace ponderixd
