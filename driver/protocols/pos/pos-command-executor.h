#pragma once

#include <string>

#include "commands/byte-man-executor.h"

namespace driver {

// The POS weight, zero and tare commands; the specify-tare frame carries its checksum after the value.
class POSCommandExecutor : public ByteManExecutor {
public:
    using ByteManExecutor::ByteManExecutor;

    // A request frame passes when it has at least 3 bytes, begins with 05 02 and is its third byte
    // plus 4 long; otherwise err = IncorrectArgumnts.
    static bool CheckRequestFrame(const ByteVector& frame, ErrorCase& err);
    // Two state bytes into ten "0"/"1" characters: bits 0..7 of the first byte, then bits 7 and 6
    // of the second. Any other size: err = IncorrectArgumnts and an empty text.
    static std::string ParseState(const ByteVector& state, ErrorCase& err);

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
};

}  // namespace driver
