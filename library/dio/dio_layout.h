// Sizes of a board's digital space, as every digital record is laid out.
//
// Line i lives in byte i div 8, bit i mod 8.  Data: one byte per 8 lines
// (DIOBytes).  Direction mask: one bit per direction-control bit, rounded up
// to whole bytes.  Tristate mask: likewise per tristate-control bit.
#pragma once

#include <cstdint>

#include "core/device_table.h"

namespace mirbax {

struct DioLayout {
  uint32_t D;  // data bytes
  uint32_t M;  // direction-mask bytes
  uint32_t T;  // tristate-mask bytes
};

inline DioLayout LayoutOf(const TDeviceData &device) {
  return {device.DIOBytes, (device.DIOConfigBits + 7) / 8, (device.Tristates + 7) / 8};
}

// A byte sent in a 16-bit value field, widened as a signed byte: 0x00..0x7F
// unchanged, 0x80..0xFF become 0xFF80..0xFFFF.
constexpr uint16_t SignedByteValue(uint8_t byte) { return uint16_t(int16_t(int8_t(byte))); }

}  // namespace mirbax
