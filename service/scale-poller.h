// One scale's line, owned by one thread: it reads every poll interval, keeps the latest snapshot
// for whoever asks and hands every change to its sinks. However many clients watch a scale, the
// line sees one exchange per poll.
#pragma once

#include "scale-snapshot.h"
#include "service-config.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ponderixd {

enum class ScaleCommand { Tare, Zero, SpecifyTare };

class ScalePoller {
public:
    // Runs on the poller's thread with the driver's result code: it must not block.
    using CommandDone = std::function<void(std::int32_t code)>;

    ScalePoller(ScaleConfig config, std::chrono::milliseconds interval);
    ~ScalePoller();
    ScalePoller(const ScalePoller&) = delete;
    ScalePoller& operator=(const ScalePoller&) = delete;

    // Sinks are added before Start and must outlive the poller's thread.
    void AddSink(SnapshotSink& sink);
    void Start();
    void Stop();

    const ScaleConfig& config() const { return config_; }
    std::shared_ptr<const ScaleSnapshot> Latest() const;

    // Runs the command between two reads. grams is the tare for SpecifyTare. A command still
    // waiting at its deadline is not run (answered PDX_TIMEOUT): its client has had its answer.
    void Submit(ScaleCommand command, std::uint32_t grams, std::chrono::steady_clock::time_point deadline,
                CommandDone done);

private:
    struct Queued {
        ScaleCommand command;
        std::uint32_t grams;
        std::chrono::steady_clock::time_point deadline;
        CommandDone done;
    };

    void Run();
    bool Open();
    void ReadIdentity();
    void ReadOnce();
    void RunCommands();
    std::int32_t Execute(const Queued& queued);
    void Failed(std::int32_t code);
    void Publish(ScaleSnapshot next);
    bool WaitUntil(std::chrono::steady_clock::time_point until);  // false once stopping

    const ScaleConfig config_;
    const std::chrono::milliseconds interval_;
    std::vector<SnapshotSink*> sinks_;
    pdx_scale* scale_ = nullptr;
    bool open_ = false;
    ScaleSnapshot current_;  // the poller thread's copy

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::deque<Queued> commands_;
    std::shared_ptr<const ScaleSnapshot> latest_;
    std::thread thread_;
};

}  // namespace ponderixd
