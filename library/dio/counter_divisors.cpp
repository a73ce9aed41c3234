#include "dio/counter_divisors.h"

#include <cmath>
#include <cstdlib>

#include "core/result_codes.h"

namespace mirbax {
namespace {

constexpr int64_t kMaxDivisor = 65535;

// x rounded to the nearest integer, ties to even; false when x is not a
// number or too large for a 64-bit integer (an arithmetic fault).
bool RoundToInteger(double x, int64_t &rounded) {
  if (!std::isfinite(x) || std::fabs(x) >= 9.2e18) return false;
  rounded = std::llrint(x);
  return true;
}

// The rate a divisor pair produces.  The product of two integers below 2^26
// is exact in a double, as it would be as a 32-bit integer.
double RateOf(double RootClock, int64_t a, int64_t b) {
  return RootClock / (double(a) * double(b));
}

struct DivisorPair {
  int64_t A = 2;
  int64_t B = 2;
};

// Below RootClock / 4: start from the pair nearest the square root of the
// whole division, then walk B down while A stays a 16-bit divisor, keeping
// the first pair with the smallest error.  Counting down and replacing only
// on a strictly smaller error makes the largest B win among equal errors.
bool SearchDivisors(double Hz, double RootClock, DivisorPair &pair) {
  const double AB = RootClock / Hz;
  int64_t B0 = 0, A0 = 0;
  if (!RoundToInteger(std::sqrt(AB), B0) || !RoundToInteger(AB / double(B0), A0)) return false;
  double bestError = std::fabs(Hz - RateOf(RootClock, A0, B0));
  int64_t bestB = B0;
  for (int64_t L = B0; L >= 2; --L) {
    int64_t A = 0;
    if (!RoundToInteger(AB / double(L), A)) return false;
    if (A > kMaxDivisor) break;
    const double error = std::fabs(Hz - RateOf(RootClock, A, L));
    if (error == 0) {
      bestB = L;
      break;
    }
    if (error < bestError) {
      bestB = L;
      bestError = error;
    }
  }
  pair.B = bestB;
  return RoundToInteger(AB / double(pair.B), pair.A);
}

}  // namespace

uint32_t CalcHzDivisors(double *pHz, uint16_t *pDivisorA, uint16_t *pDivisorB, double RootClock) {
  const double Hz = *pHz;
  if (!std::isfinite(Hz) || !std::isfinite(RootClock) || Hz <= 0 || RootClock <= 0)
    return ERROR_INVALID_DATA;

  DivisorPair pair;  // A = B = 2: the fastest the two counters can run
  if (RootClock > 4 * Hz && !SearchDivisors(Hz, RootClock, pair)) return ERROR_INVALID_DATA;
  // Too slow a rate leaves a divisor that a 16-bit counter cannot hold:
  // refuse it rather than load a truncated value.
  if (pair.A > kMaxDivisor || pair.B > kMaxDivisor) return ERROR_INVALID_DATA;

  *pDivisorA = uint16_t(pair.A);
  *pDivisorB = uint16_t(pair.B);
  *pHz = RateOf(RootClock, pair.A, pair.B);
  return ERROR_SUCCESS;
}

}  // namespace mirbax
