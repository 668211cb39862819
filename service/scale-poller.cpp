#include "scale-poller.h"

#include "service-log.h"

#include <tuple>

namespace ponderixd {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kReopenEvery = std::chrono::seconds(1);

std::string Text(int32_t (*get)(pdx_scale*, int32_t, char*, size_t, size_t*), pdx_scale* scale, int32_t what) {
    char text[PDX_TEXT_SIZE] = "";
    return get(scale, what, text, sizeof text, nullptr) == PDX_CORRECT ? text : "";
}

// What a client sees of a reading; the time it was taken alone is no change.
auto Visible(const std::optional<ScaleReading>& reading) {
    const pdx_reading r = reading ? reading->value : pdx_reading{};
    return std::make_tuple(reading.has_value(), r.net, r.tare, r.decimals, r.unit, r.has_tare, r.stable, r.zero,
                           r.overload);
}

bool SameForClients(const ScaleSnapshot& a, const ScaleSnapshot& b) {
    const auto errorCode = [](const ScaleSnapshot& s) { return s.lastError ? s.lastError->code : PDX_CORRECT; };
    return a.state == b.state && errorCode(a) == errorCode(b) && Visible(a.reading) == Visible(b.reading) &&
           a.identity.protocol == b.identity.protocol && a.identity.serialNumber == b.identity.serialNumber;
}

const char* CommandName(ScaleCommand command) {
    switch (command) {
        case ScaleCommand::Tare:
            return "tare";
        case ScaleCommand::Zero:
            return "zero";
        case ScaleCommand::SpecifyTare:
            return "specify tare";
    }
    return "command";
}

}  // namespace

ScalePoller::ScalePoller(ScaleConfig config, std::chrono::milliseconds interval)
    : config_(std::move(config)), interval_(interval) {
    current_.identity.id = config_.id;
    current_.identity.name = config_.name;
    current_.identity.endPoint = config_.endPoint;
    if (config_.model != "auto") current_.identity.model = config_.model;
    latest_ = std::make_shared<const ScaleSnapshot>(current_);
}

ScalePoller::~ScalePoller() {
    Stop();
}

void ScalePoller::AddSink(SnapshotSink& sink) {
    sinks_.push_back(&sink);
}

void ScalePoller::Start() {
    thread_ = std::thread([this] { Run(); });
}

void ScalePoller::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

std::shared_ptr<const ScaleSnapshot> ScalePoller::Latest() const {
    std::lock_guard lock(mutex_);
    return latest_;
}

void ScalePoller::Submit(ScaleCommand command, std::uint32_t grams, Clock::time_point deadline, CommandDone done) {
    {
        std::lock_guard lock(mutex_);
        commands_.push_back({command, grams, deadline, std::move(done)});
    }
    wake_.notify_all();
}

bool ScalePoller::WaitUntil(Clock::time_point until) {
    std::unique_lock lock(mutex_);
    // Commands wake the thread early only while the line is open; a closed line answers them below.
    wake_.wait_until(lock, until, [&] { return stopping_ || (open_ && !commands_.empty()); });
    return !stopping_;
}

void ScalePoller::Run() {
    if (const auto code = pdx_create(&scale_); code != PDX_CORRECT) {
        Log().error("scale {}: no driver handle (driver code {})", config_.id, code);
        Failed(code);
        return;
    }
    auto nextOpen = Clock::now();
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) break;
        }
        if (!open_) {
            RunCommands();  // answered with ConnectionError: the line is closed
            if (Clock::now() >= nextOpen) {
                nextOpen = Clock::now() + kReopenEvery;
                if (Open()) continue;
            }
            if (!WaitUntil(std::min(nextOpen, Clock::now() + interval_))) break;
            continue;
        }
        const auto next = Clock::now() + interval_;
        RunCommands();
        ReadOnce();
        if (open_ && !WaitUntil(next)) break;
    }
    // Commands still waiting are answered so no client waits past its own deadline for nothing.
    RunCommands();
    pdx_destroy(scale_);
    scale_ = nullptr;
}

bool ScalePoller::Open() {
    const std::int32_t code = pdx_open_end_point(scale_, config_.endPoint.c_str(), config_.protocol.c_str(),
                                                 config_.model.c_str(), config_.baudRate);
    if (code != PDX_CORRECT) {
        Failed(code);
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        open_ = true;
    }
    Log().info("scale {}: {} open", config_.id, config_.endPoint);
    ScaleSnapshot next = current_;
    next.state = LineState::Opening;
    next.reading.reset();
    current_ = next;
    ReadIdentity();
    return true;
}

void ScalePoller::ReadIdentity() {
    // Only scales with the service protocol ("…ProV1") tell who they are; a failure here leaves
    // the fields empty and the scale in service.
    ScaleIdentity& identity = current_.identity;
    char text[PDX_TEXT_SIZE] = "";
    if (pdx_protocol(scale_, text, sizeof text, nullptr) == PDX_CORRECT) identity.protocol = text;
    if (identity.protocol.find("ProV1") == std::string::npos) return;
    if (auto model = Text(pdx_setting_get, scale_, PDX_SCALES_MODEL); !model.empty()) identity.model = model;
    identity.serialNumber = Text(pdx_setting_get, scale_, PDX_SERIAL_NUMBER);
    identity.firmware = Text(pdx_setting_get, scale_, PDX_FIRMWARE_VERSION1);
    std::uint32_t count = 0;
    if (pdx_calibration_count(scale_, &count) == PDX_CORRECT) {
        identity.calibrationCount = count;
    } else {
        identity.calibrationCount.reset();
    }
}

void ScalePoller::ReadOnce() {
    pdx_reading value{};
    const std::int32_t code = pdx_read(scale_, &value);
    if (code != PDX_CORRECT) {
        Failed(code);
        return;
    }
    ScaleSnapshot next = current_;
    if (next.state != LineState::Online) Log().info("scale {}: online", config_.id);
    next.state = LineState::Online;
    next.reading = ScaleReading{value, std::chrono::system_clock::now()};
    Publish(std::move(next));
}

void ScalePoller::Failed(std::int32_t code) {
    std::int32_t open = 0;
    const bool lost = code == PDX_UNABLE_TO_OPEN_SERIAL_PORT || pdx_is_open(scale_, &open) != PDX_CORRECT || !open;
    ScaleSnapshot next = current_;
    next.state = lost ? LineState::Lost : LineState::Silent;
    next.reading.reset();  // never an old weight as current
    next.lastError = ScaleError{code, std::chrono::system_clock::now()};
    if (next.state != current_.state || !current_.lastError || current_.lastError->code != code) {
        Log().warn("scale {}: {} (driver code {})", config_.id, LineStateName(next.state), code);
    }
    if (lost && open_) {
        pdx_close(scale_);
        std::lock_guard lock(mutex_);
        open_ = false;
    }
    Publish(std::move(next));
}

void ScalePoller::RunCommands() {
    for (;;) {
        Queued queued;
        {
            std::lock_guard lock(mutex_);
            if (commands_.empty()) return;
            queued = std::move(commands_.front());
            commands_.pop_front();
        }
        if (Clock::now() >= queued.deadline) {
            // A tare long after its client was told "no answer" would surprise the cashier.
            Log().warn("scale {}: {} not run, its deadline passed in the queue", config_.id,
                       CommandName(queued.command));
            queued.done(PDX_TIMEOUT);
            continue;
        }
        const std::int32_t code = open_ ? Execute(queued) : PDX_CONNECTION_ERROR;
        if (code != PDX_CORRECT)
            Log().warn("scale {}: {} failed (driver code {})", config_.id, CommandName(queued.command), code);
        // A command the line did not carry says what a failed read would: the weight goes now, not
        // after the commands still queued have each waited out the line's timeout.
        if (open_ && LineFailed(code)) Failed(code);
        queued.done(code);
    }
}

std::int32_t ScalePoller::Execute(const Queued& queued) {
    switch (queued.command) {
        case ScaleCommand::Tare:
            return pdx_tare(scale_);
        case ScaleCommand::Zero:
            return pdx_zero(scale_);
        case ScaleCommand::SpecifyTare:
            return pdx_specify_tare(scale_, queued.grams);
    }
    return PDX_COMMAND_UNKNOWN;
}

void ScalePoller::Publish(ScaleSnapshot next) {
    const bool changed = !SameForClients(next, current_) || current_.sequence == 0;
    if (changed) ++next.sequence;
    current_ = std::move(next);
    auto shared = std::make_shared<const ScaleSnapshot>(current_);
    {
        std::lock_guard lock(mutex_);
        latest_ = shared;  // a GET sees the time of the newest reading even when nothing changed
    }
    if (!changed) return;
    for (auto* sink : sinks_) sink->OnSnapshot(*shared);
}

}  // namespace ponderixd
