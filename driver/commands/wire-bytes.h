#pragma once

#include <cstdint>

// The ASCII control bytes the scales frame and hand-shake with, named once for the whole driver.
namespace driver::wire {

inline constexpr std::uint8_t kSoh = 0x01;  // start of heading: opens a CAS frame
inline constexpr std::uint8_t kStx = 0x02;  // start of text
inline constexpr std::uint8_t kEtx = 0x03;  // end of text
inline constexpr std::uint8_t kEot = 0x04;  // end of transmission: closes a CAS frame
inline constexpr std::uint8_t kEnq = 0x05;  // enquiry: wakes the scale before a request
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kLf = 0x0A;
inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kDc1 = 0x11;  // device control 1: asks a polled CAS scale for its frame
inline constexpr std::uint8_t kNak = 0x15;

}  // namespace driver::wire
