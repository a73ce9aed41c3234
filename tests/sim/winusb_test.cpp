// The WinUSB calls on the simulated backend.
#include <functional>

#include "sim_test_support.h"

namespace {

using namespace sim_test;

class WinUsbTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    board_ = Attach(0x8002, MIRBAXSIM_DRIVER_WINUSB);
    file_ = Open(board_, false);
    ASSERT_NE(file_, platform::kInvalidHandle);
    ASSERT_TRUE(platform::WinUsbInitialize(file_, &interface_));
  }

  uint32_t board_ = 0;
  platform::Handle file_ = platform::kInvalidHandle;
  platform::Handle interface_ = platform::kInvalidHandle;
};

TEST_F(WinUsbTest, InterfaceHandleIsDistinctAndValid) {
  EXPECT_NE(interface_, 0u);
  EXPECT_NE(interface_, platform::kInvalidHandle);
  EXPECT_NE(interface_, file_);
}

TEST_F(WinUsbTest, InitializeOnlyOnWinUsbFiles) {
  const uint32_t cyusb = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const platform::Handle cyFile = Open(cyusb, true);
  platform::Handle handle = 0;
  EXPECT_FALSE(platform::WinUsbInitialize(cyFile, &handle));
  EXPECT_EQ(platform::GetLastError(), 1u);
  EXPECT_FALSE(platform::WinUsbInitialize(interface_, &handle));
  EXPECT_EQ(platform::GetLastError(), 6u);
  EXPECT_FALSE(platform::WinUsbInitialize(file_, nullptr));
  EXPECT_EQ(platform::GetLastError(), 87u);
}

TEST_F(WinUsbTest, GetDescriptorSendsTheStandardRequest) {
  uint8_t descriptor[18] = {};
  uint32_t transferred = 0;
  ASSERT_TRUE(
      platform::WinUsbGetDescriptor(interface_, 1, 0, 0x0409, descriptor, 18, &transferred));
  EXPECT_EQ(transferred, 18u);
  EXPECT_EQ(descriptor[10] | descriptor[11] << 8, 0x8002);
  EXPECT_EQ(LogLines(board_).back(), "C 80 06 0100 0409 0012 " + Hex(descriptor));

  uint8_t name[64] = {};
  ASSERT_TRUE(platform::WinUsbGetDescriptor(interface_, 3, 2, 0x0409, name, 64, &transferred));
  EXPECT_EQ(transferred, name[0]);
  EXPECT_EQ(name[1], 3);
}

TEST_F(WinUsbTest, VendorControlTransfers) {
  const platform::SetupPacket write{0x40, 0xA2, 0x1E00, 0, 2};
  uint8_t data[2] = {0xAB, 0xCD};
  uint32_t transferred = 0;
  ASSERT_TRUE(platform::WinUsbControlTransfer(interface_, write, data, 2, &transferred));
  EXPECT_EQ(transferred, 2u);

  const platform::SetupPacket read{0xC0, 0xA2, 0x1E00, 0, 2};
  uint8_t answer[8] = {};
  ASSERT_TRUE(
      platform::WinUsbControlTransfer(interface_, read, answer, sizeof answer, &transferred));
  EXPECT_EQ(transferred, 2u);
  EXPECT_EQ(answer[0], 0xAB);
  EXPECT_EQ(answer[1], 0xCD);

  const platform::SetupPacket unknown{0x40, 0x55, 0, 0, 0};
  EXPECT_FALSE(platform::WinUsbControlTransfer(interface_, unknown, nullptr, 0, &transferred));
  EXPECT_EQ(platform::GetLastError(), 31u);
}

TEST_F(WinUsbTest, InterfaceHasFourBulkPipes) {
  platform::InterfaceDescriptor descriptor{};
  ASSERT_TRUE(platform::WinUsbQueryInterfaceSettings(interface_, 0, &descriptor));
  EXPECT_EQ(descriptor.bNumEndpoints, 4);
  EXPECT_FALSE(platform::WinUsbQueryInterfaceSettings(interface_, 1, &descriptor));
  EXPECT_EQ(platform::GetLastError(), 259u);

  const uint8_t pipes[] = {0x02, 0x06, 0x82, 0x86};
  for (uint8_t index = 0; index < 4; ++index) {
    platform::PipeInformation info{};
    ASSERT_TRUE(platform::WinUsbQueryPipe(interface_, 0, index, &info));
    EXPECT_EQ(info.pipeId, pipes[index]);
    EXPECT_EQ(info.pipeType, platform::PipeType::Bulk);
    EXPECT_EQ(info.maximumPacketSize, 512);
  }
  platform::PipeInformation info{};
  EXPECT_FALSE(platform::WinUsbQueryPipe(interface_, 0, 4, &info));
  EXPECT_EQ(platform::GetLastError(), 259u);
}

TEST_F(WinUsbTest, FullSpeedBoardHasSmallerPackets) {
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "high_speed", 0), 0u);
  platform::PipeInformation info{};
  ASSERT_TRUE(platform::WinUsbQueryPipe(interface_, 0, 0, &info));
  EXPECT_EQ(info.maximumPacketSize, 64);
}

TEST_F(WinUsbTest, PipesMoveData) {
  const uint8_t sent[] = {1, 2, 3, 4, 5};
  uint32_t transferred = 0;
  ASSERT_TRUE(platform::WinUsbWritePipe(interface_, 0x02, sent, 5, &transferred));
  EXPECT_EQ(transferred, 5u);
  uint8_t taken[8] = {};
  uint32_t size = sizeof taken;
  ASSERT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x02, taken, &size), 0u);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(std::vector<uint8_t>(taken, taken + 5), std::vector<uint8_t>(sent, sent + 5));

  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, sent, 5), 0u);
  uint8_t read[16] = {};
  ASSERT_TRUE(platform::WinUsbReadPipe(interface_, 0x86, read, 16, &transferred));
  EXPECT_EQ(transferred, 5u);
  EXPECT_EQ(read[4], 5);
  EXPECT_EQ(LogLines(board_),
            (std::vector<std::string>{"B 02 00000005 00000005", "B 86 00000010 00000005"}));
}

TEST_F(WinUsbTest, PipeDirectionMustMatchTheCall) {
  uint8_t buffer[4] = {};
  uint32_t transferred = 0;
  EXPECT_FALSE(platform::WinUsbReadPipe(interface_, 0x02, buffer, 4, &transferred));
  EXPECT_EQ(platform::GetLastError(), 87u);
  EXPECT_FALSE(platform::WinUsbWritePipe(interface_, 0x86, buffer, 4, &transferred));
  EXPECT_EQ(platform::GetLastError(), 87u);
}

TEST_F(WinUsbTest, AbortIsLogged) {
  ASSERT_TRUE(platform::WinUsbAbortPipe(interface_, 0x86));
  EXPECT_EQ(LogLines(board_), std::vector<std::string>{"A 86"});
  EXPECT_FALSE(platform::WinUsbAbortPipe(interface_, 0x01));
  EXPECT_EQ(platform::GetLastError(), 87u);
}

TEST_F(WinUsbTest, FreedInterfaceIsInvalidAndReleasesThePath) {
  ASSERT_TRUE(platform::CloseHandle(file_));
  // The interface still holds the path: an exclusive open fails.
  EXPECT_EQ(Open(board_, false), platform::kInvalidHandle);
  EXPECT_EQ(platform::GetLastError(), 5u);
  ASSERT_TRUE(platform::WinUsbFree(interface_));
  platform::InterfaceDescriptor descriptor{};
  EXPECT_FALSE(platform::WinUsbQueryInterfaceSettings(interface_, 0, &descriptor));
  EXPECT_EQ(platform::GetLastError(), 6u);
  EXPECT_FALSE(platform::WinUsbFree(interface_));
  EXPECT_EQ(platform::GetLastError(), 6u);
  const platform::Handle again = Open(board_, false);
  EXPECT_NE(again, platform::kInvalidHandle);
  EXPECT_TRUE(platform::CloseHandle(again));
}

TEST_F(WinUsbTest, FileHandlesAreNotInterfaces) {
  uint8_t descriptor[18] = {};
  uint32_t transferred = 0;
  EXPECT_FALSE(platform::WinUsbGetDescriptor(file_, 1, 0, 0x0409, descriptor, 18, &transferred));
  EXPECT_EQ(platform::GetLastError(), 6u);
  EXPECT_FALSE(platform::CloseHandle(interface_));
  EXPECT_EQ(platform::GetLastError(), 6u);
}

TEST_F(WinUsbTest, DetachedBoardFailsEveryInterfaceCall) {
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  uint8_t buffer[18] = {};
  uint32_t transferred = 0;
  platform::InterfaceDescriptor descriptor{};
  platform::PipeInformation info{};
  const platform::SetupPacket setup{0xC0, 0x06, 0x0100, 0, 18};
  const std::function<bool()> calls[] = {
      [&] {
        return platform::WinUsbGetDescriptor(interface_, 1, 0, 0x0409, buffer, 18, &transferred);
      },
      [&] { return platform::WinUsbControlTransfer(interface_, setup, buffer, 18, &transferred); },
      [&] { return platform::WinUsbQueryInterfaceSettings(interface_, 0, &descriptor); },
      [&] { return platform::WinUsbQueryPipe(interface_, 0, 0, &info); },
      [&] { return platform::WinUsbReadPipe(interface_, 0x86, buffer, 18, &transferred); },
      [&] { return platform::WinUsbWritePipe(interface_, 0x02, buffer, 18, &transferred); },
      [&] { return platform::WinUsbAbortPipe(interface_, 0x86); },
  };
  for (std::size_t i = 0; i < std::size(calls); ++i) {
    platform::SetLastError(0);
    EXPECT_FALSE(calls[i]()) << "call " << i;
    EXPECT_EQ(platform::GetLastError(), 1167u) << "call " << i;
  }
  // Freeing and closing still work, as on a real system.
  EXPECT_TRUE(platform::WinUsbFree(interface_));
  EXPECT_TRUE(platform::CloseHandle(file_));
}

}  // namespace
