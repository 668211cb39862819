// The API's paths: what each answers, from the pollers' latest snapshots. Commands go to a
// poller's thread and are answered when it is done, never by waiting on the server's thread.
#pragma once

#include "scale-poller.h"

#include <boost/asio/any_io_executor.hpp>
#include <boost/beast/http.hpp>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ponderixd {

namespace http = boost::beast::http;
using Request = http::request<http::string_body>;
using Response = http::response<http::string_body>;
// Called once, on the server's thread.
using Respond = std::function<void(Response)>;

// Beast's views are Boost's, not the standard's.
inline std::string_view View(boost::beast::string_view text) {
    return {text.data(), text.size()};
}

Response JsonReply(http::status status, std::string body);
// An HTTP-level error: {"error": message, "code": status}.
Response ErrorReply(http::status status, const std::string& message);

class Routes {
public:
    Routes(const std::vector<std::unique_ptr<ScalePoller>>& pollers, boost::asio::any_io_executor executor);

    void Handle(const Request& request, Respond respond);
    // The scale of "/v1/scales/{id}/stream", or null for any other target.
    ScalePoller* StreamOf(std::string_view target) const;

private:
    ScalePoller* Find(std::string_view id) const;
    void Command(ScalePoller& poller, ScaleCommand command, std::uint32_t grams, Respond respond);

    const std::vector<std::unique_ptr<ScalePoller>>& pollers_;
    boost::asio::any_io_executor executor_;
};

// "0.125" kilograms as whole grams; none for anything else (a sign, more than three decimals,
// more than 100 kg).
std::optional<std::uint32_t> TareGrams(const std::string& kilograms);

}  // namespace ponderixd
