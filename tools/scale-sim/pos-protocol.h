#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "scale-state.h"
#include "wire.h"

namespace scale_sim {

// State bits of a POS status answer, first state byte:
//   bit 0 stable, bit 1 zero, bit 2 always set (marks bits 0 and 4 as "stable" flags),
//   bit 4 stable (repeated), bit 7 overload;
// second state byte: bit 7 overload, bit 6 a tare is in use.
inline constexpr std::uint8_t kPosStable = 0x01;
inline constexpr std::uint8_t kPosZero = 0x02;
inline constexpr std::uint8_t kPosStableSense = 0x04;
inline constexpr std::uint8_t kPosStableCopy = 0x10;
inline constexpr std::uint8_t kPosOverload = 0x80;
inline constexpr std::uint8_t kPosOverload2 = 0x80;
inline constexpr std::uint8_t kPosTareInUse2 = 0x40;

std::array<std::uint8_t, 2> PosStateBytes(const ScaleState& state);

// ACK, STX, LEN 0A, ':' '0', two state bytes, weight (signed 32-bit, little-endian),
// tare (unsigned 16-bit, little-endian), XOR of LEN and the payload.
Reply PosStatusAnswer(const ScaleState& state);

// ACK, STX, LEN 02, the command character, 00, checksum: the answer to zero, tare and
// specify tare.
Reply PosCommandAnswer(std::uint8_t command);

// Takes one request from the head of `input`: ENQ is acknowledged, a frame is checked and
// carried out, anything else is skipped as line noise.
ParseStep PosConsume(std::span<const std::uint8_t> input, ScaleState& state);

}  // namespace scale_sim
