#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "wire.h"

namespace scale_sim {

using Clock = std::chrono::steady_clock;

// One-shot faults armed from the control side. Except `nak_count`, which answers enquiries,
// they act on the next data reply (a frame, a service line or a streamed frame), never on the
// one-byte acknowledgement, so a test can aim them at the frame behind the handshake.
struct Faults {
    bool silent = false;                // stays until switched off: no answers at all
    bool corrupt_checksum = false;      // next reply that has a checksum gets it inverted
    int nak_count = 0;                  // the next N enquiries are answered NAK
    int stray_count = 0;                // next reply is preceded by N stray bytes
    bool stray_digits = false;          // the stray bytes are ASCII digits instead of A5
    std::optional<int> split_pause_ms;  // next reply goes out in two halves with this pause
    int delay_ms = 0;                   // next reply waits this long
    bool drop = false;                  // next reply stops half-way and the line is cut

    std::string Describe() const;
};

// A piece of output and the moment it is due on the line.
struct Chunk {
    Clock::time_point due;
    Bytes bytes;
    bool drop_after = false;  // cut the line once this piece is out
};

// Queues the scale's answers in order, applying the armed faults and, when a byte time is
// given, the time each byte takes on the wire.
class ReplyScheduler {
public:
    static constexpr std::uint8_t kStrayByte = 0xA5;

    explicit ReplyScheduler(std::optional<Clock::duration> byte_time = std::nullopt) : byte_time_(byte_time) {}

    Faults& faults() { return faults_; }
    const Faults& faults() const { return faults_; }
    std::optional<Clock::duration> byte_time() const { return byte_time_; }

    // `earliest`: when the request has fully arrived.
    void Submit(Reply reply, Clock::time_point earliest);

    std::optional<Clock::time_point> NextDue() const;
    std::vector<Chunk> TakeDue(Clock::time_point now);
    void Clear();

private:
    void SubmitData(Reply reply, Clock::time_point start);
    // Returns the moment the last byte is out.
    Clock::time_point Queue(std::span<const std::uint8_t> bytes, Clock::time_point start, bool drop_after);

    std::optional<Clock::duration> byte_time_;
    Faults faults_;
    std::deque<Chunk> queue_;
    Clock::time_point busy_until_{};
};

}  // namespace scale_sim
