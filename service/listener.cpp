#include "listener.h"

#include "service-log.h"

namespace ponderixd {

namespace {
// Beyond this many open connections new ones are closed at once, so file descriptors last.
constexpr int kMaxConnections = 256;
}  // namespace

Listener::Listener(boost::asio::io_context& io, ServerContext& context)
    : acceptor_(io, {boost::asio::ip::make_address(context.config.listen), context.config.port}), context_(context) {}

void Listener::Start() {
    Log().info("listening on {}:{}", context_.config.listen, acceptor_.local_endpoint().port());
    Accept();
}

void Listener::Accept() {
    acceptor_.async_accept([this](boost::system::error_code ec, boost::asio::ip::tcp::socket socket) {
        if (ec == boost::asio::error::operation_aborted) return;
        if (ec) {
            Log().warn("accept failed: {}", ec.message());
        } else if (context_.connections >= kMaxConnections) {
            Log().warn("{} connections open, one more refused", context_.connections);
        } else {
            std::make_shared<HttpSession>(std::move(socket), context_)->Start();
        }
        Accept();
    });
}

}  // namespace ponderixd
