// The layout of the board's ADC configuration block and the rules that read
// and change its fields.  Pure functions over a byte span: no transfer here.
//
// Bulk form (20 or 21 bytes): range bytes 0-15, calibration mode 16, start
// mode 17, scan limits (low nibbles) 18, oversample 19, and in the 21-byte
// form the high nibbles of the scan limits at 20.  DIO-stream form: two
// range bytes.
#pragma once

#include <cstdint>
#include <span>

namespace mirbax {

inline constexpr uint32_t kRangeBytes = 16;
inline constexpr uint32_t kCalModeOffset = 16;
inline constexpr uint32_t kStartModeOffset = 17;
inline constexpr uint32_t kScanLimitsOffset = 18;
inline constexpr uint32_t kOversampleOffset = 19;
inline constexpr uint32_t kScanLimitsHighOffset = 20;
inline constexpr uint32_t kWideBlockBytes = 21;

// Start-mode bits.
inline constexpr uint8_t kStartCounter = 0x01;   // conversions paced by the counter
inline constexpr uint8_t kStartExternal = 0x02;  // external trigger
inline constexpr uint8_t kStartScan = 0x04;      // one start converts the whole range
inline constexpr uint8_t kStartKeptBit = 0x10;   // kept by the fast-scan set-ups

struct ScanLimits {
  uint32_t start = 0;
  uint32_t end = 0;
};

// The scan limits of a block; byte 20 counts only when `wideForm` (the
// device's block is 21 bytes or more) and the block holds it.
ScanLimits ScanLimitsOf(std::span<const uint8_t> block, bool wideForm);

// Stores the scan limits (low 8 bits of each nibble combination), as the
// setter writes them: byte 18 alone in the 20-byte form, bytes 18 and 20 in
// the 21-byte form.
void StoreScanLimits(std::span<uint8_t> block, uint32_t start, uint32_t end, bool wideForm);

// A range byte as the setters write it: gain code | bDifferential x 8, in 8 bits.
uint8_t MakeRangeByte(uint8_t gainCode, int32_t bDifferential);

// The block byte holding the range of input channel `channel`:
// channel >> rangeShift, kept within the 16 range bytes (the groups of a
// 160-input multiplexer beyond 15 share range byte 15: bytes 16-19 are not
// ranges).
uint32_t RangeByteIndex(uint32_t channel, uint8_t rangeShift);

// True for the calibration modes the library writes: 0, 1, 3, 5, 7.
bool IsKnownCalMode(uint8_t calMode);

}  // namespace mirbax
