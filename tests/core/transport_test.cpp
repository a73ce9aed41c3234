// The transfer primitives on both driver paths, checked on the wire log of
// simulated boards.
#include <thread>

#include "common/sim_fixture.h"
#include "common/unreadable_page.h"
#include "core/device_table.h"
#include "core/transport.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kDio = 0x8001;
constexpr uint32_t kDrivers[] = {MIRBAXSIM_DRIVER_WINUSB, MIRBAXSIM_DRIVER_CYUSB2,
                                 MIRBAXSIM_DRIVER_CYUSB3};

class Transport : public SimBoardsTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  void SetUp() override {
    SimBoardsTest::SetUp();
    board_ = AttachAndLink(kDio, GetParam());
    ASSERT_EQ(GetDevices(), 1u);
    MIRBAXSIM_ClearLog(board_);
  }
  uint32_t board_ = 0;
};

TEST_P(Transport, VendorWriteCrossesTheBusAsSent) {
  const uint8_t data[] = {0xFF, 0x08};
  ASSERT_EQ(GenericVendorWrite(0, 0xA2, 0x1E00, 0, sizeof data, data), 0u);
  EXPECT_EQ(Log(board_), std::vector<std::string>{"C 40 a2 1e00 0000 0002 ff08"});
  uint8_t back[2] = {};
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0x1E00, back, 2), 0u);
  EXPECT_EQ(back[0], 0xFF);
  EXPECT_EQ(back[1], 0x08);
}

TEST_P(Transport, AWriteWithoutDataHasNoDataStage) {
  ASSERT_EQ(GenericVendorWrite(0, 0xA0, 0xE600, 0, 0, nullptr), 0u);
  EXPECT_EQ(Log(board_), std::vector<std::string>{"C 40 a0 e600 0000 0000"});
}

TEST_P(Transport, VendorReadReturnsWhatTheBoardHolds) {
  const uint8_t stored[] = {1, 2, 3, 4};
  ASSERT_EQ(MIRBAXSIM_Poke(board_, "eeprom", 0x100, stored, 4), 0u);
  uint8_t data[4] = {};
  uint32_t size = 4;
  ASSERT_EQ(GenericVendorRead(0, 0xA2, 0x100, 0, &size, data), 0u);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(std::vector<uint8_t>(data, data + 4), std::vector<uint8_t>(stored, stored + 4));
  EXPECT_EQ(Log(board_), std::vector<std::string>{"C c0 a2 0100 0000 0004 01020304"});
}

TEST_P(Transport, AShortReplyReportsTheBytesReceivedAndLeavesTheRest) {
  // The capability record is 15 bytes; ask for 20.
  uint8_t data[20];
  std::fill(std::begin(data), std::end(data), 0xEE);
  uint32_t size = 20;
  ASSERT_EQ(GenericVendorRead(0, 0x3F, 0, 0, &size, data), 0u);
  EXPECT_EQ(size, 15u);
  for (int i = 15; i < 20; ++i) EXPECT_EQ(data[i], 0xEE) << i;
}

TEST_P(Transport, ARefusedRequestIsAFailureThatKeepsTheBoard) {
  uint8_t data[2];
  uint32_t size = 2;
  // No board answers request 0x7E.
  EXPECT_NE(GenericVendorRead(0, 0x7E, 0, 0, &size, data), 0u);
  EXPECT_NE(GenericVendorWrite(0, 0x7E, 0, 0, 2, data), 0u);
  EXPECT_TRUE(Dev[0].bGotHandle);
}

TEST_P(Transport, UnreadableBuffersGive998AndBadSizePointers1359) {
  UnreadablePage page;
  uint32_t size = 4;
  EXPECT_EQ(GenericVendorRead(0, 0xA2, 0, 0, &size, page.get()), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(GenericVendorWrite(0, 0xA2, 0, 0, 4, page.get()), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(GenericVendorWrite(0, 0xA2, 0, 0, 4, nullptr), MIRBAX_ERROR_NOACCESS);
  uint8_t data[4];
  EXPECT_EQ(GenericVendorRead(0, 0xA2, 0, 0, page.get<uint32_t>(), data),
            MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(GenericVendorRead(0, 0xA2, 0, 0, nullptr, data), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty()) << "nothing is sent when the caller's buffer is bad";
}

TEST_P(Transport, BulkPipesAreForcedToTheirDirection) {
  const uint8_t queued[] = {9, 8, 7};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x82, queued, 3), 0u);
  uint8_t in[3] = {};
  uint32_t read = 0;
  ASSERT_EQ(AWU_GenericBulkIn(0, 0x02, in, 3, &read), 0u);
  EXPECT_EQ(read, 3u);
  EXPECT_EQ(in[0], 9);

  const uint8_t out[] = {1, 2};
  uint32_t written = 0;
  ASSERT_EQ(AWU_GenericBulkOut(0, 0x86, out, 2, &written), 0u);
  EXPECT_EQ(written, 2u);
  uint8_t taken[4];
  uint32_t takenSize = sizeof taken;
  ASSERT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, taken, &takenSize), 0u);
  EXPECT_EQ(takenSize, 2u);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{"B 82 00000003 00000003",
                                                   "B 06 00000002 00000002"}));
}

TEST_P(Transport, AVanishedBoardIsMarkedRemovedUntilClosed) {
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 1, MIRBAX_ERROR_DEVICE_NOT_CONNECTED), 0u);
  const uint8_t data = 0;
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_FALSE(Dev[0].bGotHandle);
  EXPECT_TRUE(Dev[0].bDeviceWasHere);
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), MIRBAX_ERROR_DEVICE_REMOVED);
  // The entry stays reserved: the board relinks elsewhere until it is closed.
  EXPECT_EQ(GetDevices(), 2u);
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
  EXPECT_EQ(MIRBAX_CloseDevice(0), MIRBAX_ERROR_INVALID_HANDLE);
}

TEST_P(Transport, OtherDriverErrorsPassThroughUnchanged) {
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 1, 121), 0u);
  const uint8_t data = 0;
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), 121u);
  EXPECT_TRUE(Dev[0].bGotHandle);
}

TEST_P(Transport, AbortGoesThroughTheBoardsOwnPath) {
  EXPECT_EQ(MIRBAX_AbortPipe(0, 0x86), 0u);
  EXPECT_TRUE(Dev[0].bGotHandle) << "an abort must not look like a removal";
  EXPECT_EQ(Log(board_), std::vector<std::string>{"A 86"});
}

TEST_P(Transport, GetDeviceHandleGivesTheThreadsHandle) {
  uint32_t handle = 0;
  ASSERT_EQ(GetDeviceHandle(0, &handle), 0u);
  EXPECT_NE(handle, 0u);
  EXPECT_NE(handle, 0xFFFFFFFFu);
  uint32_t again = 0;
  ASSERT_EQ(GetDeviceHandle(0, &again), 0u);
  EXPECT_EQ(again, handle);
  EXPECT_EQ(GetDeviceHandle(0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Transport, ::testing::ValuesIn(kDrivers));

using TransportPaths = SimBoardsTest;

TEST_F(TransportPaths, ATransferOnARemovedEntryLeavesNoHandleForTheNextBoard) {
  const uint32_t gone = AttachAndLink(kDio, MIRBAXSIM_DRIVER_CYUSB3);
  ASSERT_EQ(GetDevices(), 1u);
  MIRBAXSIM_Detach(gone);
  const uint8_t data = 0;
  ASSERT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), MIRBAX_ERROR_DEVICE_REMOVED);
  // A worker thread still transferring on the removed entry.
  std::thread worker([] {
    const uint8_t byte = 0;
    EXPECT_NE(mirbax::_GenericVendorWrite(0, 0x10, 0, 0, 1, &byte), 0u);
  });
  worker.join();
  EXPECT_TRUE(Dev[0].HandleTable.empty());
  ASSERT_EQ(MIRBAX_CloseDevice(0), 0u);
  AttachAndLink(kDio, MIRBAXSIM_DRIVER_CYUSB3);
  ASSERT_EQ(GetDevices(), 1u);
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), 0u);
}

TEST_F(TransportPaths, CyUSBKeepsOneHandlePerThreadAndCloseReleasesThemAll) {
  AttachAndLink(kDio, MIRBAXSIM_DRIVER_CYUSB3);
  ASSERT_EQ(GetDevices(), 1u);
  uint32_t mine = 0, theirs = 0;
  ASSERT_EQ(GetDeviceHandle(0, &mine), 0u);
  std::thread other([&] { GetDeviceHandle(0, &theirs); });
  other.join();
  EXPECT_NE(mine, theirs);
  EXPECT_EQ(Dev[0].HandleTable.size(), 2u);
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
  EXPECT_TRUE(Dev[0].HandleTable.empty());
}

TEST_F(TransportPaths, WinUSBThreadsShareTheInterfaceHandle) {
  AttachAndLink(kDio, MIRBAXSIM_DRIVER_WINUSB);
  ASSERT_EQ(GetDevices(), 1u);
  uint32_t mine = 0, theirs = 0;
  ASSERT_EQ(GetDeviceHandle(0, &mine), 0u);
  std::thread other([&] { GetDeviceHandle(0, &theirs); });
  other.join();
  EXPECT_EQ(mine, theirs);
  EXPECT_EQ(Dev[0].HandleTable.size(), 1u);
}

TEST_F(TransportPaths, GetPipesListsWinUSBPipes) {
  AttachAndLink(kDio, MIRBAXSIM_DRIVER_WINUSB);
  uint32_t pipes[4] = {0, 0, 0xAAAA, 0xAAAA};
  uint32_t count = 2;
  ASSERT_EQ(GetPipes(0, &count, pipes), 0u);
  EXPECT_EQ(count, 4u);
  EXPECT_EQ(pipes[0], 0x0202u);  // pipe 0x02, bulk
  EXPECT_EQ(pipes[1], 0x0206u);
  EXPECT_EQ(pipes[2], 0xAAAAu) << "beyond the caller's room nothing is written";
  count = 0;
  ASSERT_EQ(GetPipes(0, &count, pipes), 0u);
  EXPECT_EQ(count, 4u);
}

TEST_F(TransportPaths, GetPipesRefusesCyUSB) {
  AttachAndLink(kDio, MIRBAXSIM_DRIVER_CYUSB2);
  uint32_t count = 7;
  uint32_t pipes[1];
  EXPECT_EQ(GetPipes(0, &count, pipes), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(count, 7u);
}

TEST_F(TransportPaths, CyUSBBulkHeaderCarriesThePipe) {
  const uint32_t board = AttachAndLink(kDio, MIRBAXSIM_DRIVER_CYUSB2);
  ASSERT_EQ(GetDevices(), 1u);
  MIRBAXSIM_ClearLog(board);
  const uint8_t queued[8] = {};
  MIRBAXSIM_WriteBulkIn(board, 0x86, queued, 8);
  uint8_t in[4];
  uint32_t read = 0;
  ASSERT_EQ(AWU_GenericBulkIn(0, 0x86, in, 4, &read), 0u);
  EXPECT_EQ(read, 4u);
  EXPECT_EQ(Log(board), std::vector<std::string>{"B 86 00000004 00000004"});
}

}  // namespace
}  // namespace mirbax::testing
