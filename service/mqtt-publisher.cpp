#include "mqtt-publisher.h"

#include "service-log.h"
#include "snapshot-json.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>

namespace ponderixd {
namespace {

constexpr int kRetainedQos = 1;
// A reading is worth nothing once a newer one exists: no retries for it.
constexpr int kReadingQos = 0;
constexpr unsigned kReconnectFirstSeconds = 1;
constexpr unsigned kReconnectMaxSeconds = 30;
constexpr auto kOfflineWait = std::chrono::seconds(3);

std::once_flag libraryReady;

std::string ReadingKey(const ScaleSnapshot& snapshot) {
    std::string key = LineStateName(snapshot.state);
    if (snapshot.reading) {
        const pdx_reading& r = snapshot.reading->value;
        for (const std::int64_t field :
             {r.net, r.tare, std::int64_t{r.decimals}, std::int64_t{r.unit}, std::int64_t{r.has_tare},
              std::int64_t{r.stable}, std::int64_t{r.zero}, std::int64_t{r.overload}}) {
            key += ' ' + std::to_string(field);
        }
    }
    return key;
}

// The topic folder of one scale: its serial number, or its id while it tells none.
std::string ScaleTopic(const MqttConfig& config, const ScaleIdentity& identity) {
    std::string name = identity.serialNumber.empty() ? identity.id : identity.serialNumber;
    // A serial number is the scale's text: it must not add levels or wildcards to the topic.
    std::replace_if(
        name.begin(), name.end(), [](unsigned char c) { return c == '/' || c == '+' || c == '#' || c < 0x20; }, '_');
    return config.prefix + "/" + config.site + "/" + name;
}

}  // namespace

MqttPublisher::MqttPublisher(MqttConfig config)
    : config_(std::move(config)), serviceTopic_(config_.prefix + "/" + config_.site + "/service") {}

MqttPublisher::~MqttPublisher() {
    Stop();
}

bool MqttPublisher::Start() {
    std::call_once(libraryReady, [] { mosquitto_lib_init(); });
    client_ = mosquitto_new(config_.clientId.c_str(), true, this);
    if (client_ == nullptr) {
        Log().error("MQTT: no client for {}: {}", config_.clientId, std::strerror(errno));
        return false;
    }
    const auto failed = [this](const std::string& what, int code) {
        Log().error("MQTT: {} ({}), so the service goes on without the broker", what, mosquitto_strerror(code));
        mosquitto_destroy(client_);
        client_ = nullptr;
        return false;
    };
    static const std::string offline = "offline";
    int code = mosquitto_will_set(client_, serviceTopic_.c_str(), static_cast<int>(offline.size()), offline.data(),
                                  kRetainedQos, true);
    if (code != MOSQ_ERR_SUCCESS) {
        return failed("no last will", code);
    }
    if (!config_.username.empty()) {
        code = mosquitto_username_pw_set(client_, config_.username.c_str(),
                                         config_.password.empty() ? nullptr : config_.password.c_str());
        if (code != MOSQ_ERR_SUCCESS) {
            return failed("user name not taken", code);
        }
    }
    if (!config_.tlsCaFile.empty()) {
        const auto orNull = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
        code = mosquitto_tls_set(client_, config_.tlsCaFile.c_str(), nullptr, orNull(config_.tlsCertFile),
                                 orNull(config_.tlsKeyFile), nullptr);
        if (code != MOSQ_ERR_SUCCESS) {
            // libmosquitto says only "invalid arguments" for a file it cannot read.
            std::string files = config_.tlsCaFile;
            if (!config_.tlsCertFile.empty()) {
                files += ", " + config_.tlsCertFile + ", " + config_.tlsKeyFile;
            }
            return failed("TLS files " + files + " not readable", code);
        }
    }
    mosquitto_reconnect_delay_set(client_, kReconnectFirstSeconds, kReconnectMaxSeconds, true);
    mosquitto_connect_callback_set(client_, &MqttPublisher::OnConnect);
    mosquitto_disconnect_callback_set(client_, &MqttPublisher::OnDisconnect);
    mosquitto_publish_callback_set(client_, &MqttPublisher::OnPublish);

    worker_ = std::thread([this] {
        if (ConnectFirst() && config_.readings) {
            SendReadings();
        }
    });
    Log().info("MQTT: publishing to {}:{} as {} under {}/{}", config_.host, config_.port, config_.clientId,
               config_.prefix, config_.site);
    return true;
}

void MqttPublisher::Stop() {
    if (client_ == nullptr) {
        return;
    }
    bool waitForOffline = false;
    {
        std::unique_lock lock(mutex_);
        stopping_ = true;
        if (connected_) {
            // DISCONNECT discards the last will, so the service says "offline" itself.
            waitForOffline = Publish(serviceTopic_, "offline", kRetainedQos, true) == MOSQ_ERR_SUCCESS;
        }
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
    if (waitForOffline) {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, kOfflineWait, [this] { return offlineDelivered_ || !connected_; })) {
            Log().warn("MQTT: the broker did not confirm \"offline\"; its last will may say it later");
        }
    }
    mosquitto_disconnect(client_);
    // Not forced: the network thread ends at once, even while waiting to reconnect.
    mosquitto_loop_stop(client_, false);
    mosquitto_destroy(client_);
    client_ = nullptr;
}

void MqttPublisher::OnSnapshot(const ScaleSnapshot& snapshot) {
    std::unique_lock lock(mutex_);
    if (stopping_) {
        return;
    }
    Scale& scale = scales_[snapshot.identity.id];
    const std::string topic = ScaleTopic(config_, snapshot.identity);
    if (!scale.topic.empty() && scale.topic != topic) {
        // The scale told its serial number: its retained messages move, the old ones go.
        for (const auto& [subTopic, payload] : scale.retained) {
            const std::string old = scale.topic + "/" + subTopic;
            if (!connected_ || Publish(old, "", kRetainedQos, true) != MOSQ_ERR_SUCCESS) {
                toClear_.push_back(old);
            }
        }
        scale.retained.clear();
    }
    scale.topic = topic;
    Offer(scale, "identity", IdentityJson(snapshot.identity));
    Offer(scale, "state", StateJson(snapshot));
    if (snapshot.lastError) {
        Offer(scale, "error", ErrorJson(snapshot.lastError->code));
    }
    if (snapshot.identity.calibrationCount) {
        Offer(scale, "calibration", std::to_string(*snapshot.identity.calibrationCount));
    }
    if (config_.readings) {
        OfferReading(scale, snapshot);
        lock.unlock();
        changed_.notify_all();
    }
}

void MqttPublisher::Offer(Scale& scale, const std::string& subTopic, std::string payload) {
    std::string& last = scale.retained[subTopic];
    if (last == payload) {
        return;
    }
    last = std::move(payload);
    if (connected_) {
        Publish(scale.topic + "/" + subTopic, last, kRetainedQos, true);
    }
}

void MqttPublisher::OfferReading(Scale& scale, const ScaleSnapshot& snapshot) {
    // taken_at changes with every poll: only what the scale shows counts as a change.
    std::string key = ReadingKey(snapshot);
    if (key == scale.readingKey) {
        return;
    }
    scale.readingKey = std::move(key);
    scale.readingText = ReadingJson(snapshot);
    scale.readingPending = true;
}

// libmosquitto's thread retries only a connection that once began: until then this one does.
bool MqttPublisher::ConnectFirst() {
    std::chrono::seconds delay(kReconnectFirstSeconds);
    int lastCode = MOSQ_ERR_SUCCESS;
    while (true) {
        int code = mosquitto_connect_async(client_, config_.host.c_str(), config_.port, config_.keepaliveSeconds);
        if (code == MOSQ_ERR_SUCCESS) {
            code = mosquitto_loop_start(client_);
            if (code != MOSQ_ERR_SUCCESS) {
                Log().error("MQTT: no network thread: {}; the service goes on without the broker",
                            mosquitto_strerror(code));
            }
            return code == MOSQ_ERR_SUCCESS;
        }
        if (code != lastCode) {
            Log().warn("MQTT: {}:{} not reached ({}); retrying", config_.host, config_.port,
                       code == MOSQ_ERR_ERRNO ? std::string(std::strerror(errno)) : mosquitto_strerror(code));
            lastCode = code;
        }
        std::unique_lock lock(mutex_);
        if (changed_.wait_for(lock, delay, [this] { return stopping_; })) {
            return false;
        }
        delay = std::min(delay * 2, std::chrono::seconds(kReconnectMaxSeconds));
    }
}

// Readings wait here for their scale's next slot; the last one of a burst is sent when it comes,
// so a subscriber ends with the weight the scale settled on.
void MqttPublisher::SendReadings() {
    const auto spacing = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
        std::chrono::duration<double>(1.0 / config_.readingsPerSecond));
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        auto next = std::chrono::steady_clock::time_point::max();
        for (auto& [id, scale] : scales_) {
            if (!scale.readingPending) {
                continue;
            }
            const auto due = scale.readingSentAt + spacing;
            if (due > now) {
                next = std::min(next, due);
                continue;
            }
            scale.readingPending = false;
            scale.readingSentAt = now;
            if (connected_) {
                Publish(scale.topic + "/reading", scale.readingText, kReadingQos, false);
            }
        }
        if (next == std::chrono::steady_clock::time_point::max()) {
            changed_.wait(lock);
        } else {
            changed_.wait_until(lock, next);
        }
    }
}

int MqttPublisher::Publish(const std::string& topic, const std::string& payload, int qos, bool retain) {
    int messageId = 0;
    const int code = mosquitto_publish(client_, &messageId, topic.c_str(), static_cast<int>(payload.size()),
                                       payload.data(), qos, retain);
    // One line per kind of failure, not one per message.
    if (code != MOSQ_ERR_SUCCESS && code != lastPublishError_) {
        Log().warn("MQTT: publishing {} failed: {}", topic, mosquitto_strerror(code));
    }
    lastPublishError_ = code;
    if (code == MOSQ_ERR_SUCCESS && topic == serviceTopic_ && payload == "offline") {
        offlineMessage_ = messageId;
    }
    return code;
}

void MqttPublisher::OnConnect(mosquitto*, void* self, int code) {
    auto& publisher = *static_cast<MqttPublisher*>(self);
    if (code != 0) {
        Log().warn("MQTT: {}:{} refused the connection: {}", publisher.config_.host, publisher.config_.port,
                   mosquitto_connack_string(code));
        return;
    }
    std::lock_guard lock(publisher.mutex_);
    publisher.connected_ = true;
    if (publisher.stopping_) {
        return;
    }
    Log().info("MQTT: connected to {}:{}", publisher.config_.host, publisher.config_.port);
    // A broker restarted without persistence has lost every retained message: send them all again.
    publisher.Publish(publisher.serviceTopic_, "online", kRetainedQos, true);
    for (const std::string& topic : publisher.toClear_) {
        publisher.Publish(topic, "", kRetainedQos, true);
    }
    publisher.toClear_.clear();
    for (const auto& [id, scale] : publisher.scales_) {
        for (const auto& [subTopic, payload] : scale.retained) {
            publisher.Publish(scale.topic + "/" + subTopic, payload, kRetainedQos, true);
        }
    }
}

void MqttPublisher::OnDisconnect(mosquitto*, void* self, int code) {
    auto& publisher = *static_cast<MqttPublisher*>(self);
    {
        std::lock_guard lock(publisher.mutex_);
        // A refused connection was never up: its refusal is logged already.
        const bool wasUp = std::exchange(publisher.connected_, false);
        if (code != 0 && wasUp && !publisher.stopping_) {
            Log().warn("MQTT: lost {}:{} ({}); reconnecting", publisher.config_.host, publisher.config_.port,
                       mosquitto_strerror(code));
        }
    }
    publisher.changed_.notify_all();
}

void MqttPublisher::OnPublish(mosquitto*, void* self, int messageId) {
    auto& publisher = *static_cast<MqttPublisher*>(self);
    {
        std::lock_guard lock(publisher.mutex_);
        if (messageId != publisher.offlineMessage_) {
            return;
        }
        publisher.offlineDelivered_ = true;
    }
    publisher.changed_.notify_all();
}

}  // namespace ponderixd
