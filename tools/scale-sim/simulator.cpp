#include "simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <vector>

#include "cas-protocol.h"

namespace scale_sim {
namespace {

volatile std::sig_atomic_t g_stop = 0;

// A request that stalls this long is abandoned, as a scale's receiver times out a frame.
constexpr auto kStaleInput = std::chrono::milliseconds(500);
// Between the half frame and the cut: a pty's hang-up discards what the host has not read yet,
// while bytes sent before a real cut do arrive.
constexpr auto kDropLinger = std::chrono::milliseconds(100);
// Upper bound of one sleep, so a stop signal that slips in before poll is still seen.
constexpr int kMaxSleepMs = 200;

std::optional<Clock::duration> ByteTime(const Options& o) {
    if (!o.wire_time) return std::nullopt;
    // Ten bits a byte: start, eight data bits, stop.
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(10.0 / o.baud));
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace

Simulator::Simulator(const Options& options, std::unique_ptr<Transport> transport)
    : log_(options.log),
      stay_(options.stay),
      engine_(state_),
      scheduler_(ByteTime(options)),
      transport_(std::move(transport)),
      control_(state_, scheduler_.faults(), [this] { return LinkStatus(); }) {
    state_.pro = options.pro;
    state_.stream_interval_ms = options.interval_ms;
    state_.SwitchProtocol(options.protocol);
}

void Simulator::RequestStop() {
    g_stop = 1;
}

std::string Simulator::LinkStatus() const {
    return "endpoint=" + transport_->Endpoint() + " connected=" + (transport_->Connected() ? "1" : "0");
}

void Simulator::Log(const std::string& text) const {
    if (!log_) return;
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_).count();
    std::fprintf(stderr, "scale-sim %6lld ms: %s\n", static_cast<long long>(ms), text.c_str());
}

int Simulator::Run() {
    started_ = Clock::now();
    PrintLine(transport_->Endpoint());
    while (!quit_ && g_stop == 0) {
        Clock::time_point now = Clock::now();
        Stream(now);
        SendDue(now);
        CutLineWhenDue(now);

        pollfd fds[2] = {{input_open_ ? STDIN_FILENO : -1, POLLIN, 0}, transport_->PollEntry()};
        int ready = ::poll(fds, 2, PollTimeoutMs(now));
        if (ready < 0 && errno != EINTR) {
            std::perror("scale-sim: poll");
            return 1;
        }
        if (ready < 0) continue;
        if (fds[0].revents != 0) ReadControl();
        ServiceLine(fds[1].fd >= 0 ? fds[1].revents : 0, Clock::now());
    }
    return 0;
}

int Simulator::PollTimeoutMs(Clock::time_point now) const {
    Clock::duration wait = std::chrono::milliseconds(kMaxSleepMs);
    if (auto due = scheduler_.NextDue()) wait = std::min(wait, *due - now);
    if (state_.protocol == RetailProtocol::CasActive && transport_->Connected())
        wait = std::min(wait, next_stream_ - now);
    if (auto recheck = transport_->RecheckAfter()) wait = std::min<Clock::duration>(wait, *recheck);
    if (cut_at_) wait = std::min(wait, *cut_at_ - now);
    // Round up so a due time is never polled for a moment too early, over and over.
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::max<long long>(0, ms));
}

void Simulator::ReadControl() {
    char buffer[1024];
    ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
        input_open_ = false;
        quit_ = !stay_;  // nobody left to drive the scale
        return;
    }
    control_buffer_.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while (!quit_ && (end = control_buffer_.find('\n')) != std::string::npos) {
        std::string line = control_buffer_.substr(0, end);
        control_buffer_.erase(0, end + 1);
        ControlResult result = control_.Execute(line);
        if (!result.reply.empty()) PrintLine(result.reply);
        if (!result.reply.empty()) Log("control: " + line + " -> " + result.reply);
        quit_ = result.quit;
    }
}

void Simulator::ServiceLine(short revents, Clock::time_point now) {
    Bytes received;
    switch (transport_->Service(revents, received)) {
        case LinkEvent::PeerCame:
            Log("host connected");
            ForgetSession();
            next_stream_ = now;
            break;
        case LinkEvent::PeerGone:
            Log("host gone");
            ForgetSession();
            // The host hung up the line that was to be cut; a later host must not lose its own.
            cut_at_.reset();
            break;
        case LinkEvent::Data:
            OnData(received, now);
            break;
        case LinkEvent::None:
            break;
    }
}

void Simulator::ForgetSession() {
    engine_.Reset();
    scheduler_.Clear();
}

void Simulator::OnData(const Bytes& bytes, Clock::time_point now) {
    if (cut_at_) {
        Log("line being cut, ignored: " + ToHex(bytes));
        return;
    }
    if (engine_.Pending() > 0 && now - last_rx_ > kStaleInput) {
        Log("dropping stale partial request");
        engine_.Reset();
    }
    last_rx_ = now;
    Log("rx: " + ToHex(bytes));
    Clock::time_point arrived = now;
    if (auto byte_time = scheduler_.byte_time()) arrived += *byte_time * static_cast<long>(bytes.size());
    for (Reply& reply : engine_.Feed(bytes)) scheduler_.Submit(std::move(reply), arrived);
}

void Simulator::Stream(Clock::time_point now) {
    if (state_.protocol != RetailProtocol::CasActive || !transport_->Connected() || cut_at_) {
        next_stream_ = now;
        return;
    }
    if (now < next_stream_) return;
    scheduler_.Submit(CasFrame(state_), now);
    auto interval = std::chrono::milliseconds(state_.stream_interval_ms);
    next_stream_ += interval;
    if (next_stream_ <= now) next_stream_ = now + interval;  // fell behind: do not burst
}

void Simulator::SendDue(Clock::time_point now) {
    for (Chunk& chunk : scheduler_.TakeDue(now)) {
        if (!transport_->Connected()) {
            Log("host gone, reply lost: " + ToHex(chunk.bytes));
            continue;
        }
        bool written = transport_->Write(chunk.bytes);
        Log((written ? "tx: " : "tx failed: ") + ToHex(chunk.bytes));
        if (chunk.drop_after) {
            ForgetSession();
            cut_at_ = now + kDropLinger;
            return;
        }
    }
}

void Simulator::CutLineWhenDue(Clock::time_point now) {
    if (!cut_at_ || now < *cut_at_) return;
    cut_at_.reset();
    transport_->Drop();
    ForgetSession();
    Log("line dropped");
    std::fprintf(stderr, "scale-sim: line dropped, now at %s\n", transport_->Endpoint().c_str());
}

}  // namespace scale_sim
