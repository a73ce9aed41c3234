// The USB descriptors a simulated board reports.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace mirbax::sim {

// The vendor ID the simulated boards report (and their device paths show).
inline constexpr uint16_t kSimVendorId = 0x0000;

// String descriptor indexes of the device descriptor.
inline constexpr uint8_t kManufacturerStringIndex = 1;
inline constexpr uint8_t kProductStringIndex = 2;

inline constexpr std::size_t kDeviceDescriptorSize = 18;

// The 18-byte device descriptor: idProduct at bytes 10-11 (little-endian),
// iProduct (byte 15) = 2.
std::array<uint8_t, kDeviceDescriptorSize> MakeDeviceDescriptor(uint16_t productId);

// String descriptor 0: the one language the board speaks (0x0409).
std::vector<uint8_t> MakeLanguageDescriptor();

// A string descriptor holding `text` (UTF-8) as UTF-16LE, cut to the 126
// UTF-16 units a descriptor can carry.  Invalid UTF-8 reads as U+FFFD.
std::vector<uint8_t> MakeStringDescriptor(std::string_view text);

}  // namespace mirbax::sim
