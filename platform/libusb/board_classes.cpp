#include "platform/libusb/board_classes.h"

namespace mirbax::platform::usb {

namespace {

struct ProductIdRange {
  uint16_t first;
  uint16_t last;
};

// The product IDs of the library's product-ID table (library/core/
// product_table.cpp).  A test compares the two for every ID, so they cannot
// drift apart.
constexpr ProductIdRange kBoardProductIds[] = {
    {0x4001, 0x4003}, {0x8001, 0x8006}, {0x8008, 0x800A}, {0x800C, 0x800F}, {0x8010, 0x8012},
    {0x8014, 0x8016}, {0x8018, 0x801A}, {0x801C, 0x801F}, {0x8020, 0x8020}, {0x8030, 0x8033},
    {0x8036, 0x8037}, {0x803C, 0x803E}, {0x8040, 0x8060}, {0x8068, 0x8068}, {0x8070, 0x807F},
    {0x8140, 0x815F}, {0x8180, 0x8180},
};

constexpr uint16_t kLoaderBit = 0x8000;

}  // namespace

std::optional<uint16_t> MakerVendorId() {
#ifdef MIRBAX_USB_VENDOR_ID
  return uint16_t(MIRBAX_USB_VENDOR_ID);
#else
  return std::nullopt;
#endif
}

bool IsBoardProductId(uint16_t productId) {
  for (const ProductIdRange &range : kBoardProductIds)
    if (productId >= range.first && productId <= range.last) return true;
  return false;
}

std::optional<DeviceClass> ClassifyDevice(uint16_t vendorId, uint16_t productId,
                                          std::optional<uint16_t> makerVendorId) {
  if (!makerVendorId || vendorId != *makerVendorId) return std::nullopt;
  if (IsBoardProductId(productId)) return DeviceClass::WinUSB;
  if (!(productId & kLoaderBit) && IsBoardProductId(uint16_t(productId | kLoaderBit)))
    return DeviceClass::Loader;
  return std::nullopt;
}

}  // namespace mirbax::platform::usb
