// Device paths of the libusb backend.
//
// A path names one device on the bus and the board it is, in the style the
// library's link loading and firmware loader expect:
//
//     usb#vid_1234&pid_8001#3-1.4#7
//          vendor   product  bus-ports address
//
// The firmware loader finds "PID_" in the upper-cased path and reads the
// four hexadecimal digits after it.  The bus number and port chain locate
// the device; the address changes when a board is plugged in again, so a
// re-plugged board gets a new path and its old entry stays marked removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirbax::platform::usb {

struct UsbLocation {
  uint8_t bus = 0;
  std::vector<uint8_t> ports;  // from the root hub down; never empty for a board
  uint8_t address = 0;
  bool operator==(const UsbLocation &) const = default;
};

struct DevicePath {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  UsbLocation location;
  bool operator==(const DevicePath &) const = default;
};

std::string FormatDevicePath(const DevicePath &path);

// The inverse of FormatDevicePath; nullopt for any text it cannot produce
// (numbers out of range, missing parts, trailing characters).
std::optional<DevicePath> ParseDevicePath(std::string_view text);

}  // namespace mirbax::platform::usb
