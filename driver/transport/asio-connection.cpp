#include "transport/asio-connection.h"

#include <stdexcept>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/serial_port.hpp>
#include <boost/asio/write.hpp>

#include "log/logging.h"

namespace driver {

namespace {

constexpr std::string_view kUnit = "connection";

bool IsPortIoError(const boost::system::error_code& ec) {
    return ec == boost::system::errc::io_error;
}

// A peer that closed its socket, or a serial line that hung up.
bool IsLineLost(const boost::system::error_code& ec) {
    return ec == boost::asio::error::eof || ec == boost::asio::error::connection_reset ||
           ec == boost::asio::error::broken_pipe;
}

// "Response: \nByte vector: 0x01, 0xab, \n"
std::string HexDump(const ByteVector& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "Response: \nByte vector: ";
    text.reserve(text.size() + bytes.size() * 6 + 1);
    for (const std::uint8_t byte : bytes) {
        const char item[] = {'0', 'x', kDigits[byte >> 4], kDigits[byte & 0x0f], ',', ' '};
        text.append(item, sizeof item);
    }
    text += '\n';
    return text;
}

void LogReceived(const ByteVector& out) {
    if (!logging::Enabled(LogLevel::Trace)) return;
    LogTrace(kUnit, "ReadData(): bytes read: ");
    LogTrace(kUnit, HexDump(out));
}

}  // namespace

void CheckBoostErrorCase(const boost::system::error_code& ec, ErrorCase& err) {
    if (!ec) return;
    LogError(kUnit, "CheckBoostErrorCase(boost-ecase: @)", ec.message());
    err = ec == boost::system::errc::no_such_file_or_directory ? ErrorCase::UnableToOpenSerialPort
                                                               : ErrorCase::ConnectionError;
}

template <class Stream>
AsioConnection<Stream>::AsioConnection(std::string_view className) : className_(className) {}

template <class Stream>
bool AsioConnection<Stream>::IsOptionSupported(Option option) {
    return options_.contains(option);
}

template <class Stream>
void AsioConnection<Stream>::SetOption(Option option, const std::string& value, ErrorCase& err) {
    const auto entry = options_.find(option);
    if (entry == options_.end()) {
        err = ErrorCase::OptionUnsupported;
        return;
    }
    entry->second.setter(value, err);
}

template <class Stream>
std::string AsioConnection<Stream>::GetOption(Option option, ErrorCase& err) {
    const auto entry = options_.find(option);
    if (entry == options_.end()) {
        err = ErrorCase::OptionUnsupported;
        return {};
    }
    return entry->second.value;
}

template <class Stream>
void AsioConnection<Stream>::WriteData(const ByteVector& data, ErrorCase& err) {
    RequireOpen("WriteData");
    DiscardInput();
    outgoing_ = data;
    Transfer transfer{err};
    RunTransfer(transfer, &AsioConnection::IssueWrite);
}

template <class Stream>
void AsioConnection<Stream>::ReadData(ByteVector& out, const ResponseValidator& isComplete, ErrorCase& err) {
    RequireOpen("ReadData");
    Transfer transfer{err, &out, &isComplete};
    RunTransfer(transfer, &AsioConnection::IssueRead);
}

template <class Stream>
void AsioConnection<Stream>::LogWritten(const ByteVector&) {}

template <class Stream>
void AsioConnection<Stream>::RequireOpen(std::string_view operation) {
    if (IsOpen()) return;
    std::string text = "Norvell::Balvex::Driver::connection, , ";
    text.append(className_).append("::").append(operation).append(", port is closed.");
    throw std::logic_error(text);
}

// An I/O error (an unplugged USB adapter) ends the loop first: the port is reopened and the
// operation re-issued from here, never from inside a handler of the loop being run.
template <class Stream>
void AsioConnection<Stream>::RunTransfer(Transfer& transfer, Issue issue) {
    RunOnce(transfer, issue);
    if (!transfer.reopenWanted) return;

    transfer.reopenWanted = false;
    transfer.mayReopen = false;
    LogWarning(kUnit, "@, input/output error, reopening the port.", className_);
    Close();
    ErrorCase openErr = ErrorCase::Correct;
    Open(openErr);
    // A new descriptor starts with the system's line settings, not the ones the scale needs.
    if (openErr == ErrorCase::Correct) RestoreOptions(openErr);
    if (openErr != ErrorCase::Correct) {
        transfer.err = openErr;
        return;
    }
    RunOnce(transfer, issue);
}

template <class Stream>
void AsioConnection<Stream>::RestoreOptions(ErrorCase& err) {
    for (auto& [option, entry] : options_) {
        if (entry.value.empty()) continue;
        try {
            entry.setter(entry.value, err);
        } catch (const std::logic_error& error) {
            // Text the caller once gave that never was a valid value: nothing was applied then either.
            LogWarning(kUnit, "@, stored option [@] not applied again: @", className_, entry.value, error.what());
        }
        if (err != ErrorCase::Correct) {
            LogError(kUnit, "@, the reopened port refused option [@]", className_, entry.value);
            return;
        }
    }
}

template <class Stream>
void AsioConnection<Stream>::RunOnce(Transfer& transfer, Issue issue) {
    state_ = TransferState::Waiting;
    (this->*issue)(transfer);
    RunUntilDeadline();
    // A lost line is closed, so the next call reports it at once instead of waiting out its
    // deadline on a descriptor that will never be readable again.
    if (transfer.lineLost) Close();
}

template <class Stream>
void AsioConnection<Stream>::IssueWrite(Transfer& transfer) {
    boost::asio::async_write(stream_, boost::asio::buffer(outgoing_),
                             [this, &transfer](const boost::system::error_code& ec, std::size_t) {
                                 if (abandoned_ || ec == boost::asio::error::operation_aborted) return;
                                 if (ec) {
                                     OnFailure(transfer, ec, "WriteData");
                                     return;
                                 }
                                 Finish();
                                 LogWritten(outgoing_);
                             });
}

template <class Stream>
void AsioConnection<Stream>::IssueRead(Transfer& transfer) {
    stream_.async_read_some(boost::asio::buffer(chunk_),
                            [this, &transfer](const boost::system::error_code& ec, std::size_t size) {
                                if (!abandoned_) OnRead(transfer, ec, size);
                            });
}

template <class Stream>
void AsioConnection<Stream>::OnRead(Transfer& transfer, const boost::system::error_code& ec, std::size_t size) {
    ByteVector& out = *transfer.out;
    if (ec == boost::asio::error::operation_aborted) {
        // Bytes that came with the cancellation are kept; the deadline has ended the read.
        out.insert(out.end(), chunk_.begin(), chunk_.begin() + size);
        Finish();
        return;
    }
    if (ec) {
        OnFailure(transfer, ec, "ReadData");
        return;
    }
    out.insert(out.end(), chunk_.begin(), chunk_.begin() + size);
    if (*transfer.isComplete && (*transfer.isComplete)(out)) Finish();
    LogReceived(out);
    if (state_ != TransferState::Finished) IssueRead(transfer);
}

template <class Stream>
void AsioConnection<Stream>::OnFailure(Transfer& transfer, const boost::system::error_code& ec,
                                       std::string_view operation) {
    if (IsPortIoError(ec) && transfer.mayReopen) {
        transfer.reopenWanted = true;
    } else if (IsLineLost(ec)) {
        LogError(kUnit, "@::@, the line was closed by the other end: @", className_, operation, ec.message());
        transfer.err = ErrorCase::BoostErrorUnknown;
        transfer.lineLost = true;
    } else {
        LogError(kUnit, "@::@, transfer failed: @", className_, operation, ec.message());
        transfer.err = ErrorCase::BoostErrorUnknown;
    }
    Finish();
}

template <class Stream>
void AsioConnection<Stream>::RunUntilDeadline() {
    io_.restart();
    try {
        io_.run_for(Deadline());
        if (io_.stopped()) return;  // every handler has run
        state_ = TransferState::Finished;
        CancelAndDrain();
    } catch (...) {
        Abandon();
        throw;
    }
}

// A handler threw (a completeness test, a log write): the rest of the operation's handlers still
// refer to the caller's frame, so they are cancelled and drained here, doing nothing.
template <class Stream>
void AsioConnection<Stream>::Abandon() {
    abandoned_ = true;
    CancelAndDrain();
    abandoned_ = false;
    state_ = TransferState::Finished;
}

// Repeated because a handler that ran before it saw the cancel may have issued more work (the
// next part of a composed write); each round cancels that too, so the drain cannot wait on the line.
template <class Stream>
void AsioConnection<Stream>::CancelAndDrain() {
    boost::system::error_code ignored;
    do {
        stream_.cancel(ignored);
        io_.restart();
        io_.run_for(std::chrono::milliseconds(10));
    } while (!io_.stopped());
}

template class AsioConnection<boost::asio::serial_port>;
template class AsioConnection<boost::asio::ip::tcp::socket>;

}  // namespace driver
