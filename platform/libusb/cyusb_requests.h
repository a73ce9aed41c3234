// The CyUSB driver's requests as the libusb backend receives them: the
// library builds the 38-byte transfer header in front of the data (or alone,
// for a bulk transfer) and the backend reads back what it needs from it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace mirbax::platform::usb {

inline constexpr uint32_t kCyHeaderBytes = 38;

// An endpoint-0 control transfer; its data stage follows the header.
struct CyControlRequest {
  uint8_t requestType = 0;
  uint8_t request = 0;
  uint16_t value = 0;
  uint16_t index = 0;
  uint16_t length = 0;
  uint32_t timeoutSeconds = 0;
};

// A bulk transfer on `endpoint`; the data is the I/O control's output buffer.
struct CyBulkRequest {
  uint8_t endpoint = 0;
  uint32_t timeoutSeconds = 0;
};

// nullopt when the block is shorter than the header.
std::optional<CyControlRequest> DecodeControlHeader(std::span<const uint8_t> block);
std::optional<CyBulkRequest> DecodeBulkHeader(std::span<const uint8_t> block);

}  // namespace mirbax::platform::usb
