#include "dac/oscillator_clock.h"

#include <cmath>
#include <stdexcept>

namespace mirbax {

namespace {

constexpr double kOscillatorBaseHz = 2078.0;
constexpr double kSlowestHz = kOscillatorBaseHz / 2;  // Octave 0, Offset 0
// The factor that turns the decimal logarithm into octaves.  It is slightly
// above 1 / log10(2); the offset below absorbs the difference, and the carry
// handles the rates it pushes to the top of an octave.
constexpr double kOctavesPerDecade = 3.322;

uint16_t SwapBytes(uint16_t word) { return uint16_t((word >> 8) | (word << 8)); }

}  // namespace

double OscillatorRate(int Octave, int Offset) {
  return std::ldexp(kOscillatorBaseHz, Octave) / (2.0 - Offset / 1024.0);
}

uint16_t OctDacFromFreq(double &ClockHz) {
  if (!std::isfinite(ClockHz) || ClockHz < 0) throw std::domain_error("clock rate out of range");
  if (ClockHz == 0) return 0;
  if (ClockHz > kOscillatorMaxHz) ClockHz = kOscillatorMaxHz;

  int Octave = int(std::floor(std::log10(ClockHz / kSlowestHz) * kOctavesPerDecade));
  int Offset = 0;
  if (Octave < 0) {
    Octave = 0;
  } else {
    Offset = int(std::nearbyint(2048.0 - std::ldexp(kOscillatorBaseHz, Octave + 10) / ClockHz));
    // Just below an octave boundary the offset rounds up to 1024, which does
    // not fit its 10-bit field: that rate is offset 0 of the next octave.
    if (Offset >= 1024) {
      ++Octave;
      Offset = 0;
    }
  }
  const uint16_t W = uint16_t((Octave << 12) | (Offset << 2));
  ClockHz = OscillatorRate(Octave, Offset);
  return SwapBytes(W);
}

}  // namespace mirbax
