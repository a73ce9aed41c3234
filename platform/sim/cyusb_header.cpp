#include "platform/sim/cyusb_header.h"

namespace mirbax::platform::sim_backend {

namespace {

uint16_t Read16(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t Read32(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

}  // namespace

CyUsbHeader ParseCyUsbHeader(std::span<const uint8_t> bytes) {
  return CyUsbHeader{
      .requestType = bytes[0],
      .request = bytes[1],
      .value = Read16(bytes, 2),
      .index = Read16(bytes, 4),
      .length = Read16(bytes, 6),
      .timeoutSeconds = Read32(bytes, 8),
      .endpoint = bytes[13],
      .bufferOffset = Read32(bytes, 30),
      .bufferLength = Read32(bytes, 34),
  };
}

}  // namespace mirbax::platform::sim_backend
