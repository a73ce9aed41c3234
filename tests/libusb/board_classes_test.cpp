// Which devices are the maker's boards, and under which class.
#include <gtest/gtest.h>

#include "core/device_table.h"
#include "platform/libusb/board_classes.h"

namespace {

using mirbax::platform::DeviceClass;
using namespace mirbax::platform::usb;

// The backend's list of product IDs is the library's product-ID table.
TEST(BoardClasses, ProductIdsAreThoseOfTheLibrarysTable) {
  for (uint32_t pid = 0; pid <= 0xFFFF; ++pid) {
    auto device = std::make_unique<mirbax::TDeviceData>();
    mirbax::ApplyProductTable(*device, pid);
    ASSERT_EQ(IsBoardProductId(uint16_t(pid)), device->bGetName) << std::hex << pid;
  }
}

struct ClassCase {
  uint16_t vendorId, productId;
  std::optional<DeviceClass> expected;
};

constexpr uint16_t kMaker = 0x1a2b;

const ClassCase kCases[] = {
    {kMaker, 0x8001, DeviceClass::WinUSB},
    {kMaker, 0x4002, DeviceClass::WinUSB},   // bit 15 clear, yet in the table
    {kMaker, 0x8147, DeviceClass::WinUSB},
    {kMaker, 0x0001, DeviceClass::Loader},   // 0x8001 waiting for firmware
    {kMaker, 0x0180, DeviceClass::Loader},   // 0x8180
    {kMaker, 0x8007, std::nullopt},          // in no row
    {kMaker, 0x0007, std::nullopt},          // 0x8007 in no row either
    {0x1a2c, 0x8001, std::nullopt},          // another vendor
};

TEST(BoardClasses, ClassifiesByVendorAndProductId) {
  for (const ClassCase &c : kCases)
    EXPECT_EQ(ClassifyDevice(c.vendorId, c.productId, kMaker), c.expected)
        << std::hex << c.vendorId << ":" << c.productId;
}

TEST(BoardClasses, WithoutAVendorIdNothingIsABoard) {
  EXPECT_EQ(ClassifyDevice(kMaker, 0x8001, std::nullopt), std::nullopt);
  EXPECT_EQ(ClassifyDevice(0, 0x8001, std::nullopt), std::nullopt);
}

TEST(BoardClasses, TheBuildsVendorIdIsTheConfiguredOne) {
  EXPECT_EQ(MakerVendorId(), std::optional<uint16_t>(MIRBAX_TEST_VENDOR_ID));
}

}  // namespace
