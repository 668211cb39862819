#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace exchange_bench {

using Bytes = std::vector<std::uint8_t>;
using Complete = std::function<bool(const Bytes&)>;

// The minimal host side: a pseudo-terminal slave in raw mode or a loopback socket, plain
// write() and poll()/read(), nothing else between the caller and the simulator.
class RawLine {
public:
    static RawLine OpenPty(const std::string& path);
    static RawLine OpenTcp(const std::string& hostPort);

    RawLine(RawLine&& other) noexcept;
    RawLine& operator=(RawLine&&) = delete;
    RawLine(const RawLine&) = delete;
    ~RawLine();

    bool Write(const Bytes& bytes);
    // Reads into `in` (cleared first) until `complete` holds; false at the deadline or on an error.
    bool ReadUntil(Bytes& in, const Complete& complete, std::chrono::milliseconds deadline);
    // Drops whatever is waiting to be read.
    void Drain();

private:
    explicit RawLine(int fd) : fd_(fd) {}
    int fd_ = -1;
};

}  // namespace exchange_bench
