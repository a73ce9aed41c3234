// Which devices on the bus are the maker's boards, and under which device
// class each appears:
//   - WinUSB: the maker's vendor ID and a product ID of the library's
//     product-ID table (a board running its firmware);
//   - Loader: the maker's vendor ID and a product ID that is in the table
//     once bit 15 is set (a board waiting for firmware: its controller
//     enumerates with bit 15 clear).
// The CyUSB class is a Windows driver's and stays empty on libusb.
//
// The vendor ID is the build's MIRBAX_USB_VENDOR_ID (a CMake cache
// variable).  A build without one recognizes no board.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/platform.h"

namespace mirbax::platform::usb {

// The maker's vendor ID, or nullopt when the build was configured without.
std::optional<uint16_t> MakerVendorId();

// True for the product IDs of the product-ID table.
bool IsBoardProductId(uint16_t productId);

// The class a device of `makerVendorId`'s bus appears under, or nullopt when
// it is no board of the maker.
std::optional<DeviceClass> ClassifyDevice(uint16_t vendorId, uint16_t productId,
                                          std::optional<uint16_t> makerVendorId);

}  // namespace mirbax::platform::usb
