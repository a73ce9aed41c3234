#include "sim/product_info.h"

namespace mirbax::sim {

namespace {

bool InRange(uint16_t id, uint16_t first, uint16_t last) { return id >= first && id <= last; }

ProductInfo Digital(uint32_t bytes, uint32_t configBits = 0) {
  ProductInfo info;
  info.known = true;
  info.dioBytes = bytes;
  info.dioConfigBits = configBits != 0 ? configBits : bytes;
  return info;
}

// The analog-input boards: 16 channels, one counter block, a multiplexer
// that widens the channel count on the later models.
ProductInfo AnalogInput(uint16_t id) {
  ProductInfo info = Digital(2);
  info.counterBlocks = 1;
  info.adcChannels = 16;
  const uint16_t base = id & ~0x0100;
  if (base <= 0x8044 || base == 0x805F) {
    info.adcMuxChannels = 16;
    info.adcConfigBytes = 20;
  } else if (base <= 0x8049) {
    info.adcMuxChannels = 64;
    info.adcConfigBytes = 21;
  } else {
    info.adcMuxChannels = 32 * ((base - 0x804A) / 5 + 1);
    info.adcConfigBytes = 21;
  }
  if (id & 0x0100) info.dacChannels = 4;
  return info;
}

// The multi-channel DAC boards with flash.
ProductInfo AnalogOutput(uint16_t id) {
  static constexpr uint32_t kDacsByVariant[] = {16, 12, 8, 4};
  ProductInfo info = Digital(2);
  info.flashSectors = 32;
  info.dacChannels = kDacsByVariant[(id / 2) % 4];
  info.immediateAdcs = id % 2 == 0 ? 2 : 0;
  return info;
}

bool IsWatchdogDigital(uint16_t id) {
  return InRange(id, 0x8010, 0x8012) || InRange(id, 0x8014, 0x8016) ||
         InRange(id, 0x8018, 0x801A) || InRange(id, 0x801C, 0x801F);
}

}  // namespace

ProductInfo LookUpProduct(uint16_t id) {
  ProductInfo info;
  if (id == 0x4001 || id == 0x4002 || id == 0x4003) {
    info.known = true;
    info.dacChannels = 8;
    info.dacStream = id != 0x4003;
  } else if (id == 0x8001) {
    info = Digital(4);
    info.counterBlocks = 3;
    info.debounce = true;
  } else if (id == 0x8002) {
    info = Digital(6);
  } else if (id == 0x8003) {
    info = Digital(12);
  } else if (id == 0x8004) {
    info = Digital(4, 32);
  } else if (id == 0x8005 || id == 0x8006) {
    info = Digital(3, 4);
    info.debounce = true;
    info.counterBlocks = id == 0x8006 ? 2 : 0;
  } else if (InRange(id, 0x8008, 0x800A)) {
    info = Digital(1);
    info.dioStream = true;
  } else if (InRange(id, 0x800C, 0x800F)) {
    info = Digital(4);
    info.dioStream = true;
    info.dacChannels = 1;
  } else if (IsWatchdogDigital(id)) {
    info = Digital(4);
  } else if (id == 0x8020) {
    info = Digital(0);
    info.counterBlocks = 5;
  } else if (id == 0x8030 || id == 0x8031 || id == 0x8036 || id == 0x8037) {
    info = Digital(2);
    info.immediateAdcs = id >= 0x8036 ? 2 : 0;
  } else if (id == 0x8032 || id == 0x8033) {
    info = Digital(3);
  } else if (InRange(id, 0x803C, 0x803E)) {
    info = Digital(9);
  } else if (InRange(id, 0x8040, 0x805F) || InRange(id, 0x8140, 0x815F)) {
    info = AnalogInput(id);
  } else if (id == 0x8060 || InRange(id, 0x8070, 0x807F)) {
    info = AnalogOutput(id);
  } else if (id == 0x8068) {
    info = Digital(2);
    info.dioStream = true;
    info.dacChannels = 1;
  } else if (id == 0x8180) {
    info = Digital(2);
    info.dioStream = true;
    info.adcChannels = 2;
    info.adcMuxChannels = 2;
    info.adcConfigBytes = 2;
  }
  return info;
}

}  // namespace mirbax::sim
