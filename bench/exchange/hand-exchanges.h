#pragma once

#include "raw-line.h"

namespace exchange_bench {

// One status reading (or one native read) written out by hand: the same bytes the driver
// sends, read until the same completeness condition. False when the scale did not answer.
bool HandPosStatus(RawLine& line, Bytes& scratch);
bool HandCasStatus(RawLine& line, Bytes& scratch);
bool HandOkaStatus(RawLine& line, Bytes& scratch);
bool HandNativeMaxWeight(RawLine& line, Bytes& scratch);

}  // namespace exchange_bench
