#include "commands/command-executor.h"

#include <algorithm>
#include <stdexcept>

namespace driver {

namespace {
constexpr std::uint8_t kCr = 13;
constexpr std::uint8_t kLf = 10;
constexpr std::uint8_t kAck = 6;
constexpr std::uint8_t kNak = 21;
}  // namespace

bool DefaultResponseValidator(const ByteVector& reply) {
    const auto size = reply.size();
    return size >= 3 && reply[size - 2] == kCr && reply[size - 1] == kLf;
}

bool AcceptAnyResponseValidator(const ByteVector&) {
    return true;
}

bool AckNakResponseValidator(const ByteVector& reply) {
    return std::any_of(reply.begin(), reply.end(), [](std::uint8_t byte) { return byte == kAck || byte == kNak; });
}

ResultMap EmptyExecutor::ExecuteCommand(CommandContext&, ErrorCase&) {
    throw std::logic_error("Norvell::Balvex::Driver::command-executor, EmptyExecutor was ran.");
}

}  // namespace driver
