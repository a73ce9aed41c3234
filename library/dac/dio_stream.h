// The digital stream: 16-bit words moved between host and board in bulk
// blocks, paced by the board's two oscillator clocks (one for writes, one for
// reads).  The exported DIO_Stream* functions wrap these; the DAC-through-
// stream boards use them directly for their waveforms.
//
// All take a resolved, open device index and its entry, and run on the
// caller's thread; one thread at a time moves frames on a device's stream.
#pragma once

#include <cstdint>

#include "core/device_table.h"

namespace mirbax {

inline constexpr uint8_t kStreamInPipe = 0x86;
inline constexpr uint8_t kStreamOutPipe = 0x02;

// Bits of the clock record's first byte.
inline constexpr uint8_t kWriteClockOff = 0x01;
inline constexpr uint8_t kReadClockOff = 0x02;

// Opens the stream in one direction (1349 no stream, 4 already open).
uint32_t StreamOpen(uint32_t DeviceIndex, TDeviceData &device, bool bIsRead);

// Sends the 5-byte clock record: disables, then the two oscillator codes as
// OctDacFromFreq returns them, each stored little-endian.
uint32_t SendStreamClocks(uint32_t DeviceIndex, uint8_t Disables, uint16_t WriteOctDac,
                          uint16_t ReadOctDac);

// Moves FramePoints words between the caller's memory at pFrameData and the
// stream, in blocks of StreamingBlockSize words.  BytesTransferred counts
// the bytes moved (it is not reset here).  Caller memory is reached only
// through guarded copies: an unreadable or unwritable frame gives 998.
uint32_t StreamFrame(uint32_t DeviceIndex, TDeviceData &device, uint32_t FramePoints,
                     void *pFrameData, uint32_t &BytesTransferred);

// Marks the stream closed (1349 no stream, 2 not open); nothing is sent.
uint32_t StreamClose(TDeviceData &device);

}  // namespace mirbax
