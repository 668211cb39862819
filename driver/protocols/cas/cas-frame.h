#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "commands/byte-vector.h"
#include "protocols/scale-reading.h"

namespace driver {

// The 15-byte CAS data frame: SOH STX state sign weight(6) unit(2) BCC ETX EOT.

// Where a frame lies in the bytes received: [begin, end).
struct CASFrameSpan {
    std::size_t begin = 0;
    std::size_t end = 0;
};

// Polled answer: the frame that ends at the first ETX EOT, whole and with its BCC holding. Bytes
// before it (line noise, a stale tail) are not part of it.
std::optional<CASFrameSpan> FindPolledCASFrame(const ByteVector& reply);
// Streamed answer: the first SOH STX and the first ETX EOT after it. A read may start in the tail
// of a frame, so the first SOH alone (which may be a BCC of 0x01) does not start a frame.
std::optional<CASFrameSpan> FindStreamedCASFrame(const ByteVector& reply);
ByteVector CutCASFrame(const ByteVector& reply, const CASFrameSpan& span);

// Complete exactly when the matching Find… above finds a frame.
bool CASStatusOfWeightChannelResponseValidator(const ByteVector& reply);
bool CASActiveStatusOfWeightChannelResponseValidator(const ByteVector& reply);

struct CASFields {
    bool stable = false;
    char state = 0;
    std::string sign;    // empty when the frame has a blank there
    std::string weight;  // the six weight characters as sent
    WeightUnit unit = WeightUnit::Kilogram;
};

// Reads the fields at their fixed offsets from the first byte of frame. A frame too short for them
// gives DeviceUnexpectedResponse, an unknown state or unit DeviceResponseIncorrectFormat.
CASFields ReadCASFields(const ByteVector& frame, ErrorCase& err);

// The frame as a reading; a weight field of blanks only gives DeviceResponseIncorrectFormat.
ScaleReading ReadCASReading(const ByteVector& frame, ErrorCase& err);

// The reading's texts: Weight, UnitOfMeasure and WeightState.
ResultMap ParseCASFrame(const ByteVector& frame, ErrorCase& err);

}  // namespace driver
