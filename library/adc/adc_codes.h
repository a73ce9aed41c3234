// Result codes of analog input that the core's table does not carry, and the
// constants the acquisition paths share.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace mirbax {

inline constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr uint32_t ERROR_NO_DATA = 232;
// A ring reader fell more than one ring behind the writer: samples were
// overwritten before they were read (see ring.cpp).
inline constexpr uint32_t ERROR_IO_DEVICE = 1117;

// The bulk-in pipe every analog acquisition reads.
inline constexpr uint8_t kTargetPipe = 0x86;
// No bulk read asks for fewer bytes.
inline constexpr uint32_t MinBlock = 512;
// At most this many samples in one scan.
inline constexpr uint32_t kMaxScanSamples = 1024;

}  // namespace mirbax
