#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include <boost/asio/io_context.hpp>
#include <boost/system/error_code.hpp>

#include "transport/connection.h"

namespace driver {

// Maps a failed open, resolve, connect or option call to a result code and logs the library's text.
// A missing port (ENOENT) is UnableToOpenSerialPort, everything else ConnectionError; success leaves
// err untouched.
void CheckBoostErrorCase(const boost::system::error_code& ec, ErrorCase& err);

// The transfer machinery shared by the serial port and the TCP socket: each write or read starts
// the asynchronous work and runs the connection's own event loop on the caller's thread until the
// work is done or the operation's deadline has passed. The loop's own wait carries the deadline, so
// a transfer costs no timer system calls. Stream is boost::asio::serial_port or ip::tcp::socket.
template <class Stream>
class AsioConnection : public Connection {
public:
    AsioConnection(const AsioConnection&) = delete;
    AsioConnection& operator=(const AsioConnection&) = delete;

    bool IsOpen() override { return stream_.is_open(); }
    bool IsOptionSupported(Option option) override;
    void SetOption(Option option, const std::string& value, ErrorCase& err) override;
    std::string GetOption(Option option, ErrorCase& err) override;
    void WriteData(const ByteVector& data, ErrorCase& err) override;
    void ReadData(ByteVector& out, const ResponseValidator& isComplete, ErrorCase& err) override;
    TransferState GetState() override { return state_; }
    void SetState(TransferState state) override { state_ = state; }
    // Every write discards unread input first, so a new request is never answered by an old reply.

protected:
    struct OptionEntry {
        std::string value;  // the text last given to the setter
        std::function<void(std::string, ErrorCase&)> setter;
    };

    // What the completion handlers of one operation work on; lives on the caller's stack for the
    // length of the loop run.
    struct Transfer {
        ErrorCase& err;
        ByteVector* out = nullptr;
        const ResponseValidator* isComplete = nullptr;
        bool mayReopen = true;  // one reopen per operation, so a dead port cannot loop
        bool reopenWanted = false;
        bool lineLost = false;  // the other end closed the line: nothing more will come over it
    };

    // className names the operations in the closed-port errors ("SerialPortConnection").
    explicit AsioConnection(std::string_view className);
    ~AsioConnection() override = default;

    virtual std::chrono::microseconds Deadline() const = 0;
    virtual void LogWritten(const ByteVector& data);

    // Marks the operation done; its loop returns once no handler is left.
    void Finish() { state_ = TransferState::Finished; }
    // Runs the loop until the operation's handlers are done or Deadline() has passed; at the
    // deadline the stream's work is cancelled and its handlers see operation_aborted.
    void RunUntilDeadline();
    bool Abandoned() const { return abandoned_; }

    boost::asio::io_context io_{1};
    Stream stream_{io_};
    std::map<Option, OptionEntry> options_;

private:
    using Issue = void (AsioConnection::*)(Transfer&);
    // Applies every stored option again to a reopened stream.
    void RestoreOptions(ErrorCase& err);

    void RequireOpen(std::string_view operation);
    void RunTransfer(Transfer& transfer, Issue issue);
    void RunOnce(Transfer& transfer, Issue issue);
    void IssueWrite(Transfer& transfer);
    void IssueRead(Transfer& transfer);
    void OnRead(Transfer& transfer, const boost::system::error_code& ec, std::size_t size);
    void OnFailure(Transfer& transfer, const boost::system::error_code& ec, std::string_view operation);
    void Abandon();
    void CancelAndDrain();

    std::array<std::uint8_t, 512> chunk_{};
    ByteVector outgoing_;
    TransferState state_ = TransferState::Idle;
    std::string_view className_;
    bool abandoned_ = false;
};

}  // namespace driver
