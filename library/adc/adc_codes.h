// Constants the analog acquisition paths share.
#pragma once

#include <cstdint>

#include "core/result_codes.h"

namespace mirbax {

// The bulk-in pipe every analog acquisition reads.
inline constexpr uint8_t kTargetPipe = 0x86;
// No bulk read asks for fewer bytes.
inline constexpr uint32_t MinBlock = 512;
// At most this many samples in one scan.
inline constexpr uint32_t kMaxScanSamples = 1024;

}  // namespace mirbax
