#pragma once

#include <memory>
#include <string>

#include "control.h"
#include "options.h"
#include "reply-scheduler.h"
#include "scale-engine.h"
#include "scale-state.h"
#include "transport.h"

namespace scale_sim {

// The event loop of one scale: control lines from standard input, requests from the line,
// timed output (replies, faults, the active stream) back onto it.
class Simulator {
public:
    Simulator(const Options& options, std::unique_ptr<Transport> transport);

    // Prints the endpoint line and serves until "quit", end of input or a stop signal.
    int Run();

    // Set from a signal handler: leave the loop at the next wake-up.
    static void RequestStop();

private:
    void ReadControl();
    void ServiceLine(short revents, Clock::time_point now);
    void OnData(const Bytes& bytes, Clock::time_point now);
    void Stream(Clock::time_point now);
    void SendDue(Clock::time_point now);
    void CutLineWhenDue(Clock::time_point now);
    void ForgetSession();
    int PollTimeoutMs(Clock::time_point now) const;
    void Log(const std::string& text) const;
    std::string LinkStatus() const;

    bool log_;
    bool stay_;
    ScaleState state_;
    ScaleEngine engine_;
    ReplyScheduler scheduler_;
    std::unique_ptr<Transport> transport_;
    Control control_;
    std::string control_buffer_;
    bool input_open_ = true;
    bool quit_ = false;
    Clock::time_point started_;
    Clock::time_point last_rx_{};
    Clock::time_point next_stream_{};
    std::optional<Clock::time_point> cut_at_;  // a dropped reply's line goes down then
};

}  // namespace scale_sim
