#pragma once

#include <string>

#include "byte-vector.h"

namespace driver {

// The 15-byte CAS data frame: SOH STX state sign weight(6) unit(2) BCC ETX EOT.

// Polled answer: the frame that ends at the first ETX EOT is whole and its BCC holds.
bool CASStatusOfWeightChannelResponseValidator(const ByteVector& reply);
// Streamed answer: at least 16 bytes with an SOH STX followed later by ETX EOT.
bool CASActiveStatusOfWeightChannelResponseValidator(const ByteVector& reply);

struct CASFields {
    bool stable = false;
    char state = 0;
    std::string sign;    // empty when the frame has a blank there
    std::string weight;  // the six weight characters as sent
    std::string unit;    // "kg", "lb" or "g"
};

// Reads the fields at their fixed offsets from the first byte of frame. A frame too short for them
// gives DeviceUnexpectedResponse, an unknown state or unit DeviceResponseIncorrectFormat.
CASFields ReadCASFields(const ByteVector& frame, ErrorCase& err);

// Weight, UnitOfMeasure and WeightState ("1"/"0" at characters 1, 5 and 7, "*" elsewhere).
// A weight field of blanks only gives DeviceResponseIncorrectFormat.
ResultMap ParseCASFrame(const ByteVector& frame, ErrorCase& err);

}  // namespace driver
