#pragma once

#include "raw-line.h"

namespace exchange_bench {

// One status reading (or one Balvex read) written out by hand: the same bytes the driver
// sends, read until the same completeness condition. False when the scale did not answer.
bool HandPosStatus(RawLine& line, Bytes& scratch);
bool HandCasStatus(RawLine& line, Bytes& scratch);
bool HandOkaStatus(RawLine& line, Bytes& scratch);
bool HandBalvexMaxWeight(RawLine& line, Bytes& scratch);

}  // namespace exchange_bench
