// The oscillator clock code: the worked values, the octave carry and the
// refusal of rates that are not numbers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "dac/oscillator_clock.h"

namespace mirbax {
namespace {

struct ClockCase {
  double requestedHz;
  uint16_t code;       // as returned: W with its bytes swapped
  double producedHz;   // the rate written back
};

class OctDacFromFreqTable : public ::testing::TestWithParam<ClockCase> {};

TEST_P(OctDacFromFreqTable, GivesTheCodeAndTheRateProduced) {
  const ClockCase &c = GetParam();
  double hz = c.requestedHz;
  EXPECT_EQ(OctDacFromFreq(hz), c.code) << "requested " << c.requestedHz;
  EXPECT_NEAR(hz, c.producedHz, 0.01) << "requested " << c.requestedHz;
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, OctDacFromFreqTable,
    ::testing::Values(
        ClockCase{0, 0x0000, 0},                     // off: code 0, rate stays 0
        ClockCase{1000, 0x0000, 1039},               // below the slowest setting
        ClockCase{1039, 0x0000, 1039},
        ClockCase{1'000'000, 0xFC9E, 1'000'432.01},  // W 0x9EFC: octave 9, offset 959
        ClockCase{1'048'576, 0xC49F, 1'048'576},     // octave 9, offset 1009, exact
        ClockCase{40'000'000, 0xC4F4, 40'003'505.28},
        ClockCase{50'000'000, 0xC4F4, 40'003'505.28},  // clamped to 40 MHz
        // Just below 4156 Hz the offset rounds to 1024: carried into octave 2
        // (W 0x2000), not OR-ed into octave 1 (which would give W 0x1000,
        // a rate of 2078 Hz).
        ClockCase{4155.2, 0x0020, 4156}));

TEST(OctDacFromFreq, ExactRateIsKeptExactly) {
  double hz = 1'048'576;
  OctDacFromFreq(hz);
  EXPECT_EQ(hz, 1'048'576.0);
}

// Every code fits its fields and reproduces the rate it reports, across the
// whole range, including the rates just below each octave boundary.
TEST(OctDacFromFreq, CodeAlwaysDescribesTheRateReported) {
  for (double hz = 1039; hz <= 40'000'000; hz *= 1.0007) {
    for (const double requested : {hz, std::nextafter(hz, 0.0)}) {
      double produced = requested;
      const uint16_t code = OctDacFromFreq(produced);
      const uint16_t W = uint16_t((code >> 8) | (code << 8));
      const int octave = W >> 12;
      const int offset = (W >> 2) & 0x3FF;
      ASSERT_EQ(W & 3, 0) << requested;
      ASSERT_DOUBLE_EQ(produced, OscillatorRate(octave, offset)) << requested;
      // The nearest setting is never more than half an offset step away.
      ASSERT_NEAR(produced / requested, 1.0, 0.0011) << requested;
    }
  }
}

TEST(OctDacFromFreq, RefusesRatesThatAreNotUsable) {
  for (const double bad : {-1.0, -1e-300, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity()}) {
    double hz = bad;
    EXPECT_THROW(OctDacFromFreq(hz), std::domain_error) << bad;
  }
}

}  // namespace
}  // namespace mirbax
