#include "commands/command-executor.h"

#include <algorithm>
#include <stdexcept>

#include "commands/wire-bytes.h"

namespace driver {

bool DefaultResponseValidator(const ByteVector& reply) {
    const auto size = reply.size();
    return size >= 3 && reply[size - 2] == wire::kCr && reply[size - 1] == wire::kLf;
}

bool AcceptAnyResponseValidator(const ByteVector&) {
    return true;
}

bool AckNakResponseValidator(const ByteVector& reply) {
    return std::any_of(reply.begin(), reply.end(),
                       [](std::uint8_t byte) { return byte == wire::kAck || byte == wire::kNak; });
}

ResultMap EmptyExecutor::ExecuteCommand(CommandContext&, ErrorCase&) {
    throw std::logic_error("Norvell::Balvex::Driver::command-executor, EmptyExecutor was ran.");
}

}  // namespace driver
