// The board's ADC configuration block as the tool reads it: which channels
// a scan covers and how many conversions each gets.
#pragma once

#include <cstdint>
#include <optional>

namespace mirbax::tool {

struct ScanLayout {
  uint32_t startChannel = 0;
  uint32_t endChannel = 0;
  uint32_t conversionsPerChannel = 1;  // oversample + 1
  uint32_t Channels() const { return endChannel - startChannel + 1; }
  uint32_t SamplesPerScan() const { return Channels() * conversionsPerChannel; }
};

// The layout the block describes (start and end channel, oversample), or
// the library's code when the block cannot be read.
uint32_t ReadScanLayout(uint32_t entry, ScanLayout &layout);

}  // namespace mirbax::tool
