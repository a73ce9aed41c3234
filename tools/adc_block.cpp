#include "adc_block.h"

#include "library_api.h"

namespace mirbax::tool {

namespace {
// Block offsets: scan limits (low nibbles), oversample, scan limits (high
// nibbles, 21-byte blocks only).
constexpr std::size_t kLimitsLow = 18;
constexpr std::size_t kOversample = 19;
constexpr std::size_t kLimitsHigh = 20;
}  // namespace

uint32_t ReadScanLayout(uint32_t entry, ScanLayout &layout) {
  uint8_t block[32] = {};
  uint32_t size = sizeof block;
  if (const uint32_t result = ADC_GetConfig(entry, block, &size)) return result;
  if (size <= kOversample) {
    // The 2-byte block of the DIO-stream board: two channels.
    layout = {0, 1, 1};
    return 0;
  }
  const uint8_t low = block[kLimitsLow];
  const uint8_t high = size > kLimitsHigh ? block[kLimitsHigh] : 0;
  layout.startChannel = uint32_t(low & 0x0F) | uint32_t(high & 0x0F) << 4;
  layout.endChannel = uint32_t(low >> 4) | uint32_t(high & 0xF0);
  if (layout.endChannel < layout.startChannel) layout.endChannel = layout.startChannel;
  layout.conversionsPerChannel = uint32_t(block[kOversample]) + 1;
  return 0;
}

}  // namespace mirbax::tool
