#include "stream-hub.h"

#include "snapshot-json.h"

#include <boost/asio/post.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>
#include "service-log.h"

namespace ponderixd {

namespace beast = boost::beast;
namespace websocket = beast::websocket;

// One client's stream. A client slower than the scale gets the newest reading, not a backlog.
class StreamSession : public std::enable_shared_from_this<StreamSession> {
public:
    StreamSession(boost::asio::ip::tcp::socket socket, std::string id) : ws_(std::move(socket)), id_(std::move(id)) {}

    void Run(Request request, std::string first) {
        ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
        ws_.read_message_max(1024);  // clients have nothing to say
        pending_ = std::make_shared<const std::string>(std::move(first));
        request_ = std::move(request);
        ws_.async_accept(request_, [self = shared_from_this()](beast::error_code ec) {
            if (ec) {
                Log().info("stream of {}: upgrade failed: {}", self->id_, ec.message());
                return;
            }
            self->open_ = true;
            self->Write();
            self->Read();
        });
    }

    void Push(std::shared_ptr<const std::string> json) {
        pending_ = std::move(json);
        if (open_) Write();
    }

private:
    void Read() {
        ws_.async_read(incoming_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
            if (ec) {
                self->open_ = false;  // closed, timed out or too long: the session ends with its handlers
                return;
            }
            self->incoming_.clear();
            self->Read();
        });
    }

    void Write() {
        if (writing_ || !pending_) return;
        writing_ = true;
        sending_ = std::move(pending_);
        ws_.text(true);
        ws_.async_write(boost::asio::buffer(*sending_), [self = shared_from_this()](beast::error_code ec, std::size_t) {
            self->writing_ = false;
            if (ec) {
                self->open_ = false;
                return;
            }
            if (self->open_) self->Write();
        });
    }

    websocket::stream<beast::tcp_stream> ws_;
    std::string id_;
    Request request_;
    beast::flat_buffer incoming_;
    std::shared_ptr<const std::string> pending_;
    std::shared_ptr<const std::string> sending_;
    bool open_ = false;
    bool writing_ = false;
};

namespace {
constexpr std::size_t kMaxStreams = 256;
}

StreamHub::StreamHub(boost::asio::io_context& context) : context_(context) {}

bool StreamHub::Full() {
    std::size_t open = 0;
    for (auto& [id, sessions] : streams_) {
        std::erase_if(sessions, [](const auto& weak) { return weak.expired(); });
        open += sessions.size();
    }
    return open >= kMaxStreams;
}

void StreamHub::OnSnapshot(const ScaleSnapshot& snapshot) {
    auto json = std::make_shared<const std::string>(ReadingJson(snapshot));
    boost::asio::post(context_, [this, id = snapshot.identity.id, json] {
        auto found = streams_.find(id);
        if (found == streams_.end()) return;
        auto& sessions = found->second;
        std::erase_if(sessions, [](const auto& session) { return session.expired(); });
        for (const auto& weak : sessions) {
            if (auto session = weak.lock()) session->Push(json);
        }
    });
}

void StreamHub::Accept(boost::asio::ip::tcp::socket socket, Request request, const std::string& id, std::string first) {
    auto session = std::make_shared<StreamSession>(std::move(socket), id);
    streams_[id].push_back(session);
    session->Run(std::move(request), std::move(first));
}

}  // namespace ponderixd
