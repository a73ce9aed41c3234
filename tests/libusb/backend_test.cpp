// The library over the libusb backend, on fake buses: enumeration, links,
// control and bulk transfers, pipe aborts, vanished boards, and the CyUSB
// requests the firmware loader sends to boards waiting for firmware.
#include <gtest/gtest.h>
#include <mirbax.h>

#include <thread>

#include "core/cyusb_header.h"
#include "core/transport.h"
#include "fake_bus.h"
#include "platform/libusb/open_boards.h"
#include "platform/platform.h"

namespace mirbax::testing {
namespace {

namespace platform = mirbax::platform;
constexpr uint16_t kMaker = MIRBAX_TEST_VENDOR_ID;

class LibusbBackendTest : public ::testing::Test {
 protected:
  void SetUp() override { UseBus(bus_); }
  void TearDown() override { UseBus(empty_); }

  static void UseBus(FakeBus &bus) {
    platform::usb::Boards().UseBus(bus);
    MIRBAX_ReloadDeviceLinks();
  }

  // The path the backend lists for the one board of a class.
  static std::string OnlyPath(platform::DeviceClass deviceClass) {
    const auto paths = platform::ListDevicePaths(deviceClass);
    EXPECT_EQ(paths.size(), 1u);
    return paths.empty() ? std::string() : paths[0];
  }

  static void WaitForBulkWaiters(FakeDevice &device, int count) {
    std::unique_lock lock(device.mutex);
    device.changed.wait(lock, [&] { return device.bulkWaiters == count; });
  }

  FakeBus bus_;
  FakeBus empty_;
};

TEST_F(LibusbBackendTest, AnEmptyBusHasNoBoards) {
  for (auto deviceClass : {platform::DeviceClass::CyUSB, platform::DeviceClass::WinUSB,
                           platform::DeviceClass::Loader})
    EXPECT_TRUE(platform::ListDevicePaths(deviceClass).empty());
  EXPECT_EQ(GetDevices(), 0u);
  uint32_t pid = 0;
  EXPECT_EQ(QueryDeviceInfo(0, &pid, nullptr, nullptr, nullptr, nullptr), 2u);
}

TEST_F(LibusbBackendTest, ListsTheMakersBoardsByClass) {
  bus_.Plug(kMaker, 0x8001, 1);
  bus_.Plug(kMaker, 0x0001, 2);   // waiting for firmware
  bus_.Plug(kMaker, 0x8007, 3);   // no such model
  bus_.Plug(0x1234, 0x8001, 4);   // another vendor's device
  EXPECT_TRUE(platform::ListDevicePaths(platform::DeviceClass::CyUSB).empty());
  EXPECT_NE(OnlyPath(platform::DeviceClass::WinUSB).find("pid_8001"), std::string::npos);
  EXPECT_NE(OnlyPath(platform::DeviceClass::Loader).find("pid_0001"), std::string::npos);
}

TEST_F(LibusbBackendTest, LinksAndOpensABoardOnce) {
  auto board = bus_.Plug(kMaker, 0x8001, 1);
  EXPECT_EQ(GetDevices(), 1u);
  EXPECT_EQ(GetDevices(), 1u);  // the linked board's exclusive open refuses a second link
  uint32_t pid = 0, dioBytes = 0, counters = 0;
  ASSERT_EQ(QueryDeviceInfo(0, &pid, nullptr, nullptr, &dioBytes, &counters), 0u);
  EXPECT_EQ(pid, 0x8001u);
  EXPECT_EQ(dioBytes, 4u);
  EXPECT_EQ(counters, 3u);
  std::lock_guard lock(board->mutex);
  EXPECT_EQ(board->opens, 1);
}

TEST_F(LibusbBackendTest, VendorRequestsAreControlTransfers) {
  auto board = bus_.Plug(kMaker, 0x8002, 1);
  ASSERT_EQ(GetDevices(), 1u);
  { std::lock_guard lock(board->mutex); board->controls.clear(); }
  const uint8_t sent[2] = {0xAB, 0xCD};
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0x1234, 0x0056, 2, sent), 0u);
  uint8_t received[3] = {};
  uint32_t size = 3;
  EXPECT_EQ(GenericVendorRead(0, 0x11, 1, 2, &size, received), 0u);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(received[2], 0x5A);
  std::lock_guard lock(board->mutex);
  const std::vector<ControlRecord> expected{{0x40, 0x10, 0x1234, 0x0056, {0xAB, 0xCD}},
                                            {0xC0, 0x11, 1, 2, {0x5A, 0x5A, 0x5A}}};
  EXPECT_EQ(board->controls, expected);
}

TEST_F(LibusbBackendTest, BulkTransfersAndPipes) {
  auto board = bus_.Plug(kMaker, 0x8040, 1);
  ASSERT_EQ(GetDevices(), 1u);
  { std::lock_guard lock(board->mutex); board->bulkIn = {1, 2, 3, 4}; }
  uint8_t data[8] = {};
  uint32_t read = 0;
  EXPECT_EQ(AWU_GenericBulkIn(0, 0x06, data, sizeof data, &read), 0u);  // pipe 0x86
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(data[3], 4);
  uint32_t written = 0;
  EXPECT_EQ(AWU_GenericBulkOut(0, 0x82, data, 3, &written), 0u);  // pipe 0x02
  EXPECT_EQ(written, 3u);
  uint32_t pipes[4] = {}, count = 4;
  EXPECT_EQ(GetPipes(0, &count, pipes), 0u);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(pipes[0], 0x202u);
  EXPECT_EQ(pipes[3], 0x286u);
  std::lock_guard lock(board->mutex);
  EXPECT_EQ(board->bulkOut, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(LibusbBackendTest, AbortEndsAPendingBulkReadAndKeepsTheBoard) {
  auto board = bus_.Plug(kMaker, 0x8040, 1);
  ASSERT_EQ(GetDevices(), 1u);
  uint32_t result = 0;
  std::thread reader([&] {
    uint8_t data[16];
    uint32_t read = 0;
    result = AWU_GenericBulkIn(0, 0x86, data, sizeof data, &read);
  });
  WaitForBulkWaiters(*board, 1);
  EXPECT_EQ(MIRBAX_AbortPipe(0, 0x86), 0u);
  reader.join();
  EXPECT_EQ(result, 995u);
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 0, nullptr), 0u);
}

TEST_F(LibusbBackendTest, AVanishedBoardIsMarkedRemovedAndReleased) {
  auto board = bus_.Plug(kMaker, 0x8001, 1);
  ASSERT_EQ(GetDevices(), 1u);
  bus_.Unplug(board);
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 0, nullptr), 1617u);
  uint32_t size = 1;
  uint8_t byte = 0;
  EXPECT_EQ(GenericVendorRead(0, 0x11, 0, 0, &size, &byte), 1617u);
  {
    std::lock_guard lock(board->mutex);
    EXPECT_EQ(board->opens, 0);  // the removal closed the handles
  }
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
  EXPECT_EQ(GetDevices(), 0u);
}

TEST_F(LibusbBackendTest, UnpluggingEndsAWaitingBulkRead) {
  auto board = bus_.Plug(kMaker, 0x8040, 1);
  ASSERT_EQ(GetDevices(), 1u);
  uint32_t result = 0;
  std::thread reader([&] {
    uint8_t data[16];
    uint32_t read = 0;
    result = AWU_GenericBulkIn(0, 0x86, data, sizeof data, &read);
  });
  WaitForBulkWaiters(*board, 1);
  bus_.Unplug(board);
  reader.join();
  EXPECT_EQ(result, 1617u);
}

TEST_F(LibusbBackendTest, TheLoaderWritesAWaitingBoardThroughTheCyUsbRequest) {
  auto board = bus_.Plug(kMaker, 0x0001, 1);
  const std::string path = OnlyPath(platform::DeviceClass::Loader);
  const platform::Handle handle = platform::OpenDevicePath(path, /*shared=*/true);
  ASSERT_NE(handle, platform::kInvalidHandle);
  EXPECT_EQ(mirbax::_hCy_GenericVendorWriteStr(handle, 0xA0, 0xE600, 0, "\x01"), 0u);

  // A read: header and data stage in one block, as the CyUSB driver takes it.
  const CyHeader header = MakeCyControlHeader(0xC0, 0xA3, 0x8000, 1, 3);
  std::vector<uint8_t> block(header.begin(), header.end());
  block.resize(kCyHeaderSize + 3);
  uint32_t returned = 0;
  ASSERT_TRUE(platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER,
                                        block.data(), uint32_t(block.size()), block.data(),
                                        uint32_t(block.size()), &returned));
  EXPECT_EQ(returned, kCyHeaderSize + 3);
  EXPECT_EQ(block[kCyHeaderSize + 2], 0x5A);

  uint32_t speed = 0;
  ASSERT_TRUE(platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_GET_DEVICE_SPEED, &speed, 4,
                                        &speed, 4, &returned));
  EXPECT_EQ(speed, 2u);
  EXPECT_TRUE(platform::CloseHandle(handle));
  std::lock_guard lock(board->mutex);
  const std::vector<ControlRecord> expected{{0x40, 0xA0, 0xE600, 0, {0x01}},
                                            {0xC0, 0xA3, 0x8000, 1, {0x5A, 0x5A, 0x5A}}};
  EXPECT_EQ(board->controls, expected);
  EXPECT_EQ(board->opens, 0);
}

TEST_F(LibusbBackendTest, AControlBlockTooShortForItsDataStageIsRefused) {
  bus_.Plug(kMaker, 0x0001, 1);
  const platform::Handle handle =
      platform::OpenDevicePath(OnlyPath(platform::DeviceClass::Loader), true);
  const CyHeader header = MakeCyControlHeader(0xC0, 0xA3, 0, 0, 16);  // 16 wanted, room for 2
  std::vector<uint8_t> block(header.begin(), header.end());
  block.resize(kCyHeaderSize + 2);
  uint32_t returned = 0;
  EXPECT_FALSE(platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER,
                                         block.data(), uint32_t(block.size()), block.data(),
                                         uint32_t(block.size()), &returned));
  EXPECT_EQ(platform::GetLastError(), 87u);
  EXPECT_TRUE(platform::CloseHandle(handle));
}

TEST_F(LibusbBackendTest, ExclusiveOpensDoNotShare) {
  bus_.Plug(kMaker, 0x8001, 1);
  const std::string path = OnlyPath(platform::DeviceClass::WinUSB);
  const platform::Handle first = platform::OpenDevicePath(path, /*shared=*/false);
  ASSERT_NE(first, platform::kInvalidHandle);
  EXPECT_EQ(platform::OpenDevicePath(path, false), platform::kInvalidHandle);
  EXPECT_EQ(platform::GetLastError(), 5u);
  EXPECT_EQ(platform::OpenDevicePath(path, true), platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseHandle(first));
  const platform::Handle again = platform::OpenDevicePath(path, false);
  EXPECT_NE(again, platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseHandle(again));
}

TEST_F(LibusbBackendTest, PathsThatNameNoBoardDoNotOpen) {
  bus_.Plug(0x1234, 0x8001, 1);
  const std::string foreign = "usb#vid_1234&pid_8001#1-1#2";
  for (const std::string &path : {std::string("garbage"), foreign,
                                  std::string("usb#vid_fff0&pid_8001#1-9#9")}) {
    EXPECT_EQ(platform::OpenDevicePath(path, true), platform::kInvalidHandle) << path;
    EXPECT_EQ(platform::GetLastError(), 2u) << path;
  }
  EXPECT_FALSE(platform::CloseHandle(0x12345));
  EXPECT_EQ(platform::GetLastError(), 6u);
}

// This machine's bus, through libusb: it has no device of the tests' vendor
// ID, and a machine without a USB subsystem is an empty bus, not a failure.
TEST(LibusbMachineBus, ListsNoBoardOfAVendorNoDeviceHas) {
  platform::usb::Boards().UseBus(platform::usb::LibusbBus());
  for (auto deviceClass : {platform::DeviceClass::CyUSB, platform::DeviceClass::WinUSB,
                           platform::DeviceClass::Loader})
    EXPECT_TRUE(platform::ListDevicePaths(deviceClass).empty());
  EXPECT_EQ(MIRBAX_ReloadDeviceLinks(), 0u);
  EXPECT_EQ(GetDevices(), 0u);
}

}  // namespace
}  // namespace mirbax::testing
