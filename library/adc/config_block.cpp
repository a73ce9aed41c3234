#include "adc/config_block.h"

#include <algorithm>

namespace mirbax {

ScanLimits ScanLimitsOf(std::span<const uint8_t> block, bool wideForm) {
  const uint8_t low = block.size() > kScanLimitsOffset ? block[kScanLimitsOffset] : 0;
  ScanLimits limits{uint32_t(low & 0x0F), uint32_t(low >> 4)};
  if (wideForm && block.size() > kScanLimitsHighOffset) {
    const uint8_t high = block[kScanLimitsHighOffset];
    limits.start |= uint32_t(high & 0x0F) << 4;
    limits.end |= uint32_t(high & 0xF0);
  }
  return limits;
}

void StoreScanLimits(std::span<uint8_t> block, uint32_t start, uint32_t end, bool wideForm) {
  if (!wideForm) {
    block[kScanLimitsOffset] = uint8_t(start | (end << 4));
    return;
  }
  block[kScanLimitsOffset] = uint8_t((start & 0x0F) | (end << 4));
  block[kScanLimitsHighOffset] = uint8_t((start >> 4) | (end & 0xF0));
}

uint8_t MakeRangeByte(uint8_t gainCode, int32_t bDifferential) {
  return uint8_t(uint32_t(gainCode) | uint32_t(bDifferential) * 8u);
}

uint32_t RangeByteIndex(uint32_t channel, uint8_t rangeShift) {
  return std::min(channel >> rangeShift, kRangeBytes - 1);
}

bool IsKnownCalMode(uint8_t calMode) {
  return calMode == 0 || calMode == 1 || calMode == 3 || calMode == 5 || calMode == 7;
}

}  // namespace mirbax
