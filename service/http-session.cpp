#include "http-session.h"

#include "snapshot-json.h"

#include <boost/beast/websocket.hpp>
#include "service-log.h"

namespace ponderixd {

namespace beast = boost::beast;
namespace websocket = beast::websocket;

namespace {

constexpr auto kIdle = std::chrono::seconds(30);
constexpr std::uint32_t kHeaderLimit = 8192;

// A browser cannot set headers on a WebSocket, so the upgrade may carry the token in the query.
std::string QueryToken(std::string_view target) {
    const auto query = target.find('?');
    if (query == std::string_view::npos) return {};
    std::string_view rest = target.substr(query + 1);
    while (!rest.empty()) {
        const auto end = std::min(rest.find('&'), rest.size());
        const auto pair = rest.substr(0, end);
        if (pair.substr(0, 13) == "access_token=") return "Bearer " + std::string(pair.substr(13));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return {};
}

}  // namespace

HttpSession::HttpSession(boost::asio::ip::tcp::socket socket, ServerContext& context)
    : stream_(std::move(socket)), context_(context) {
    ++context_.connections;
    beast::error_code ec;
    address_ = stream_.socket().remote_endpoint(ec).address().to_string();
}

HttpSession::~HttpSession() {
    --context_.connections;
}

void HttpSession::Start() {
    ReadRequest();
}

void HttpSession::ReadRequest() {
    parser_.emplace();
    parser_->body_limit(context_.config.maxBodyBytes);
    parser_->header_limit(kHeaderLimit);
    stream_.expires_after(kIdle);
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) { self->OnRequest(ec); });
}

void HttpSession::OnRequest(beast::error_code ec) {
    if (ec == http::error::end_of_stream || ec == beast::error::timeout || ec == boost::asio::error::eof ||
        ec == boost::asio::error::connection_reset) {
        return;  // the client is gone or idle
    }
    origin_.clear();
    if (ec == http::error::body_limit) {
        asked_ = "a request with a body over " + std::to_string(context_.config.maxBodyBytes) + " bytes";
        return Send(ErrorReply(http::status::payload_too_large, "the body is too large"), false);
    }
    if (ec) {
        asked_ = "an unreadable request (" + ec.message() + ")";
        return Send(ErrorReply(http::status::bad_request, "unreadable request"), false);
    }
    Answer(parser_->get());
}

void HttpSession::Answer(const Request& request) {
    const bool keepAlive = request.keep_alive();
    // Without the query: it may hold a token.
    asked_ = std::string(request.method_string()) + " " +
             std::string(View(request.target()).substr(0, request.target().find('?')));
    if (!context_.access.Admit(address_, std::chrono::steady_clock::now())) {
        Response response = ErrorReply(http::status::too_many_requests, "too many requests");
        response.set(http::field::retry_after, "1");
        return Send(std::move(response), keepAlive);
    }
    const std::string origin(request[http::field::origin]);
    if (!context_.access.OriginAllowed(origin)) {
        asked_ += " from origin " + origin;
        return Send(ErrorReply(http::status::forbidden, "origin not allowed"), keepAlive);
    }
    origin_ = origin;
    if (request.method() == http::verb::options) {
        // A preflight carries no credentials; it only learns what the real request may do.
        Response response{http::status::no_content, 11};
        response.set(http::field::allow, "GET, POST, OPTIONS");
        response.set(http::field::access_control_allow_methods, "GET, POST, OPTIONS");
        response.set(http::field::access_control_allow_headers, "Authorization, Content-Type");
        response.set(http::field::access_control_max_age, "600");
        return Send(std::move(response), keepAlive);
    }
    const bool upgrade = websocket::is_upgrade(request);
    std::string authorization(request[http::field::authorization]);
    if (authorization.empty() && upgrade) authorization = QueryToken(View(request.target()));
    if (!context_.access.Authorized(authorization)) {
        Response response = ErrorReply(http::status::unauthorized, "a valid bearer token is required");
        response.set(http::field::www_authenticate, "Bearer");
        return Send(std::move(response), keepAlive);
    }
    if (upgrade) {
        if (context_.hub.Full()) {
            return Send(ErrorReply(http::status::service_unavailable, "too many streams"), false);
        }
        if (ScalePoller* poller = context_.routes.StreamOf(View(request.target()))) {
            stream_.expires_never();
            context_.hub.Accept(stream_.release_socket(), parser_->release(), poller->config().id,
                                ReadingJson(*poller->Latest()));
            return;
        }
        return Send(ErrorReply(http::status::not_found, "no such stream"), false);
    }
    // The routes may answer later (a command); this session reads nothing meanwhile.
    context_.routes.Handle(request, [self = shared_from_this(), keepAlive](Response response) {
        self->Send(std::move(response), keepAlive);
    });
}

void HttpSession::AddCors(Response& response) const {
    if (origin_.empty()) return;
    response.set(http::field::access_control_allow_origin, origin_);
    response.set(http::field::vary, "Origin");
}

void HttpSession::Send(Response response, bool keepAlive) {
    if (response.result_int() >= 400) {
        Log().info("{}: {} answered {} {}", address_, asked_, response.result_int(), response.body());
    }
    AddCors(response);
    response.set(http::field::server, "ponderixd");
    response.keep_alive(keepAlive);
    response.prepare_payload();
    auto message = std::make_shared<Response>(std::move(response));
    stream_.expires_after(kIdle);
    http::async_write(stream_, *message, [self = shared_from_this(), message](beast::error_code ec, std::size_t) {
        if (ec) return;
        if (!message->keep_alive()) {
            beast::error_code ignored;
            self->stream_.socket().shutdown(boost::asio::ip::tcp::socket::shutdown_send, ignored);
            return;
        }
        self->ReadRequest();
    });
}

}  // namespace ponderixd
