// What a board of a given USB product ID carries, as the simulated firmware
// sees it: sizes its models from, and derives its default capability
// record from.  Follows the library's table of known product IDs.
#pragma once

#include <cstdint>

namespace mirbax::sim {

struct ProductInfo {
  bool known = false;           // a product ID of the family
  uint32_t dioBytes = 0;        // digital I/O bytes
  uint32_t dioConfigBits = 0;   // direction-control bits
  uint32_t counterBlocks = 0;   // 8254 chips of three counters
  uint32_t adcConfigBytes = 0;  // size of the ADC configuration block; 0 = no ADC
  uint32_t adcChannels = 0;
  uint32_t adcMuxChannels = 0;
  uint32_t dacChannels = 0;    // immediate DAC channels
  uint32_t immediateAdcs = 0;  // immediate ADC readings of DAC boards
  uint32_t flashSectors = 0;   // 64 KiB sectors; 0 = no flash
  bool debounce = false;
  bool dioStream = false;
  bool dacStream = false;  // a waveform FIFO
};

ProductInfo LookUpProduct(uint16_t productId);

}  // namespace mirbax::sim
