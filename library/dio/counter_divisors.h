// The two-divisor search: turns a wanted rate into two chained 16-bit 8254
// divisors whose product divides the root clock as closely as possible.
//
// Counter 1 of a block divides the root clock by A, counter 2 divides again
// by B; the output runs at RootClock / (A * B).  Frequency output
// (CTR_StartOutputFreq) and the counter-clocked acquisition start both use
// this one routine.
#pragma once

#include <cstdint>

namespace mirbax {

// *pHz: the wanted rate on entry, the rate obtained on success.  On success
// returns 0 and stores both divisors.  Returns ERROR_INVALID_DATA (13) and
// writes nothing when the search cannot give a pair of 16-bit divisors:
//   - *pHz or RootClock is not a finite number;
//   - *pHz is 0 or negative (no rate to divide down to: callers that give
//     0 a meaning of their own, such as "stop the output", test for it
//     first);
//   - the rate is so low that a divisor would exceed 65535 (below about
//     RootClock / 65535^2, 0.0023 Hz at 10 MHz).
// Rates at or above RootClock / 4 give the fastest pair, A = B = 2.
uint32_t CalcHzDivisors(double *pHz, uint16_t *pDivisorA, uint16_t *pDivisorB, double RootClock);

}  // namespace mirbax
