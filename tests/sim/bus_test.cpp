// The bus: attaching, listing, detaching and forgetting boards.
#include <set>

#include "sim_test_support.h"

namespace {

using namespace sim_test;
using platform::DeviceClass;
using platform::ListDevicePaths;

class BusTest : public SimTest {};

TEST_F(BusTest, AttachRefusesBadArguments) {
  struct Case {
    uint32_t pid;
    uint32_t driver;
    bool withOut;
  };
  const Case cases[] = {
      {0x10000, 3, true}, {0x8001, 0, true}, {0x8001, 4, true}, {0x8001, 3, false}};
  for (const Case &c : cases) {
    uint32_t board = 0;
    EXPECT_EQ(MIRBAXSIM_Attach(c.pid, c.driver, c.withOut ? &board : nullptr), 87u)
        << std::hex << c.pid << " driver " << c.driver;
  }
  EXPECT_TRUE(ListDevicePaths(DeviceClass::CyUSB).empty());
  uint32_t board = 0;
  EXPECT_EQ(MIRBAXSIM_AttachLoader(nullptr, &board), 87u);
  EXPECT_EQ(MIRBAXSIM_AttachLoader("", &board), 87u);
  EXPECT_EQ(MIRBAXSIM_AttachLoader("vid_0000&pid_0001", nullptr), 87u);
}

TEST_F(BusTest, BoardHandlesAreDistinctNonZeroAndNeverReused) {
  std::set<uint32_t> seen;
  for (int round = 0; round < 3; ++round) {
    for (uint32_t driver = 1; driver <= 3; ++driver) {
      uint32_t board = Attach(0x8001, driver);
      EXPECT_NE(board, 0u);
      EXPECT_TRUE(seen.insert(board).second) << board;
    }
    ASSERT_EQ(MIRBAXSIM_Reset(), 0u);
  }
}

TEST_F(BusTest, PathsListedPerClassInAttachOrder) {
  const uint32_t cy3 = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const uint32_t win = Attach(0x8040, MIRBAXSIM_DRIVER_WINUSB);
  const uint32_t cy2 = Attach(0x804A, MIRBAXSIM_DRIVER_CYUSB2);
  uint32_t loader = 0;
  ASSERT_EQ(MIRBAXSIM_AttachLoader("vid_0000&pid_0001", &loader), 0u);

  EXPECT_EQ(ListDevicePaths(DeviceClass::CyUSB),
            (std::vector<std::string>{DevicePath(cy3), DevicePath(cy2)}));
  EXPECT_EQ(ListDevicePaths(DeviceClass::WinUSB), std::vector<std::string>{DevicePath(win)});
  EXPECT_EQ(ListDevicePaths(DeviceClass::Loader), std::vector<std::string>{DevicePath(loader)});
}

TEST_F(BusTest, PathsShowProductIdDriverClassAndBoard) {
  const uint32_t cy = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const uint32_t win = Attach(0x80AB, MIRBAXSIM_DRIVER_WINUSB);
  char expected[96];
  std::snprintf(expected, sizeof expected, "\\\\?\\usb#vid_0000&pid_8001#sim%04u#{cyusb}", cy);
  EXPECT_EQ(DevicePath(cy), expected);
  std::snprintf(expected, sizeof expected, "\\\\?\\usb#vid_0000&pid_80ab#sim%04u#{winusb}", win);
  EXPECT_EQ(DevicePath(win), expected);
}

TEST_F(BusTest, LoaderPathEndsWithItsTagAndHoldsNoOtherProductId) {
  uint32_t loader = 0;
  ASSERT_EQ(MIRBAXSIM_AttachLoader("vid_0000&PID_zz12", &loader), 0u);
  const std::string path = DevicePath(loader);
  const std::string tag = "vid_0000&PID_zz12";
  ASSERT_GE(path.size(), tag.size());
  EXPECT_EQ(path.substr(path.size() - tag.size()), tag);
  std::string upper = path;
  for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(upper.find("PID_"), path.size() - tag.size() + 9);
}

TEST_F(BusTest, DetachedBoardLeavesTheListsButStaysReadable) {
  const uint32_t first = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const uint32_t second = Attach(0x8002, MIRBAXSIM_DRIVER_CYUSB3);
  ASSERT_EQ(MIRBAXSIM_Detach(first), 0u);
  EXPECT_EQ(ListDevicePaths(DeviceClass::CyUSB), std::vector<std::string>{DevicePath(second)});
  EXPECT_EQ(MIRBAXSIM_Detach(first), 2u);
  uint8_t byte = 0;
  EXPECT_EQ(MIRBAXSIM_Peek(first, "eeprom", 0, &byte, 1), 0u);
}

TEST_F(BusTest, ResetForgetsEveryBoard) {
  const uint32_t board = Attach(0x8001, MIRBAXSIM_DRIVER_WINUSB);
  ASSERT_EQ(MIRBAXSIM_Reset(), 0u);
  EXPECT_TRUE(ListDevicePaths(DeviceClass::WinUSB).empty());
  uint32_t size = 0;
  EXPECT_EQ(MIRBAXSIM_GetLog(board, nullptr, &size), 2u);
  EXPECT_EQ(MIRBAXSIM_Detach(board), 2u);
  EXPECT_EQ(MIRBAXSIM_SetOption(board, "serial", 1), 2u);
}

}  // namespace
