#pragma once

#include <memory>

#include "commands/byte-vector.h"
#include "driver/driver.h"

namespace driver {

class CommandContext;

// A field of a byte-coded request or reply.
struct ByteField {
    std::int32_t offset;
    std::int32_t length;
    ParamType type;
};

// Ready-made completeness tests.
bool DefaultResponseValidator(const ByteVector& reply);    // >= 3 bytes ending in CR LF
bool AcceptAnyResponseValidator(const ByteVector& reply);  // always
bool AckNakResponseValidator(const ByteVector& reply);     // holds ACK (6) or NAK (21)

// Carries out one command run; made by CreateCommandExecutor for that run only.
class ICommandExecutor {
public:
    virtual ~ICommandExecutor() = default;
    virtual ResultMap ExecuteCommand(CommandContext& context, ErrorCase& err) = 0;
};

// Stands for a command that has no executor; never run in practice.
class EmptyExecutor : public ICommandExecutor {
public:
    ResultMap ExecuteCommand(CommandContext& context, ErrorCase& err) override;
};

// Never returns nullptr: an unsupported command yields an EmptyExecutor and err = CommandUnsupported.
std::unique_ptr<ICommandExecutor> CreateCommandExecutor(Command command, ErrorCase& err);

}  // namespace driver
