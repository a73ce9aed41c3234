// Opening and closing device paths: shared and exclusive opens, vanished
// boards, dead handles.
#include <set>

#include "sim_test_support.h"

namespace {

using namespace sim_test;
using platform::kInvalidHandle;

class DeviceFilesTest : public SimTest {};

TEST_F(DeviceFilesTest, SharingRules) {
  struct Case {
    bool firstShared;
    bool secondShared;
    bool secondOpens;
  };
  const Case cases[] = {
      {true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "first shared " << c.firstShared << ", second shared " << c.secondShared);
    const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
    const platform::Handle first = Open(board, c.firstShared);
    ASSERT_NE(first, kInvalidHandle);
    const platform::Handle second = Open(board, c.secondShared);
    if (c.secondOpens) {
      EXPECT_NE(second, kInvalidHandle);
      EXPECT_TRUE(platform::CloseHandle(second));
    } else {
      EXPECT_EQ(second, kInvalidHandle);
      EXPECT_EQ(platform::GetLastError(), 5u);
    }
    // Once the first is closed, the path opens either way.
    EXPECT_TRUE(platform::CloseHandle(first));
    const platform::Handle again = Open(board, c.secondShared);
    EXPECT_NE(again, kInvalidHandle);
    EXPECT_TRUE(platform::CloseHandle(again));
  }
}

TEST_F(DeviceFilesTest, UnknownOrDetachedPathsAreNotFound) {
  EXPECT_EQ(platform::OpenDevicePath("\\\\?\\usb#nothing", true), kInvalidHandle);
  EXPECT_EQ(platform::GetLastError(), 2u);

  const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_WINUSB);
  const std::string path = DevicePath(board);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  platform::SetLastError(0);
  EXPECT_EQ(platform::OpenDevicePath(path, false), kInvalidHandle);
  EXPECT_EQ(platform::GetLastError(), 2u);
}

TEST_F(DeviceFilesTest, PathsCompareIgnoringCase) {
  const uint32_t board = Attach(0x80ab, MIRBAXSIM_DRIVER_CYUSB3);
  std::string upper = DevicePath(board);
  for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  const platform::Handle handle = platform::OpenDevicePath(upper, true);
  EXPECT_NE(handle, kInvalidHandle);
  EXPECT_TRUE(platform::CloseHandle(handle));
}

TEST_F(DeviceFilesTest, HandlesAreDistinctAndNeverTheNoHandleValues) {
  const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB2);
  std::set<platform::Handle> open;
  for (int i = 0; i < 64; ++i) {
    const platform::Handle handle = Open(board, true);
    EXPECT_NE(handle, 0u);
    EXPECT_NE(handle, kInvalidHandle);
    EXPECT_TRUE(open.insert(handle).second);
  }
  uint32_t count = 0;
  ASSERT_EQ(MIRBAXSIM_GetOpenHandleCount(board, &count), 0u);
  EXPECT_EQ(count, 64u);
  for (platform::Handle handle : open) EXPECT_TRUE(platform::CloseHandle(handle));
  ASSERT_EQ(MIRBAXSIM_GetOpenHandleCount(board, &count), 0u);
  EXPECT_EQ(count, 0u);
}

TEST_F(DeviceFilesTest, ClosedOrMadeUpHandlesAreInvalid) {
  const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const platform::Handle handle = Open(board, true);
  ASSERT_TRUE(platform::CloseHandle(handle));
  for (platform::Handle dead :
       {handle, platform::Handle{0}, kInvalidHandle, platform::Handle{77}}) {
    platform::SetLastError(0);
    EXPECT_FALSE(platform::CloseHandle(dead)) << dead;
    EXPECT_EQ(platform::GetLastError(), 6u);
    uint32_t version = 0, returned = 0;
    EXPECT_FALSE(platform::DeviceIoControl(dead, platform::IOCTL_ADAPT_GET_DRIVER_VERSION, &version,
                                           4, &version, 4, &returned));
    EXPECT_EQ(platform::GetLastError(), 6u);
  }
}

TEST_F(DeviceFilesTest, HandleOfADetachedBoardFailsUntilClosed) {
  const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const platform::Handle handle = Open(board, true);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  uint32_t version = 0, returned = 0;
  EXPECT_FALSE(platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_GET_DRIVER_VERSION, &version,
                                         4, &version, 4, &returned));
  EXPECT_EQ(platform::GetLastError(), 1167u);
  EXPECT_TRUE(platform::CloseHandle(handle));
  EXPECT_FALSE(platform::CloseHandle(handle));
  EXPECT_EQ(platform::GetLastError(), 6u);
}

}  // namespace
