// The clock code of the boards' programmable oscillator (an LTC6903-type
// part), which makes the sample clocks of the digital stream and of the
// DAC-through-stream boards.
//
// The oscillator runs at f = 2^Octave * 2078 / (2 - Offset / 1024) Hz with
// Octave 0..15 and Offset 0..1023; its control word is
// W = (Octave << 12) | (Offset << 2) and travels most significant byte first.
#pragma once

#include <cstdint>

namespace mirbax {

// The highest rate the oscillator is asked for; faster requests are clamped.
inline constexpr double kOscillatorMaxHz = 40'000'000.0;

// The rate the oscillator makes for an octave and offset.
double OscillatorRate(int Octave, int Offset);

// The control word for the rate at ClockHz, with its two bytes swapped so that
// a record storing it as a little-endian 16-bit field carries W high byte
// first.  ClockHz is replaced by the rate the oscillator really makes.
// A rate of 0 gives code 0 and stays 0; a rate below 1039 Hz gives code 0
// (the slowest setting, 1039 Hz).  A negative, NaN or infinite rate throws
// std::domain_error (the exported call then fails with 1359 before anything
// is sent).
uint16_t OctDacFromFreq(double &ClockHz);

}  // namespace mirbax
