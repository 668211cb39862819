#pragma once

#include <string>

#include "commands/byte-vector.h"
#include "driver/driver.h"

namespace driver {

enum class TransferState : std::int32_t { Idle = 0, Waiting = 1, Finished = 2 };

// The byte transport to a scale. Every call is synchronous on the caller's thread and bounded
// by the connection's deadline.
class Connection {
public:
    virtual ~Connection() = default;

    virtual void Open(ErrorCase& err) = 0;
    virtual bool IsOpen() = 0;
    virtual void Close() = 0;
    virtual void SetDefaultOptions(ErrorCase& err) = 0;
    virtual bool IsOptionSupported(Option option) = 0;
    virtual void SetOption(Option option, const std::string& value, ErrorCase& err) = 0;
    virtual std::string GetOption(Option option, ErrorCase& err) = 0;
    // Throws std::logic_error when the connection is not open.
    virtual void WriteData(const ByteVector& data, ErrorCase& err) = 0;
    // Appends to out until isComplete(out) or the deadline; a deadline is not an error here.
    virtual void ReadData(ByteVector& out, const ResponseValidator& isComplete, ErrorCase& err) = 0;
    // Drops input nobody read (a reply that came after its deadline, frames a streaming scale sent
    // while nobody listened), so a reading is never answered by old bytes.
    virtual void DiscardInput() = 0;
    virtual TransferState GetState() = 0;
    virtual void SetState(TransferState state) = 0;
};

}  // namespace driver
