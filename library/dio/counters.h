// Counter addressing shared by the counter functions, the pulse-width
// monitor and the analog-input code that paces acquisitions with counters.
#pragma once

#include <cstdint>

#include "core/device_table.h"

namespace mirbax {

// The counters of one 8254 block.
inline constexpr uint32_t kCountersPerBlock = 3;

// Normalizes a counter address in place.  Block 0: CounterIndex is a flat
// index over all counters of the board (block = index div 3, counter =
// index mod 3).  Block 1 and up: the block as given, the counter below 3.
// The block must be below the board's Counters.  0, or ERROR_INVALID_ADDRESS
// (487) for an address beyond the board.
uint32_t MapCounterBlock(const TDeviceData &device, uint32_t &BlockIndex, uint32_t &CounterIndex);

}  // namespace mirbax
