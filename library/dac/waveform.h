// Waveform output: the stream operations shared by the exported waveform
// functions, the worker and load-and-process output.
//
// Three board kinds take waveforms (dac_kinds.h): waveform-FIFO boards queue
// 8192-byte buffers for TDACWorker; DAC-through-stream boards send frames
// through the digital stream on the caller's thread; slow-waveform boards send
// frames to bulk OUT pipe 0x06 on the caller's thread.
#pragma once

#include <cstdint>

#include "core/device_table.h"

namespace mirbax {

inline constexpr uint32_t FrameBufferSize = 8192;      // bytes per queued buffer
inline constexpr uint32_t kMaxFramePoints = 6400;      // points per frame
inline constexpr std::size_t kMaxQueuedBuffers = 32;   // a frame waits beyond this
// The most whole buffers one frame can complete: a full frame of eight
// channels after a pending buffer one byte short of full.
inline constexpr std::size_t kMaxBuffersPerFrame =
    (FrameBufferSize - 1 + kMaxFramePoints * 8 * sizeof(uint16_t)) / FrameBufferSize;
inline constexpr int64_t kAutoStartBytes = 163'840;    // sent before the worker starts
inline constexpr double kDACBaseClockHz = 12'000'000.0;
inline constexpr uint8_t kWaveformPipe = 0x02;
inline constexpr uint8_t kSlowWavePipe = 0x06;

// Sample word flags of a waveform-FIFO frame (bits 11-0 hold the count).
inline constexpr uint16_t kSampleCountMask = 0x0FFF;
inline constexpr uint16_t kLastChannelOfPoint = 0x2000;
inline constexpr uint16_t kLastSampleOfFrame = 0x4000;
inline constexpr uint16_t kLastSampleOfWaveform = 0x8000;
inline constexpr uint16_t kEndOfWaveformWord = 0xE000;

// Commands of VRQ_DAC_CONTROL.
inline constexpr uint16_t kDACControlPrepare = 0x80;
inline constexpr uint16_t kDACControlStart = 0x01;
inline constexpr uint16_t kDACControlInterlock = 0x20;

// The divisor of the 12 MHz base clock for the rate at ClockHz, rounded to
// nearest (ties to even); ClockHz becomes the rate the divisor gives.  Rates
// too slow for the 16-bit divisor (below 12 MHz / 65535, about 183.1 Hz) get
// divisor 65535 and report that rate.  A rate that gives no divisor (0,
// 24 MHz or more, negative, not a number, infinite) throws
// std::domain_error.
uint16_t DACDivisorFromRate(double &ClockHz);

uint32_t OutputOpen(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz);
uint32_t OutputFrameRaw(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                        const uint16_t *FrameData);
// bMarkEnd: DACOutputClose (the end of the waveform is marked) or
// DACOutputCloseNoEnd.
uint32_t OutputClose(uint32_t DeviceIndex, TDeviceData &device, bool bMarkEnd);

// Prepares the waveform FIFO of a bDACStream board (prepare, data pointer,
// divisor) for the rate at ClockHz.
uint32_t PrepareWaveformFIFO(uint32_t DeviceIndex, TDeviceData &device, double &ClockHz);

// Sends FramePoints words through the open digital stream until all have
// gone; a failure closes the digital stream and is returned.
uint32_t SendThroughDigitalStream(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                                  const uint16_t *FrameData);

// The worker's start of the output once enough data has gone: as
// DACOutputStart, but also while the stream is closing, so that a waveform
// closed before the worker reached the threshold still plays.
void AutoStartOutput(uint32_t DeviceIndex);

}  // namespace mirbax
