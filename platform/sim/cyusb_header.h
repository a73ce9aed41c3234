// The 38-byte transfer header of the CyUSB driver, little-endian:
//   0 request type, 1 request, 2 value (2), 4 index (2), 6 length (2),
//   8 time-out in seconds (4), 12 reserved, 13 endpoint address,
//   14 driver status (4), 18 USB status (4), 22 isochronous packet offset (4),
//   26 isochronous packet length (4), 30 buffer offset (4), 34 buffer length (4).
// A control transfer puts it in front of its data stage; a bulk transfer
// sends it alone with the endpoint at offset 13.
#pragma once

#include <cstdint>
#include <span>

namespace mirbax::platform::sim_backend {

inline constexpr uint32_t kCyUsbHeaderSize = 38;

struct CyUsbHeader {
  uint8_t requestType;
  uint8_t request;
  uint16_t value;
  uint16_t index;
  uint16_t length;
  uint32_t timeoutSeconds;
  uint8_t endpoint;
  uint32_t bufferOffset;
  uint32_t bufferLength;
};

// `bytes` holds at least kCyUsbHeaderSize bytes.
CyUsbHeader ParseCyUsbHeader(std::span<const uint8_t> bytes);

}  // namespace mirbax::platform::sim_backend
