#include "routes.h"

#include "snapshot-json.h"

#include <json-line.h>

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include "service-log.h"

#include <sstream>

namespace ponderixd {
namespace {

using jsonline::JsonLine;
// Longer than any driver deadline: a command waits at most one read before it runs.
constexpr auto kCommandDeadline = std::chrono::seconds(5);

std::vector<std::string_view> Segments(std::string_view target) {
    target = target.substr(0, target.find('?'));
    std::vector<std::string_view> segments;
    while (!target.empty()) {
        if (target.front() != '/') break;
        target.remove_prefix(1);
        const auto end = std::min(target.find('/'), target.size());
        segments.push_back(target.substr(0, end));
        target.remove_prefix(end);
    }
    return segments;
}

Response MethodNotAllowed(const char* allow) {
    Response response = ErrorReply(http::status::method_not_allowed, "method not allowed");
    response.set(http::field::allow, allow);
    return response;
}

http::status CommandStatus(std::int32_t code) {
    if (code == PDX_CORRECT) return http::status::ok;
    if (LineFailed(code)) return code == PDX_TIMEOUT ? http::status::gateway_timeout : http::status::service_unavailable;
    return http::status::conflict;  // the scale refused in its present state (not stable, …)
}

std::string ScaleJson(const ScaleSnapshot& snapshot, bool withReading) {
    JsonLine json;
    json.Json("identity", IdentityJson(snapshot.identity)).Json("state", StateJson(snapshot));
    if (withReading) json.Json("reading", ReadingJson(snapshot));
    return json.str();
}

// The body of a tare: empty (tare what lies on the scale) or {"tare_kg": "0.125"}. Answers what is
// wrong with it, or nothing.
std::string ReadTareBody(const std::string& body, std::optional<std::uint32_t>& grams) {
    if (body.find_first_not_of(" \t\r\n") == std::string::npos) return {};
    boost::property_tree::ptree tree;
    try {
        std::istringstream in(body);
        boost::property_tree::read_json(in, tree);
    } catch (const boost::property_tree::json_parser_error& error) {
        return "malformed JSON: " + error.message();
    }
    for (const auto& [key, value] : tree) {
        if (key != "tare_kg" || !value.empty()) return "unexpected field \"" + key + "\"";
    }
    const auto kilograms = tree.get_optional<std::string>("tare_kg");
    if (!kilograms) return "tare_kg missing";
    grams = TareGrams(*kilograms);
    if (!grams) return "tare_kg must be kilograms from 0 to 100 with at most three decimals";
    return {};
}

}  // namespace

Response JsonReply(http::status status, std::string body) {
    Response response{status, 11};
    response.set(http::field::content_type, "application/json");
    response.set(http::field::cache_control, "no-store");
    response.body() = std::move(body);
    return response;
}

Response ErrorReply(http::status status, const std::string& message) {
    return JsonReply(status, JsonLine().Text("error", message).Integer("code", static_cast<int>(status)).str());
}

std::optional<std::uint32_t> TareGrams(const std::string& kilograms) {
    const auto point = kilograms.find('.');
    const std::string whole = kilograms.substr(0, point);
    std::string fraction = point == std::string::npos ? "" : kilograms.substr(point + 1);
    const auto digitsOnly = [](const std::string& text) {
        return text.find_first_not_of("0123456789") == std::string::npos;
    };
    if (whole.empty() || whole.size() > 3 || fraction.size() > 3 || !digitsOnly(whole) || !digitsOnly(fraction)) {
        return std::nullopt;
    }
    fraction.resize(3, '0');
    const std::uint32_t grams = static_cast<std::uint32_t>(std::stoul(whole) * 1000 + std::stoul(fraction));
    if (grams > 100000) return std::nullopt;
    return grams;
}

Routes::Routes(const std::vector<std::unique_ptr<ScalePoller>>& pollers, boost::asio::any_io_executor executor)
    : pollers_(pollers), executor_(std::move(executor)) {}

ScalePoller* Routes::Find(std::string_view id) const {
    for (const auto& poller : pollers_) {
        if (poller->config().id == id) return poller.get();
    }
    return nullptr;
}

ScalePoller* Routes::StreamOf(std::string_view target) const {
    const auto segments = Segments(target);
    if (segments.size() != 4 || segments[0] != "v1" || segments[1] != "scales" || segments[3] != "stream") {
        return nullptr;
    }
    return Find(segments[2]);
}

void Routes::Handle(const Request& request, Respond respond) {
    const auto segments = Segments(View(request.target()));
    const bool isGet = request.method() == http::verb::get;
    const bool isPost = request.method() == http::verb::post;
    if (segments.size() < 2 || segments.size() > 4 || segments[0] != "v1" || segments[1] != "scales") {
        return respond(ErrorReply(http::status::not_found, "no such path"));
    }
    if (segments.size() == 2) {
        if (!isGet) return respond(MethodNotAllowed("GET, OPTIONS"));
        std::vector<std::string> scales;
        for (const auto& poller : pollers_) scales.push_back(ScaleJson(*poller->Latest(), false));
        return respond(JsonReply(http::status::ok, JsonLine().Json("scales", jsonline::JsonArray(scales)).str()));
    }
    const std::string_view action = segments.size() == 4 ? segments[3] : "";
    const bool isCommand = action == "tare" || action == "zero";
    if (!action.empty() && !isCommand && action != "reading" && action != "stream") {
        return respond(ErrorReply(http::status::not_found, "no such path"));
    }
    if (isCommand ? !isPost : !isGet) return respond(MethodNotAllowed(isCommand ? "POST, OPTIONS" : "GET, OPTIONS"));
    ScalePoller* poller = Find(segments[2]);
    if (poller == nullptr) return respond(ErrorReply(http::status::not_found, "no such scale"));
    if (action.empty()) return respond(JsonReply(http::status::ok, ScaleJson(*poller->Latest(), true)));
    if (action == "reading") return respond(JsonReply(http::status::ok, ReadingJson(*poller->Latest())));
    if (action == "stream") return respond(ErrorReply(http::status::bad_request, "a WebSocket upgrade is expected"));

    if (!poller->config().commands) {
        return respond(ErrorReply(http::status::forbidden, "commands are disabled for this scale"));
    }
    ScaleCommand command = action == "zero" ? ScaleCommand::Zero : ScaleCommand::Tare;
    std::uint32_t grams = 0;
    if (command == ScaleCommand::Tare) {
        std::optional<std::uint32_t> tare;
        if (auto problem = ReadTareBody(request.body(), tare); !problem.empty()) {
            return respond(ErrorReply(http::status::bad_request, problem));
        }
        if (tare) {
            command = ScaleCommand::SpecifyTare;
            grams = *tare;
        }
    } else if (!request.body().empty()) {
        return respond(ErrorReply(http::status::bad_request, "zero takes no body"));
    }
    Command(*poller, command, grams, std::move(respond));
}

void Routes::Command(ScalePoller& poller, ScaleCommand command, std::uint32_t grams, Respond respond) {
    const auto snapshot = poller.Latest();
    if (snapshot->state != LineState::Online) {
        const auto code = snapshot->lastError ? snapshot->lastError->code : PDX_CONNECTION_ERROR;
        return respond(JsonReply(http::status::service_unavailable, ErrorJson(code)));
    }
    // Whichever comes first answers: the poller's result or the deadline.
    struct Pending {
        Respond respond;
        boost::asio::steady_timer timer;
        bool answered = false;
        void Answer(Response response) {
            if (answered) return;
            answered = true;
            timer.cancel();
            respond(std::move(response));
        }
    };
    auto pending = std::make_shared<Pending>(Pending{std::move(respond), boost::asio::steady_timer(executor_)});
    pending->timer.expires_after(kCommandDeadline);
    pending->timer.async_wait([pending, id = poller.config().id](boost::system::error_code ec) {
        if (ec) return;
        Log().warn("scale {}: a command found no answer in {} s", id, kCommandDeadline.count());
        pending->Answer(ErrorReply(http::status::gateway_timeout, "the scale did not answer in time"));
    });
    const char* name = command == ScaleCommand::Zero ? "zero" : "tare";
    poller.Submit(command, grams, std::chrono::steady_clock::now() + kCommandDeadline, [pending, executor = executor_, name](std::int32_t code) {
        boost::asio::post(executor, [pending, name, code] {
            if (code == PDX_CORRECT) {
                pending->Answer(
                    JsonReply(http::status::ok, JsonLine().Text("command", name).Text("result", "ok").str()));
            } else {
                pending->Answer(JsonReply(CommandStatus(code), ErrorJson(code)));
            }
        });
    });
}

}  // namespace ponderixd
