// Load-and-process output: a whole waveform in one call, on the caller's
// thread, without an open stream or a worker.
#pragma once

#include <cstdint>

#include "core/device_table.h"

namespace mirbax {

// The base clock of the waveform-FIFO boards and the DAC-through-stream rate
// of immediate writes (which the oscillator makes exactly: octave 9,
// offset 1009).
inline constexpr double kDACDIOStreamImmHz = 1'048'576.0;

// Moves the samples to the board at the rate at ClockHz (replaced by the rate
// obtained).  pSampleData is caller memory, read through guarded copies.
uint32_t OutputLoadProcess(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz,
                           uint32_t Samples, const uint16_t *pSampleData);

// OutputLoadProcess, then on a waveform-FIFO board the start of the output.
uint32_t OutputProcess(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz,
                       uint32_t Samples, const uint16_t *pSampleData);

}  // namespace mirbax
