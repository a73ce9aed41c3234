#include "platform/libusb/cyusb_requests.h"

namespace mirbax::platform::usb {

namespace {

// Header offsets (little-endian fields).
constexpr std::size_t kRequestTypeAt = 0;
constexpr std::size_t kRequestAt = 1;
constexpr std::size_t kValueAt = 2;
constexpr std::size_t kIndexAt = 4;
constexpr std::size_t kLengthAt = 6;
constexpr std::size_t kTimeoutAt = 8;
constexpr std::size_t kEndpointAt = 13;

uint16_t Read16(std::span<const uint8_t> block, std::size_t at) {
  return uint16_t(block[at] | block[at + 1] << 8);
}

uint32_t Read32(std::span<const uint8_t> block, std::size_t at) {
  return uint32_t(Read16(block, at)) | uint32_t(Read16(block, at + 2)) << 16;
}

}  // namespace

std::optional<CyControlRequest> DecodeControlHeader(std::span<const uint8_t> block) {
  if (block.size() < kCyHeaderBytes) return std::nullopt;
  return CyControlRequest{block[kRequestTypeAt], block[kRequestAt], Read16(block, kValueAt),
                          Read16(block, kIndexAt), Read16(block, kLengthAt),
                          Read32(block, kTimeoutAt)};
}

std::optional<CyBulkRequest> DecodeBulkHeader(std::span<const uint8_t> block) {
  if (block.size() < kCyHeaderBytes) return std::nullopt;
  return CyBulkRequest{block[kEndpointAt], Read32(block, kTimeoutAt)};
}

}  // namespace mirbax::platform::usb
