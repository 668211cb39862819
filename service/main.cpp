// ponderixd: the scales over HTTP and WebSocket, and published to an MQTT broker.
#include "listener.h"
#include "mqtt-publisher.h"
#include "scale-poller.h"
#include "service-config.h"
#include "stream-hub.h"

#include <CLI/CLI.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/signal_set.hpp>
#include "service-log.h"

namespace {

constexpr int kBadConfig = 2;
constexpr int kCannotServe = 1;

}  // namespace

int main(int argc, char** argv) {
    using ponderixd::Log;
    std::string configPath = "/etc/ponderix/ponderixd.conf";
    CLI::App app{
        "Serves retail weighing scales over HTTP and WebSocket: one poller per scale reads it every poll "
        "interval; clients read the latest reading, stream its changes and send tare and zero. With an [mqtt] "
        "section it also publishes each scale's identity, state and last error (and readings when asked) to an "
        "MQTT broker.",
        "ponderixd"};
    app.add_option("--config", configPath, "The INI file: [service], one [scale.<id>] per scale, [mqtt]")
        ->capture_default_str();
    app.set_version_flag("--version", PONDERIXD_VERSION);
    app.footer(
        "API: GET /v1/scales, GET /v1/scales/{id}, GET /v1/scales/{id}/reading, POST /v1/scales/{id}/tare\n"
        "(a body {\"tare_kg\": \"0.125\"} specifies the tare), POST /v1/scales/{id}/zero, and the WebSocket\n"
        "/v1/scales/{id}/stream. With a token configured every request needs \"Authorization: Bearer\n"
        "<token>\" (a WebSocket from a browser may give ?access_token=<token>).\n"
        "Exit status: 0 stopped by SIGTERM or SIGINT, 1 cannot serve (address in use), 2 bad configuration.");
    CLI11_PARSE(app, argc, argv);

    ponderixd::ServiceConfig config;
    try {
        config = ponderixd::LoadConfig(configPath);
    } catch (const ponderixd::ConfigError& error) {
        Log().error("{}: {}", configPath, error.what());
        return kBadConfig;
    }
    if (config.scales.empty()) config.scales = ponderixd::LogicDeviceScales();
    if (config.scales.empty()) Log().warn("no scales: the file names none and no logic device is stored");

    // Queued handlers hold sessions, which use the hub and the context: the io_context goes first.
    std::optional<boost::asio::io_context> io(std::in_place);
    ponderixd::StreamHub hub(*io);
    // Declared before the pollers: a sink outlives their threads.
    std::optional<ponderixd::MqttPublisher> mqtt;
    if (config.mqtt) mqtt.emplace(*config.mqtt);
    std::vector<std::unique_ptr<ponderixd::ScalePoller>> pollers;
    for (const auto& scale : config.scales) {
        pollers.push_back(std::make_unique<ponderixd::ScalePoller>(scale, std::chrono::milliseconds(config.pollMs)));
        pollers.back()->AddSink(hub);
        if (mqtt) pollers.back()->AddSink(*mqtt);
    }
    ponderixd::ServerContext context{config, ponderixd::Access(config), ponderixd::Routes(pollers, io->get_executor()),
                                     hub};
    std::optional<ponderixd::Listener> listener;
    try {
        listener.emplace(*io, context);
    } catch (const boost::system::system_error& error) {
        Log().error("cannot listen on {}:{}: {}", config.listen, config.port, error.code().message());
        return kCannotServe;
    }
    if (mqtt) mqtt->Start();  // a failure is logged; the service runs on without the broker
    for (auto& poller : pollers) poller->Start();
    listener->Start();

    std::optional<boost::asio::signal_set> signals(std::in_place, *io, SIGINT, SIGTERM);
    signals->async_wait([&](boost::system::error_code, int signal) {
        Log().info("signal {}: stopping", signal);
        io->stop();
    });
    io->run();
    for (auto& poller : pollers) poller->Stop();
    if (mqtt) mqtt->Stop();
    signals.reset();
    listener.reset();
    io.reset();
    return 0;
}
