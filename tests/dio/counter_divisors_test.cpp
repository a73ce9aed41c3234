// The two-divisor search on its own: worked values, the tie-break, and the
// rates it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/result_codes.h"
#include "dio/counter_divisors.h"

namespace mirbax::testing {
namespace {

struct DivisorCase {
  const char *what;
  double rootClock;
  double wantedHz;
  uint16_t a, b;
};

// The rate reported back is always RootClock / (A * B) of the pair chosen.
const DivisorCase kCases[] = {
    {"at RootClock/4 and above: the fastest pair", 10e6, 5e6, 2, 2},
    {"just above RootClock/4", 10e6, 3e6, 2, 2},
    {"exactly RootClock/4", 10e6, 2.5e6, 2, 2},
    {"square root met exactly", 10e6, 1000, 100, 100},
    {"100 kHz on a 10 MHz board", 10e6, 100e3, 10, 10},
    {"search walks B down to an exact pair", 3e6, 1000, 60, 50},
    {"exact pair off the square root", 3e6, 60, 250, 200},
    {"no exact pair: the smallest error", 10e6, 440, 947, 24},
    {"no exact pair, fractional rate", 10e6, 12345.678, 30, 27},
    // 9975 = 105 * 95 = 133 * 75 = ... all give the same error: the largest B
    // found first wins.
    {"equal errors: the larger B", 10e6, 1002.5, 105, 95},
    {"slow rate, both divisors near the limit", 10e6, 0.00233, 65512, 65512},
    {"slow rate with unequal divisors", 10e6, 0.0024, 64957, 64145},
};

class Divisors : public ::testing::TestWithParam<DivisorCase> {};

TEST_P(Divisors, ChoosesThePairAndReportsTheRateItMakes) {
  const DivisorCase &c = GetParam();
  double hz = c.wantedHz;
  uint16_t a = 0, b = 0;
  ASSERT_EQ(CalcHzDivisors(&hz, &a, &b, c.rootClock), ERROR_SUCCESS) << c.what;
  EXPECT_EQ(a, c.a) << c.what;
  EXPECT_EQ(b, c.b) << c.what;
  EXPECT_DOUBLE_EQ(hz, c.rootClock / (double(c.a) * double(c.b))) << c.what;
}

INSTANTIATE_TEST_SUITE_P(WorkedValues, Divisors, ::testing::ValuesIn(kCases));

// Below the search's start, no B with a 16-bit A gives a smaller error than
// the one chosen: checked against every B the search may visit.
TEST(DivisorSearch, NoVisitedPairBeatsTheChoice) {
  const double rootClock = 10e6;
  for (const double wanted : {7.0, 123.4, 999.9, 31415.9, 77777.0}) {
    double hz = wanted;
    uint16_t a = 0, b = 0;
    ASSERT_EQ(CalcHzDivisors(&hz, &a, &b, rootClock), ERROR_SUCCESS);
    const double chosenError = std::fabs(wanted - hz);
    const double ab = rootClock / wanted;
    for (long l = std::lrint(std::sqrt(ab)); l >= 2; --l) {
      const long other = std::lrint(ab / double(l));
      if (other > 65535) break;
      EXPECT_GE(std::fabs(wanted - rootClock / (double(other) * double(l))), chosenError)
          << wanted << " Hz, B " << l;
    }
  }
}

struct RefusedCase {
  const char *what;
  double rootClock;
  double wantedHz;
};

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const RefusedCase kRefused[] = {
    {"not a number", 10e6, kNaN},
    {"infinite rate", 10e6, kInf},
    {"zero rate", 10e6, 0.0},
    {"negative rate", 10e6, -1000.0},
    {"divisors above 65535 (below RootClock / 65535^2)", 10e6, 0.0023},
    {"far too slow", 10e6, 1e-12},
    {"smallest positive double", 10e6, std::numeric_limits<double>::denorm_min()},
    {"no root clock", 0.0, 1000.0},
    {"root clock not a number", kNaN, 1000.0},
    {"infinite root clock", kInf, 1000.0},
};

class RefusedRates : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedRates, GiveInvalidDataAndWriteNothing) {
  const RefusedCase &c = GetParam();
  double hz = c.wantedHz;
  uint16_t a = 0x1111, b = 0x2222;
  EXPECT_EQ(CalcHzDivisors(&hz, &a, &b, c.rootClock), ERROR_INVALID_DATA) << c.what;
  EXPECT_EQ(a, 0x1111) << c.what;
  EXPECT_EQ(b, 0x2222) << c.what;
  if (std::isnan(c.wantedHz))
    EXPECT_TRUE(std::isnan(hz));
  else
    EXPECT_EQ(hz, c.wantedHz) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Table, RefusedRates, ::testing::ValuesIn(kRefused));

}  // namespace
}  // namespace mirbax::testing
