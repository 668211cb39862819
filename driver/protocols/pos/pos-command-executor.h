#pragma once

#include <optional>
#include <string>

#include "commands/byte-man-executor.h"
#include "protocols/scale-reading.h"

namespace driver {

// The POS weight, zero and tare commands; the specify-tare frame carries its checksum after the value.
class POSCommandExecutor : public ByteManExecutor {
public:
    using ByteManExecutor::ByteManExecutor;

    // A request frame passes when it has at least 3 bytes, begins with 05 02 and is its third byte
    // plus 4 long; otherwise err = IncorrectArgumnts.
    static bool CheckRequestFrame(const ByteVector& frame, ErrorCase& err);
    // The two state bytes; any other size: err = IncorrectArgumnts and nothing.
    static std::optional<ScaleStatus> ReadState(const ByteVector& state, ErrorCase& err);
    // The same as the state text get_param returns (an empty text where ReadState gives nothing).
    static std::string ParseState(const ByteVector& state, ErrorCase& err);

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
};

}  // namespace driver
