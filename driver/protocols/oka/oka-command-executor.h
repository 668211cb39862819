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

private:
    // The field's bytes, traced.
    ByteVector TracedField(const ByteVector& reply, const ByteField& field);
};

}  // namespace driver
