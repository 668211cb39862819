#include "reply-scheduler.h"

#include <algorithm>
#include <utility>

namespace scale_sim {

std::string Faults::Describe() const {
    std::string text;
    text += "silent=" + std::string(silent ? "1" : "0");
    text += " corrupt=" + std::string(corrupt_checksum ? "1" : "0");
    text += " nak=" + std::to_string(nak_count);
    text += " stray=" + std::to_string(stray_count);
    text += " split=" + (split_pause_ms ? std::to_string(*split_pause_ms) : std::string("-"));
    text += " delay=" + std::to_string(delay_ms);
    text += " drop=" + std::string(drop ? "1" : "0");
    return text;
}

void ReplyScheduler::Submit(Reply reply, Clock::time_point earliest) {
    if (faults_.silent) return;
    Clock::time_point start = std::max(earliest, busy_until_);
    if (reply.handshake) {
        if (faults_.nak_count > 0) {
            reply.bytes = {kNak};
            --faults_.nak_count;
        }
        busy_until_ = Queue(reply.bytes, start, false);
        return;
    }
    SubmitData(std::move(reply), start);
}

void ReplyScheduler::SubmitData(Reply reply, Clock::time_point start) {
    Bytes& bytes = reply.bytes;
    if (faults_.corrupt_checksum && reply.checksum_at && *reply.checksum_at < bytes.size()) {
        bytes[*reply.checksum_at] ^= 0xFF;
        faults_.corrupt_checksum = false;
    }
    if (faults_.stray_count > 0) {
        Bytes stray(static_cast<std::size_t>(faults_.stray_count), kStrayByte);
        // Digits are the noise that, misread, still looks like a weight.
        if (std::exchange(faults_.stray_digits, false))
            for (std::size_t i = 0; i < stray.size(); ++i) stray[i] = static_cast<std::uint8_t>('1' + i % 9);
        bytes.insert(bytes.begin(), stray.begin(), stray.end());
        faults_.stray_count = 0;
    }
    start += std::chrono::milliseconds(std::exchange(faults_.delay_ms, 0));

    std::size_t half = std::max<std::size_t>(1, bytes.size() / 2);
    if (std::exchange(faults_.drop, false)) {
        // The rest of the frame never leaves: the line is gone.
        busy_until_ = Queue(std::span(bytes).first(std::min(half, bytes.size())), start, true);
        return;
    }
    if (faults_.split_pause_ms && bytes.size() > 1) {
        auto pause = std::chrono::milliseconds(*faults_.split_pause_ms);
        faults_.split_pause_ms.reset();
        Clock::time_point first_done = Queue(std::span(bytes).first(half), start, false);
        busy_until_ = Queue(std::span(bytes).subspan(half), first_done + pause, false);
        return;
    }
    busy_until_ = Queue(bytes, start, false);
}

Clock::time_point ReplyScheduler::Queue(std::span<const std::uint8_t> bytes, Clock::time_point start, bool drop_after) {
    if (bytes.empty()) return start;
    if (!byte_time_) {
        queue_.push_back(Chunk{start, Bytes(bytes.begin(), bytes.end()), drop_after});
        return start;
    }
    // Each byte leaves once the previous one is through.
    Clock::time_point due = start;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        due += *byte_time_;
        queue_.push_back(Chunk{due, Bytes{bytes[i]}, drop_after && i + 1 == bytes.size()});
    }
    return due;
}

std::optional<Clock::time_point> ReplyScheduler::NextDue() const {
    if (queue_.empty()) return std::nullopt;
    return queue_.front().due;
}

std::vector<Chunk> ReplyScheduler::TakeDue(Clock::time_point now) {
    std::vector<Chunk> due;
    while (!queue_.empty() && queue_.front().due <= now) {
        due.push_back(std::move(queue_.front()));
        queue_.pop_front();
    }
    return due;
}

void ReplyScheduler::Clear() {
    queue_.clear();
    busy_until_ = Clock::time_point{};
}

}  // namespace scale_sim
