// Publishes every scale's snapshot to an MQTT broker, so one subscriber sees all shops' scales:
// retained <prefix>/<site>/<scale>/{identity,state,error,calibration}, optionally the readings,
// and <prefix>/<site>/service "online"/"offline" (the broker's last will covers a killed service).
#pragma once

#include "mqtt-config.h"
#include "scale-snapshot.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct mosquitto;

namespace ponderixd {

class MqttPublisher : public SnapshotSink {
public:
    explicit MqttPublisher(MqttConfig config);
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Connects in the background and keeps reconnecting. False (logged) when the client cannot even
    // be set up (a TLS file that cannot be read): the service then runs without the broker.
    bool Start();
    // Publishes "offline" and disconnects; waits at most a few seconds for the broker.
    void Stop();

    // Never waits on the network: libmosquitto's own thread sends what is queued here.
    void OnSnapshot(const ScaleSnapshot& snapshot) override;

private:
    struct Scale {
        std::string topic;
        std::map<std::string, std::string> retained;  // sub-topic → the payload last offered
        std::string readingKey;                       // what the last offered reading showed
        std::string readingText;
        bool readingPending = false;
        std::chrono::steady_clock::time_point readingSentAt{};
    };

    static void OnConnect(mosquitto* client, void* self, int code);
    static void OnDisconnect(mosquitto* client, void* self, int code);
    static void OnPublish(mosquitto* client, void* self, int messageId);

    void Offer(Scale& scale, const std::string& subTopic, std::string payload);
    void OfferReading(Scale& scale, const ScaleSnapshot& snapshot);
    // Called with mutex_ held.
    int Publish(const std::string& topic, const std::string& payload, int qos, bool retain);
    bool ConnectFirst();
    void SendReadings();

    const MqttConfig config_;
    const std::string serviceTopic_;
    mosquitto* client_ = nullptr;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    bool stopping_ = false;
    int offlineMessage_ = -1;
    bool offlineDelivered_ = false;
    int lastPublishError_ = 0;
    std::map<std::string, Scale> scales_;  // by the service's id
    std::vector<std::string> toClear_;     // retained topics a scale left while the broker was away
    std::thread worker_;                   // connects first, then spaces the readings
};

}  // namespace ponderixd
