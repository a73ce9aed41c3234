// Finding boards by serial number and by custom EEPROM content, ClearDevices,
// and boards unplugged and plugged in again, on both driver paths.
#include "common/last_error.h"
#include <cstring>

#include "common/sim_fixture.h"
#include "common/unreadable_page.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kDio = 0x8001;

class Search : public SimBoardsTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  uint32_t Plug(uint32_t pid = kDio) { return Attach(pid, GetParam()); }

  static void PokeCustom(uint32_t board, uint32_t address, const std::vector<uint8_t> &bytes) {
    ASSERT_EQ(MIRBAXSIM_Poke(board, "eeprom", 0x1E00 + address, bytes.data(),
                             uint32_t(bytes.size())),
              0u);
  }

  static void SetSerial(uint32_t board, uint64_t serial) {
    ASSERT_EQ(MIRBAXSIM_SetOption(board, "serial", serial), 0u);
  }
};

// ---- Serial numbers ----------------------------------------------------------

TEST_P(Search, SerialNumberFromEEPROM) {
  const uint32_t board = Plug();
  SetSerial(board, 0x0123456789ABCDEFull);
  MIRBAX_ReloadDeviceLinks();
  MIRBAXSIM_ClearLog(board);
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(0, &serial), 0u);
  EXPECT_EQ(serial, 0x0123456789ABCDEFull);
  EXPECT_EQ(ControlLines(board, 0xA2),
            (std::vector<std::string>{"C c0 a2 1df8 0000 0008 efcdab8967452301"}));
}

TEST_P(Search, ASerialNumberOfZerosIsNone) {
  const uint32_t board = Plug();
  SetSerial(board, 0);
  MIRBAX_ReloadDeviceLinks();
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(0, &serial), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(serial, ~uint64_t{0}) << "stored all the same";
}

TEST_P(Search, ASerialNumberOfOnesIsNone) {
  const uint32_t board = Plug();
  SetSerial(board, ~uint64_t{0});
  MIRBAX_ReloadDeviceLinks();
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(0, &serial), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(serial, ~uint64_t{0});
  uint8_t iid[8] = {};
  uint32_t size = 8;
  EXPECT_EQ(GetDeviceUniqueStr(0, &size, iid), MIRBAX_ERROR_NOT_SUPPORTED);
}

TEST_P(Search, SerialNumberOfAnEntryWithoutABoard) {
  uint64_t serial = 5;
  EXPECT_EQ(GetDeviceSerialNumber(3, &serial), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(serial, 5u);
  EXPECT_EQ(GetDeviceSerialNumber(32, &serial), MIRBAX_ERROR_INVALID_INDEX);
}

TEST_P(Search, SerialNumberOfAGoneBoardMarksItRemoved) {
  const uint32_t board = Plug();
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  uint64_t serial = 5;
  EXPECT_EQ(GetDeviceSerialNumber(0, &serial), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_EQ(serial, 5u);
  EXPECT_TRUE(Dev[0].bDeviceWasHere.load());
}

TEST_P(Search, ASerialReadThatFailsKeepsTheBoard) {
  const uint32_t board = Plug();
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(GetDevices(), 1u);
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board, 1, 31), 0u);
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(0, &serial), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_TRUE(Dev[0].bGotHandle.load());
  EXPECT_EQ(GetDeviceSerialNumber(0, &serial), 0u);
}

TEST_P(Search, UniqueStrIsTheLeadingBytesOfTheSerialNumber) {
  const uint32_t board = Plug();
  SetSerial(board, 0x0807060504030201ull);
  MIRBAX_ReloadDeviceLinks();
  uint8_t iid[12];
  std::memset(iid, 0xEE, sizeof iid);
  uint32_t size = 3;
  EXPECT_EQ(GetDeviceUniqueStr(0, &size, iid), 0u);
  EXPECT_EQ(size, 3u) << "not written";
  EXPECT_EQ(iid[0], 1);
  EXPECT_EQ(iid[2], 3);
  EXPECT_EQ(iid[3], 0xEE);
  size = 12;
  EXPECT_EQ(GetDeviceUniqueStr(0, &size, iid), 0u);
  EXPECT_EQ(size, 12u);
  EXPECT_EQ(iid[7], 8);
  EXPECT_EQ(iid[8], 0xEE) << "at most 8 bytes";
  size = 0;
  EXPECT_EQ(GetDeviceUniqueStr(0, &size, nullptr), 0u);
  UnreadablePage page;
  size = 8;
  EXPECT_EQ(GetDeviceUniqueStr(0, &size, page.get()), MIRBAX_ERROR_INTERNAL_ERROR);
}

TEST_P(Search, ByEverySerialNumber) {
  const uint32_t first = Plug();
  const uint32_t second = Plug();
  const uint32_t third = Plug();
  SetSerial(first, 1111);
  SetSerial(second, 2222);
  SetSerial(third, 0);
  MIRBAX_ReloadDeviceLinks();
  EXPECT_EQ(GetDeviceBySerialNumber(2222), 1u);
  EXPECT_EQ(GetDeviceBySerialNumber(1111), 0u);
  EXPECT_EQ(GetDeviceBySerialNumber(3333), diNone);
  EXPECT_EQ(GetDeviceBySerialNumber(0), diNone) << "never found";
  EXPECT_EQ(GetDeviceBySerialNumber(~uint64_t{0}), diNone) << "never found";
}

TEST_P(Search, TheFirstOfTwoEqualSerialNumbers) {
  SetSerial(Plug(), 42);
  SetSerial(Plug(), 42);
  MIRBAX_ReloadDeviceLinks();
  EXPECT_EQ(GetDeviceBySerialNumber(42), 0u);
}

// ---- Custom EEPROM searches ----------------------------------------------------

TEST_P(Search, ByEEPROMByteTwoMatches) {
  const uint32_t a = Plug(), b = Plug(), c = Plug();
  PokeCustom(a, 0, {0x10});
  PokeCustom(b, 0, {0x20});
  PokeCustom(c, 0, {0x20});
  MIRBAX_ReloadDeviceLinks();
  SetLastErrorValue(0);
  EXPECT_EQ(GetDeviceByEEPROMByte(0x20), 1u) << "the lower index";
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_DUP_NAME));
  SetLastErrorValue(-1);
  EXPECT_EQ(GetDeviceByEEPROMByte(0x10), 0u);
  EXPECT_EQ(LastErrorValue(), 0);
  SetLastErrorValue(0);
  EXPECT_EQ(GetDeviceByEEPROMByte(0x30), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ControlLines(a, 0xA2).back(), "C c0 a2 1e00 0000 0001 10");
}

TEST_P(Search, ByEEPROMByteWithNoBoard) {
  SetLastErrorValue(0);
  EXPECT_EQ(GetDeviceByEEPROMByte(0), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_FILE_NOT_FOUND));
}

TEST_P(Search, ByEEPROMData) {
  const uint32_t a = Plug(), b = Plug();
  PokeCustom(a, 100, {1, 2, 3, 4});
  PokeCustom(b, 100, {1, 2, 3, 5});
  MIRBAX_ReloadDeviceLinks();
  const uint8_t wanted[4] = {1, 2, 3, 5};
  SetLastErrorValue(-1);
  EXPECT_EQ(GetDeviceByEEPROMData(100, 4, wanted), 1u);
  EXPECT_EQ(LastErrorValue(), 0);
  EXPECT_EQ(ControlLines(b, 0xA2).back(), "C c0 a2 1e64 0000 0004 01020305");
  const uint8_t both[3] = {1, 2, 3};
  EXPECT_EQ(GetDeviceByEEPROMData(100, 3, both), 0u);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_DUP_NAME));
  EXPECT_EQ(GetDeviceByEEPROMData(254, 4, wanted), diNone) << "past the custom area";
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_FILE_NOT_FOUND));
}

TEST_P(Search, ByEEPROMDataSizeLimits) {
  Plug();
  Plug();
  MIRBAX_ReloadDeviceLinks();
  ASSERT_EQ(MIRBAX_CloseDevice(0), 0u);
  std::vector<uint8_t> data(300);
  SetLastErrorValue(0);
  EXPECT_EQ(GetDeviceByEEPROMData(0, 257, data.data()), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_BAD_LENGTH));
  SetLastErrorValue(-1);
  EXPECT_EQ(GetDeviceByEEPROMData(0, 0, nullptr), 1u) << "the first linked entry";
  EXPECT_EQ(LastErrorValue(), 0);
  SetLastErrorValue(0);
  EXPECT_EQ(GetDeviceByEEPROMData(0, 256, data.data()), 1u) << "all 256 bytes are 0";
  EXPECT_EQ(LastErrorValue(), 0);
}

TEST_P(Search, ByEEPROMDataWithAnUnreadableBuffer) {
  Plug();
  MIRBAX_ReloadDeviceLinks();
  UnreadablePage page;
  SetLastErrorValue(0);
  EXPECT_EQ(GetDeviceByEEPROMData(0, 4, page.get()), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_INTERNAL_ERROR));
  EXPECT_EQ(GetDeviceByEEPROMData(0, 4, nullptr), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_INTERNAL_ERROR));
}

// ---- ClearDevices, unplugging and plugging again -------------------------------------

TEST_P(Search, ClearDevicesNoticesABoardThatHasGone) {
  const uint32_t a = Plug();
  Plug();
  ASSERT_EQ(GetDevices(), 3u);
  MIRBAXSIM_ClearLog(a);
  EXPECT_EQ(ClearDevices(), 0u);
  EXPECT_EQ(ControlLines(a, 0x06).size(), 1u) << "the product string is read";
  EXPECT_EQ(ControlLines(a, 0x06)[0].substr(0, 22), "C c0 06 0302 0000 0202");
  ASSERT_EQ(MIRBAXSIM_Detach(a), 0u);
  EXPECT_EQ(ClearDevices(), 0u);
  EXPECT_TRUE(Dev[0].bDeviceWasHere.load()) << "found gone and marked";
  EXPECT_FALSE(Dev[0].bGotHandle.load());
  uint32_t pid = 0;
  EXPECT_EQ(QueryDeviceInfo(0, &pid, nullptr, nullptr, nullptr, nullptr),
            MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_TRUE(Dev[1].bGotHandle.load()) << "the other board stays";
  EXPECT_EQ(ClearDevices(), 0u);
  EXPECT_FALSE(Dev[0].bDeviceWasHere.load()) << "the next call forgets it";
  EXPECT_EQ(QueryDeviceInfo(0, &pid, nullptr, nullptr, nullptr, nullptr),
            MIRBAX_ERROR_FILE_NOT_FOUND);
}

TEST_P(Search, ClearDevicesSkipsBoardsOfUnknownModels) {
  const uint32_t unknown = Plug(0x8013);
  ASSERT_EQ(GetDevices(), 1u);
  MIRBAXSIM_ClearLog(unknown);
  EXPECT_EQ(ClearDevices(), 0u);
  EXPECT_TRUE(Log(unknown).empty());
}

TEST_P(Search, ClearDevicesWithNoBoard) { EXPECT_EQ(ClearDevices(), 0u); }

TEST_P(Search, ABoardUnpluggedAndPluggedAgain) {
  const uint32_t a = Plug();
  const uint32_t b = Plug();
  SetSerial(a, 0xAAAA);
  SetSerial(b, 0xBBBB);
  ASSERT_EQ(GetDevices(), 3u);

  // Unplugged: noticed by ClearDevices, its entry stays reserved.
  ASSERT_EQ(MIRBAXSIM_Detach(a), 0u);
  EXPECT_EQ(ClearDevices(), 0u);
  EXPECT_EQ(GetDevices(), 2u);

  // Plugged in again (a new board on the bus with the same serial number):
  // it links into the lowest entry that is neither linked nor reserved.
  const uint32_t again = Plug();
  SetSerial(again, 0xAAAA);
  EXPECT_EQ(GetDevices(), 6u);
  EXPECT_EQ(GetDeviceBySerialNumber(0xAAAA), 2u);
  EXPECT_EQ(GetDeviceBySerialNumber(0xBBBB), 1u);

  // The application forgets the gone board; reloading renumbers from 0.
  EXPECT_EQ(ClearDevices(), 0u);
  EXPECT_FALSE(Dev[0].bDeviceWasHere.load());
  EXPECT_EQ(MIRBAX_ReloadDeviceLinks(), 0u);
  EXPECT_EQ(GetDevices(), 3u);
  EXPECT_NE(GetDeviceBySerialNumber(0xAAAA), diNone);
  EXPECT_NE(GetDeviceBySerialNumber(0xBBBB), diNone);
  EXPECT_NE(GetDeviceBySerialNumber(0xAAAA), GetDeviceBySerialNumber(0xBBBB));
}

TEST_P(Search, AGoneBoardNoticedByATransferAndClosedByTheApplication) {
  const uint32_t a = Plug();
  ASSERT_EQ(GetDevices(), 1u);
  ASSERT_EQ(MIRBAXSIM_Detach(a), 0u);
  const uint8_t bytes[2] = {};
  EXPECT_EQ(CustomEEPROMWrite(0, 0, 2, bytes), MIRBAX_ERROR_DEVICE_REMOVED);
  Plug();
  EXPECT_EQ(GetDevices(), 2u) << "entry 0 stays reserved";
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
  Plug();
  EXPECT_EQ(GetDevices(), 3u) << "entry 0 is free again";
}

INSTANTIATE_TEST_SUITE_P(Drivers, Search,
                         ::testing::Values(MIRBAXSIM_DRIVER_CYUSB3, MIRBAXSIM_DRIVER_WINUSB));

// ---- diLoadAndOnly ----------------------------------------------------------------

using LoadAndOnly = SimBoardsTest;

TEST_F(LoadAndOnly, LinksABoardPluggedInSinceTheLastPass) {
  const uint32_t board = Attach(kDio);  // not linked yet
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(diOnly, &serial), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetDeviceSerialNumber(diLoadAndOnly, &serial), 0u);
  uint64_t expected = 0;
  ASSERT_EQ(MIRBAXSIM_GetOption(board, "serial", &expected), 0u);
  EXPECT_EQ(serial, expected);
}

TEST_F(LoadAndOnly, TwoBoardsAreRefused) {
  Attach(kDio);
  Attach(kDio, MIRBAXSIM_DRIVER_WINUSB);
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(diLoadAndOnly, &serial), MIRBAX_ERROR_DUP_NAME);
  SetLastErrorValue(0);
  EXPECT_EQ(ResolveDeviceIndex(diLoadAndOnly), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_DUP_NAME));
  EXPECT_TRUE(Dev[0].bGotHandle.load()) << "both are linked all the same";
  EXPECT_TRUE(Dev[1].bGotHandle.load());
}

TEST_F(LoadAndOnly, NoBoard) {
  uint64_t serial = 0;
  EXPECT_EQ(GetDeviceSerialNumber(diLoadAndOnly, &serial), MIRBAX_ERROR_FILE_NOT_FOUND);
  SetLastErrorValue(0);
  EXPECT_EQ(ResolveDeviceIndex(diLoadAndOnly), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_FILE_NOT_FOUND));
}

TEST_F(LoadAndOnly, ForgetsRemovedBoardsAndRenumbers) {
  const uint32_t gone = AttachAndLink(kDio);
  const uint32_t stays = Attach(kDio);
  ASSERT_EQ(GetDevices(), 3u);
  ASSERT_EQ(MIRBAXSIM_Detach(gone), 0u);
  EXPECT_EQ(ClearDevices(), 0u);
  ASSERT_TRUE(Dev[0].bDeviceWasHere.load());
  EXPECT_EQ(ResolveDeviceIndex(diLoadAndOnly), 0u) << "the remaining board, renumbered";
  EXPECT_FALSE(Dev[0].bDeviceWasHere.load());
  EXPECT_FALSE(Dev[1].bGotHandle.load());
  MIRBAXSIM_ClearLog(stays);
  EXPECT_EQ(MIRBAX_ResetChip(diLoadAndOnly), 0u);
  EXPECT_EQ(ControlLines(stays, 0xA0).size(), 2u);
}

}  // namespace
}  // namespace mirbax::testing
