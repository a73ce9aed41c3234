// Linking boards into the device table, closing and relinking, and
// QueryDeviceInfo.
#include <cstring>

#include "common/sim_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

using Links = SimBoardsTest;

TEST_F(Links, NoBoards) {
  EXPECT_EQ(GetDevices(), 0u);
  uint32_t pid = 0;
  EXPECT_EQ(QueryDeviceInfo(0, &pid, nullptr, nullptr, nullptr, nullptr),
            MIRBAX_ERROR_FILE_NOT_FOUND);
}

TEST_F(Links, CyUSBBoardsTakeTheLowerEntries) {
  Attach(0x8002, MIRBAXSIM_DRIVER_WINUSB);
  Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  ASSERT_EQ(GetDevices(), 3u);
  EXPECT_EQ(Dev[0].USBDriverType.load(), dtCyUSB3);
  EXPECT_EQ(Dev[0].PID.load(), 0x8001u);
  EXPECT_EQ(Dev[1].USBDriverType.load(), dtWinUSB);
  EXPECT_EQ(Dev[1].PID.load(), 0x8002u);
}

TEST_F(Links, OlderCyUSBDriverIsRecognized) {
  Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB2);
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_EQ(Dev[0].USBDriverType.load(), dtCyUSB2);
}

TEST_F(Links, ALinkedBoardIsNotLinkedTwice) {
  Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  Attach(0x8002, MIRBAXSIM_DRIVER_WINUSB);
  ASSERT_EQ(GetDevices(), 3u);
  EXPECT_EQ(GetDevices(), 3u);
}

TEST_F(Links, ARemovedEntryStaysReservedUntilClosed) {
  const uint32_t first = AttachAndLink(0x8001);
  ASSERT_EQ(GetDevices(), 1u);
  MIRBAXSIM_Detach(first);
  const uint8_t data = 0;
  ASSERT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), MIRBAX_ERROR_DEVICE_REMOVED);
  Attach(0x8002);
  EXPECT_EQ(GetDevices(), 2u) << "the new board links into entry 1";
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
  Attach(0x8003);
  EXPECT_EQ(GetDevices(), 3u) << "entry 0 is free again";
  EXPECT_EQ(Dev[0].PID.load(), 0x8003u);
}

TEST_F(Links, ClosingAnEntryThatNeverHeldABoard) {
  EXPECT_EQ(MIRBAX_CloseDevice(5), MIRBAX_ERROR_INVALID_HANDLE);
  EXPECT_EQ(MIRBAX_CloseDevice(32), MIRBAX_ERROR_INVALID_INDEX);
}

TEST_F(Links, ReloadRenumbersFromEntryZero) {
  Attach(0x8001);
  const uint32_t second = Attach(0x8002);
  ASSERT_EQ(GetDevices(), 3u);
  ASSERT_EQ(MIRBAX_CloseDevice(0), 0u);
  (void)second;
  ASSERT_EQ(MIRBAX_ReloadDeviceLinks(), 0u);
  EXPECT_EQ(GetDevices(), 3u);
}

TEST_F(Links, AFullTableEndsTheLinkingPassQuietly) {
  for (int i = 0; i < 33; ++i) Attach(0x8001);
  EXPECT_EQ(GetDevices(), 0xFFFFFFFFu);
}

class DeviceInfo : public SimBoardsTest {
 protected:
  void SetUp() override {
    SimBoardsTest::SetUp();
    board_ = Attach(0x8001);
    ASSERT_EQ(MIRBAXSIM_SetProductName(board_, "USB-DIO-32"), 0u);
  }
  uint32_t board_ = 0;
};

TEST_F(DeviceInfo, QueryLinksAnEmptyEntryAndReportsTheBoard) {
  uint32_t pid = 0, nameSize = 32, dio = 0, counters = 0;
  char name[32] = {};
  ASSERT_EQ(QueryDeviceInfo(0, &pid, &nameSize, name, &dio, &counters), 0u);
  EXPECT_EQ(pid, 0x8001u);
  EXPECT_EQ(nameSize, 10u);
  EXPECT_STREQ(name, "USB-DIO-32");
  EXPECT_EQ(dio, 4u);
  EXPECT_EQ(counters, 3u);
}

TEST_F(DeviceInfo, ASmallBufferGetsThePrefixWithoutNul) {
  uint32_t nameSize = 3;
  char name[8];
  std::memset(name, 'x', sizeof name);
  ASSERT_EQ(QueryDeviceInfo(0, nullptr, &nameSize, name, nullptr, nullptr), 0u);
  EXPECT_EQ(nameSize, 10u);
  EXPECT_EQ(std::string(name, 4), "USBx");
}

TEST_F(DeviceInfo, ExactRoomHoldsNoNulOneMoreDoes) {
  uint32_t nameSize = 10;
  char name[16];
  std::memset(name, 'x', sizeof name);
  ASSERT_EQ(QueryDeviceInfo(0, nullptr, &nameSize, name, nullptr, nullptr), 0u);
  EXPECT_EQ(std::string(name, 11), "USB-DIO-32x");
  nameSize = 11;
  ASSERT_EQ(QueryDeviceInfo(0, nullptr, &nameSize, name, nullptr, nullptr), 0u);
  EXPECT_STREQ(name, "USB-DIO-32");
}

TEST_F(DeviceInfo, NameIsReadThroughTheVendorRequest) {
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  MIRBAXSIM_ClearLog(board_);
  uint32_t nameSize = 4;
  char name[4];
  ASSERT_EQ(QueryDeviceInfo(0, nullptr, &nameSize, name, nullptr, nullptr), 0u);
  const auto lines = ControlLines(board_, 0x06);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 22), "C c0 06 0100 0000 0012");
  EXPECT_EQ(lines[1].substr(0, 22), "C c0 06 0302 0000 000a");
}

TEST_F(DeviceInfo, UnknownProductHasNoName) {
  Attach(0x8013);
  ASSERT_EQ(GetDevices(), 3u);
  uint32_t nameSize = 16;
  char name[16];
  ASSERT_EQ(QueryDeviceInfo(1, nullptr, &nameSize, name, nullptr, nullptr), 0u);
  EXPECT_EQ(nameSize, 0u);
}

TEST_F(DeviceInfo, NonLatinCharactersBecomeQuestionMarks) {
  ASSERT_EQ(MIRBAXSIM_SetProductName(board_, "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC"), 0u);
  uint32_t nameSize = 16;
  char name[16] = {};
  ASSERT_EQ(QueryDeviceInfo(0, nullptr, &nameSize, name, nullptr, nullptr), 0u);
  EXPECT_EQ(nameSize, 6u);
  EXPECT_EQ(std::string(name), "Gr\xFC\xDF ?");
}

}  // namespace
}  // namespace mirbax::testing
