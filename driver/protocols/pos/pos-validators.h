#pragma once

#include <cstddef>
#include <optional>

#include "commands/byte-vector.h"

namespace driver {

// Completeness tests of the POS answers.

// Position of the first ACK STX pair that leaves room for LEN and one more byte.
std::optional<std::size_t> FindPOSFrameStart(const ByteVector& reply);

// An ACK STX LEN frame whose checksum byte (XOR of LEN and the payload) has arrived and holds.
bool POSStatusOfWeightChannelResponseValidator(const ByteVector& reply);
// The fixed answers hold these bytes anywhere: 06 02 02 30 00 32 / 06 02 02 31 00 33 / 02 32 00.
bool POSSetZeroResponseValidator(const ByteVector& reply);
bool POSSetTareResponseValidator(const ByteVector& reply);
bool POSSpecifyTareResponseValidator(const ByteVector& reply);

}  // namespace driver
