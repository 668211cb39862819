#pragma once

#include <string>

#include "commands/byte-man-executor.h"

namespace driver {

// The OKA weight reading and specify-tare commands; numbers are decimal digit bytes.
class OKACommandExecutor : public ByteManExecutor {
public:
    using ByteManExecutor::ByteManExecutor;

protected:
    ByteVector MakeRequest(CommandContext& context, ErrorCase& err) override;
    ResultMap ParseResponse(CommandContext& context, const ByteVector& reply, ErrorCase& err) override;
    // WeightState as "0x" and hex digits; other fields as the number their digits form, or an
    // empty text when the bytes are no digits.
    std::string GetStringManipulation(const ByteVector& reply, const ByteField& field) override;
};

}  // namespace driver
