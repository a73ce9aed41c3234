// Board memories on simulated boards of every driver path: the custom
// EEPROM area, the flash, the capability record, the defaults table and the
// global tick; the wire layout of each request through the transfer log.
#include <cmath>
#include <cstring>
#include <limits>
#include <numeric>

#include "common/sim_fixture.h"
#include "common/unreadable_page.h"
#include "core/board_memory.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kFlashBoard = 0x8070;  // 32 flash sectors
constexpr uint32_t kDioBoard = 0x8001;    // no flash

std::string Hex(const void *data, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    const uint8_t byte = static_cast<const uint8_t *>(data)[i];
    text += digits[byte >> 4];
    text += digits[byte & 15];
  }
  return text;
}

std::vector<uint8_t> Pattern(std::size_t size, uint8_t seed) {
  std::vector<uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = uint8_t(seed + i * 13 + (i >> 8));
  return bytes;
}

class Memory : public SimBoardsTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  // A board of `pid` on the driver of the test, linked and opened in entry 0
  // with an empty log.
  uint32_t Board(uint32_t pid) {
    const uint32_t board = AttachAndLink(pid, GetParam());
    EXPECT_EQ(GetDevices(), 1u);
    MIRBAXSIM_ClearLog(board);
    return board;
  }

  static std::vector<uint8_t> Peek(uint32_t board, const char *region, uint32_t address,
                                   uint32_t size) {
    std::vector<uint8_t> bytes(size);
    EXPECT_EQ(MIRBAXSIM_Peek(board, region, address, bytes.data(), size), 0u);
    return bytes;
  }
};

// ---- Custom EEPROM --------------------------------------------------------

TEST_P(Memory, CustomEEPROMReadAtTheLastAddress) {
  const uint32_t board = Board(kDioBoard);
  const uint8_t stored = 0x5A;
  ASSERT_EQ(MIRBAXSIM_Poke(board, "eeprom", 0x1EFF, &stored, 1), 0u);
  uint32_t size = 1;
  uint8_t byte = 0;
  EXPECT_EQ(CustomEEPROMRead(0, 255, &size, &byte), 0u);
  EXPECT_EQ(size, 1u);
  EXPECT_EQ(byte, 0x5A);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C c0 a2 1eff 0000 0001 5a"}));
}

TEST_P(Memory, CustomEEPROMRangeChecksComeFirst) {
  const uint32_t board = Board(kDioBoard);
  uint8_t bytes[300] = {};
  uint32_t size = 2;
  EXPECT_EQ(CustomEEPROMRead(0, 255, &size, bytes), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_EQ(size, 2u);
  size = 1;
  EXPECT_EQ(CustomEEPROMRead(0, 256, &size, bytes), MIRBAX_ERROR_SEEK);
  EXPECT_EQ(CustomEEPROMWrite(0, 256, 0, bytes), MIRBAX_ERROR_SEEK);
  EXPECT_EQ(CustomEEPROMWrite(0, 0, 257, bytes), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_EQ(CustomEEPROMWrite(0, 200, 57, bytes), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_EQ(CustomEEPROMWrite(40, 300, 1, bytes), MIRBAX_ERROR_SEEK) << "before the index";
  EXPECT_EQ(CustomEEPROMWrite(40, 0, 1, bytes), MIRBAX_ERROR_INVALID_INDEX);
  EXPECT_TRUE(Log(board).empty());
}

TEST_P(Memory, CustomEEPROMWriteGoesIn32ByteBlocks) {
  const uint32_t board = Board(kDioBoard);
  const std::vector<uint8_t> data = Pattern(70, 1);
  EXPECT_EQ(CustomEEPROMWrite(0, 10, 70, data.data()), 0u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{
                            "C 40 a2 1e0a 0000 0020 " + Hex(data.data(), 32),
                            "C 40 a2 1e2a 0000 0020 " + Hex(data.data() + 32, 32),
                            "C 40 a2 1e4a 0000 0006 " + Hex(data.data() + 64, 6),
                        }));
  EXPECT_EQ(Peek(board, "eeprom", 0x1E0A, 70), data);
}

TEST_P(Memory, CustomEEPROMWriteOfWholeBlocksAndOfNothing) {
  const uint32_t board = Board(kDioBoard);
  const std::vector<uint8_t> data = Pattern(256, 7);
  EXPECT_EQ(CustomEEPROMWrite(0, 0, 64, data.data()), 0u);
  EXPECT_EQ(ControlLines(board, 0xA2).size(), 2u) << "64 bytes: 32 + 32, no empty tail";
  MIRBAXSIM_ClearLog(board);
  EXPECT_EQ(CustomEEPROMWrite(0, 5, 0, nullptr), 0u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C 40 a2 1e05 0000 0000"}))
      << "a size of 0 sends one write without data";
  MIRBAXSIM_ClearLog(board);
  EXPECT_EQ(CustomEEPROMWrite(0, 0, 256, data.data()), 0u);
  EXPECT_EQ(ControlLines(board, 0xA2).size(), 8u);
  uint32_t size = 256;
  std::vector<uint8_t> back(256);
  EXPECT_EQ(CustomEEPROMRead(0, 0, &size, back.data()), 0u);
  EXPECT_EQ(size, 256u);
  EXPECT_EQ(back, data);
}

TEST_P(Memory, CustomEEPROMWriteStopsAtTheFirstFailingBlock) {
  const uint32_t board = Board(kDioBoard);
  const std::vector<uint8_t> data = Pattern(100, 3);
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board, 1, 1, 31), 0u);
  EXPECT_EQ(CustomEEPROMWrite(0, 0, 100, data.data()), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_LE(ControlLines(board, 0xA2).size(), 2u) << "nothing after the failed block";
  EXPECT_EQ(Peek(board, "eeprom", 0x1E00, 32), std::vector<uint8_t>(data.begin(), data.begin() + 32))
      << "blocks already written stay written";
  EXPECT_EQ(Peek(board, "eeprom", 0x1E20, 68), std::vector<uint8_t>(68, 0));
}

TEST_P(Memory, CustomEEPROMWithAnUnreadableBuffer) {
  Board(kDioBoard);
  UnreadablePage page;
  EXPECT_EQ(CustomEEPROMWrite(0, 0, 4, page.get()), MIRBAX_ERROR_NOACCESS);
  uint32_t size = 4;
  EXPECT_EQ(CustomEEPROMRead(0, 0, &size, page.get()), MIRBAX_ERROR_NOACCESS);
  EXPECT_EQ(CustomEEPROMRead(0, 0, nullptr, page.get()), MIRBAX_ERROR_INTERNAL_ERROR);
}

// ---- Flash ------------------------------------------------------------------

TEST_P(Memory, FlashReadOfAnOddSizeReadsWholeWords) {
  const uint32_t board = Board(kFlashBoard);
  uint32_t size = 9;
  uint8_t bytes[9] = {};
  EXPECT_EQ(MIRBAX_FlashRead(0, 0x100, &size, bytes), 0u);
  EXPECT_EQ(size, 8u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C c0 b5 0080 0000 0008 ffffffffffffffff"}));
}

TEST_P(Memory, FlashReadIn4096ByteBlocksReportsTheTotal) {
  const uint32_t board = Board(kFlashBoard);
  const uint32_t start = 0x1F000;  // crosses the 128 KiB boundary of the index
  const std::vector<uint8_t> data = Pattern(10000, 9);
  ASSERT_EQ(MIRBAXSIM_Poke(board, "flash", start, data.data(), 10000), 0u);
  MIRBAXSIM_ClearLog(board);
  uint32_t size = 10000;
  std::vector<uint8_t> back(10000);
  EXPECT_EQ(MIRBAX_FlashRead(0, start, &size, back.data()), 0u);
  EXPECT_EQ(size, 10000u) << "the total, not the last block's count";
  EXPECT_EQ(back, data);
  const std::vector<std::string> lines = ControlLines(board, 0xB5);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 22), "C c0 b5 f800 0000 1000");
  EXPECT_EQ(lines[1].substr(0, 22), "C c0 b5 0000 0001 1000");
  EXPECT_EQ(lines[2].substr(0, 22), "C c0 b5 0800 0001 0710");
}

TEST_P(Memory, FlashAtTheEnd) {
  const uint32_t board = Board(kFlashBoard);
  uint32_t size = 2;
  uint8_t word[4] = {};
  EXPECT_EQ(MIRBAX_FlashRead(0, 2097150, &size, word), 0u);
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C c0 b5 ffff 000f 0002 ffff"}));
  MIRBAXSIM_ClearLog(board);
  size = 4;
  EXPECT_EQ(MIRBAX_FlashRead(0, 2097150, &size, word), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(MIRBAX_FlashRead(0, 0x200000, &size, word), MIRBAX_ERROR_SEEK);
  EXPECT_EQ(MIRBAX_FlashWrite(0, 0x200000, 2, word), MIRBAX_ERROR_SEEK);
  EXPECT_EQ(MIRBAX_FlashWrite(0, 0x1FFFFE, 4, word), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_TRUE(Log(board).empty());
}

TEST_P(Memory, FlashNeedsABoardWithFlash) {
  const uint32_t board = Board(kDioBoard);
  uint32_t size = 2;
  uint8_t word[2] = {};
  EXPECT_EQ(MIRBAX_FlashRead(0, 0, &size, word), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(MIRBAX_FlashWrite(0, 0, 2, word), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(MIRBAX_FlashRead(0, 0x300000, &size, word), MIRBAX_ERROR_BAD_TOKEN_TYPE)
      << "the capability is checked before the range";
  EXPECT_TRUE(Log(board).empty());
}

TEST_P(Memory, FlashWriteNeedsAnEraseToSetBits) {
  const uint32_t board = Board(kFlashBoard);
  const uint32_t start = 3 * 0x10000 + 0x20;
  const std::vector<uint8_t> first = {0xF0, 0x0F, 0xAA, 0x55};
  const std::vector<uint8_t> second = {0x3C, 0xFF, 0xFF, 0x00};
  EXPECT_EQ(MIRBAX_FlashWrite(0, start, 4, first.data()), 0u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C 40 b5 8010 0001 0004 f00faa55"}));
  EXPECT_EQ(MIRBAX_FlashWrite(0, start, 4, second.data()), 0u);
  uint32_t size = 4;
  std::vector<uint8_t> back(4);
  EXPECT_EQ(MIRBAX_FlashRead(0, start, &size, back.data()), 0u);
  EXPECT_EQ(back, (std::vector<uint8_t>{0x30, 0x0F, 0xAA, 0x00})) << "programming only clears bits";

  MIRBAXSIM_ClearLog(board);
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, 3), 0u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C 40 fc 0000 0003 0000"}));
  EXPECT_EQ(Peek(board, "flash", 3 * 0x10000, 0x10000), std::vector<uint8_t>(0x10000, 0xFF));
  EXPECT_EQ(MIRBAX_FlashWrite(0, start, 4, second.data()), 0u);
  EXPECT_EQ(Peek(board, "flash", start, 4), second);
}

TEST_P(Memory, FlashEraseTouchesOneSectorOnly) {
  const uint32_t board = Board(kFlashBoard);
  const std::vector<uint8_t> zeros(4, 0);
  for (uint32_t address : {0x1FFFCu, 0x20000u, 0x2FFFCu, 0x30000u})
    ASSERT_EQ(MIRBAX_FlashWrite(0, address, 4, zeros.data()), 0u);
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, 2), 0u);
  EXPECT_EQ(Peek(board, "flash", 0x1FFFC, 4), zeros);
  EXPECT_EQ(Peek(board, "flash", 0x20000, 4), std::vector<uint8_t>(4, 0xFF));
  EXPECT_EQ(Peek(board, "flash", 0x2FFFC, 4), std::vector<uint8_t>(4, 0xFF));
  EXPECT_EQ(Peek(board, "flash", 0x30000, 4), zeros);
}

TEST_P(Memory, FlashEraseOutsideTheSectors) {
  const uint32_t board = Board(kFlashBoard);
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, 32), MIRBAX_ERROR_SEEK);
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, -1), MIRBAX_ERROR_SEEK) << "a negative sector too";
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, std::numeric_limits<int32_t>::min()), MIRBAX_ERROR_SEEK);
  EXPECT_TRUE(Log(board).empty());
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, 31), 0u);
}

TEST_P(Memory, FlashWriteInBlocksAcrossTheIndexBoundary) {
  const uint32_t board = Board(kFlashBoard);
  const std::vector<uint8_t> data = Pattern(9001, 5);
  const uint32_t start = 0x1F000;
  EXPECT_EQ(MIRBAX_FlashWrite(0, start, 9001, data.data()), 0u);
  const std::vector<std::string> lines = ControlLines(board, 0xB5);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 22), "C 40 b5 f800 0000 1000");
  EXPECT_EQ(lines[1].substr(0, 22), "C 40 b5 0000 0001 1000");
  EXPECT_EQ(lines[2], "C 40 b5 0800 0001 0328 " + Hex(data.data() + 8192, 808));
  EXPECT_EQ(Peek(board, "flash", start, 9000), std::vector<uint8_t>(data.begin(), data.end() - 1));
  EXPECT_EQ(Peek(board, "flash", start + 9000, 1), std::vector<uint8_t>(1, 0xFF))
      << "the odd last byte is not written";
}

TEST_P(Memory, FlashReadThatFailsPartWayReportsWhatCame) {
  const uint32_t board = Board(kFlashBoard);
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board, 1, 1, 31), 0u);
  uint32_t size = 8192;
  std::vector<uint8_t> back(8192);
  EXPECT_EQ(MIRBAX_FlashRead(0, 0, &size, back.data()), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_EQ(size, 4096u) << "the bytes of the blocks before the failing one";
}

TEST_P(Memory, FlashOfAnUnpluggedBoard) {
  const uint32_t board = Board(kFlashBoard);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  const uint8_t word[2] = {};
  EXPECT_EQ(MIRBAX_FlashWrite(0, 0, 2, word), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_TRUE(Dev[0].bDeviceWasHere.load());
  EXPECT_EQ(MIRBAX_FlashEraseSector(0, 0), MIRBAX_ERROR_DEVICE_REMOVED);
}

// ---- Capability record -------------------------------------------------------

TEST_P(Memory, QuerySimplePNPDataCopiesFromRev) {
  const uint32_t board = Board(kDioBoard);
  uint8_t record[15];
  ASSERT_EQ(MIRBAXSIM_Peek(board, "pnp", 0, record, 15), 0u);
  ASSERT_EQ(record[0], 15);
  uint8_t out[16];
  std::memset(out, 0xEE, sizeof out);
  uint32_t size = 4;
  EXPECT_EQ(MIRBAX_QuerySimplePNPData(0, out, &size), 0u);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(std::memcmp(out, record + 1, 4), 0);
  EXPECT_EQ(out[4], 0xEE);
  size = 100;
  EXPECT_EQ(MIRBAX_QuerySimplePNPData(0, out, &size), 0u);
  EXPECT_EQ(size, 14u);
  EXPECT_EQ(std::memcmp(out, record + 1, 14), 0);
  EXPECT_EQ(out[14], 0xEE);
  EXPECT_TRUE(ControlLines(board, 0x3F).empty()) << "the record read at open is used";
}

TEST_P(Memory, QuerySimplePNPDataWithoutARecord) {
  const uint32_t board = Attach(kDioBoard, GetParam());
  const uint8_t none = 0xFF;
  ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, &none, 1), 0u);
  MIRBAX_ReloadDeviceLinks();
  uint8_t out[4] = {};
  uint32_t size = 4;
  EXPECT_EQ(MIRBAX_QuerySimplePNPData(0, out, &size), 0u);
  EXPECT_EQ(size, 0u);
}

TEST_P(Memory, QuerySimplePNPDataOfARecordClaimingMoreThanItHolds) {
  const uint32_t board = Attach(kDioBoard, GetParam());
  const uint8_t claimed = 200;
  ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, &claimed, 1), 0u);
  MIRBAX_ReloadDeviceLinks();
  uint8_t out[300];
  uint32_t size = sizeof out;
  EXPECT_EQ(MIRBAX_QuerySimplePNPData(0, out, &size), 0u);
  EXPECT_EQ(size, 14u) << "no more than the record holds";
}

TEST_P(Memory, QuerySimplePNPDataNeedsTheNewerFirmware) {
  const uint32_t board = Attach(kDioBoard, GetParam());
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "firmware20", 0), 0u);
  MIRBAX_ReloadDeviceLinks();
  uint8_t out[4] = {};
  uint32_t size = 4;
  EXPECT_EQ(MIRBAX_QuerySimplePNPData(0, out, &size), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(size, 4u);
}

TEST_P(Memory, QuerySimplePNPDataIntoAnUnwritableBuffer) {
  Board(kDioBoard);
  UnreadablePage page;
  uint32_t size = 4;
  EXPECT_EQ(MIRBAX_QuerySimplePNPData(0, page.get(), &size), MIRBAX_ERROR_NOACCESS);
}

// ---- Defaults table ------------------------------------------------------------

TEST_P(Memory, DefaultsTableRoundTrip) {
  const uint32_t board = Board(kDioBoard);
  const std::vector<uint8_t> table = Pattern(20, 0x40);
  uint32_t size = 20;
  EXPECT_EQ(MIRBAX_SetDefaultsTable(0, table.data(), &size), 0u);
  EXPECT_EQ(size, 20u);
  EXPECT_EQ(Log(board).back(), "C 40 3c 7e39 0022 0014 " + Hex(table.data(), 20));
  std::vector<uint8_t> back(20);
  EXPECT_EQ(MIRBAX_GetDefaultsTable(0, back.data(), &size), 0u);
  EXPECT_EQ(size, 20u);
  EXPECT_EQ(back, table);
  EXPECT_EQ(Log(board).back(), "C c0 3c 0000 0020 0014 " + Hex(table.data(), 20));
  EXPECT_EQ(Peek(board, "defaults", 0, 20), table);
}

TEST_P(Memory, DefaultsTableOfTheLargestSize) {
  Board(kDioBoard);
  const std::vector<uint8_t> table = Pattern(1024, 0x11);
  uint32_t size = 1024;
  EXPECT_EQ(MIRBAX_SetDefaultsTable(0, table.data(), &size), 0u);
  std::vector<uint8_t> back(1024);
  EXPECT_EQ(MIRBAX_GetDefaultsTable(0, back.data(), &size), 0u);
  EXPECT_EQ(back, table);
}

TEST_P(Memory, DefaultsTableTooLarge) {
  const uint32_t board = Board(kDioBoard);
  std::vector<uint8_t> table(2000, 0x77);
  uint32_t size = 2000;
  EXPECT_EQ(MIRBAX_GetDefaultsTable(0, table.data(), &size), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_EQ(size, 2000u);
  EXPECT_EQ(table, std::vector<uint8_t>(2000, 0x77));
  size = 1025;
  EXPECT_EQ(MIRBAX_SetDefaultsTable(0, table.data(), &size), MIRBAX_ERROR_BAD_LENGTH);
  EXPECT_TRUE(ControlLines(board, 0x3C).empty());
}

TEST_P(Memory, AFailedDefaultsReadLeavesTheCallersBytes) {
  const uint32_t board = Board(kDioBoard);
  std::vector<uint8_t> table(16, 0x77);
  uint32_t size = 16;
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board, 1, 31), 0u);
  EXPECT_EQ(MIRBAX_GetDefaultsTable(0, table.data(), &size), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_EQ(table, std::vector<uint8_t>(16, 0x77));
  EXPECT_EQ(size, 16u);
}

TEST_P(Memory, SaveStateAndRestoreFactoryDefaults) {
  const uint32_t board = Board(kDioBoard);
  const std::vector<uint8_t> factory = Peek(board, "defaults", 0, 1024);
  const std::vector<uint8_t> state = Pattern(1024, 0x99);
  ASSERT_EQ(MIRBAXSIM_Poke(board, "settings", 0, state.data(), 1024), 0u);
  EXPECT_EQ(MIRBAX_SaveStateAsDefaults(0), 0u);
  EXPECT_EQ(Log(board).back(), "C 40 3c 7e39 0010 0000");
  EXPECT_EQ(Peek(board, "defaults", 0, 1024), state);
  EXPECT_EQ(MIRBAX_RestoreFactoryDefaults(0), 0u);
  EXPECT_EQ(Log(board).back(), "C 40 3c 7e39 0011 0000");
  EXPECT_EQ(Peek(board, "defaults", 0, 1024), factory);
}

TEST_P(Memory, DefaultsNeedTheNewerFirmware) {
  const uint32_t board = Attach(kDioBoard, GetParam());
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "firmware20", 0), 0u);
  MIRBAX_ReloadDeviceLinks();
  uint8_t table[4] = {};
  uint32_t size = 4;
  double hz = 1000;
  EXPECT_EQ(MIRBAX_SaveStateAsDefaults(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(MIRBAX_RestoreFactoryDefaults(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(MIRBAX_SetDefaultsTable(0, table, &size), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(MIRBAX_GetDefaultsTable(0, table, &size), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(MIRBAX_SetGlobalTickRate(0, &hz), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(hz, 1000);
  EXPECT_TRUE(ControlLines(board, 0x3C).empty());
}

// ---- Global tick -------------------------------------------------------------------

class GlobalTick : public Memory {
 protected:
  // Sets the rate; returns the value sent (-1 when nothing was sent).
  int Set(double &hz, uint32_t expectedResult = 0) {
    MIRBAXSIM_ClearLog(board_);
    EXPECT_EQ(MIRBAX_SetGlobalTickRate(0, &hz), expectedResult);
    const std::vector<std::string> lines = ControlLines(board_, 0x3C);
    if (lines.empty()) return -1;
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 5), "C 40 ");
    EXPECT_EQ(lines[0].substr(12), " 8001 0000");
    return std::stoi(lines[0].substr(8, 4), nullptr, 16);
  }
  void SetUp() override {
    Memory::SetUp();
    board_ = Board(kDioBoard);
  }
  uint32_t board_ = 0;
};

TEST_P(GlobalTick, RatesAndTheValuesSent) {
  double hz = 1000;
  EXPECT_EQ(Set(hz), 53535);
  EXPECT_EQ(hz, 1000);
  hz = 7;
  EXPECT_EQ(Set(hz), 0);
  EXPECT_NEAR(hz, 183.108, 0.001);
  EXPECT_EQ(hz, 12e6 / 65535);
  hz = 0;
  EXPECT_EQ(Set(hz), 0);
  EXPECT_EQ(hz, 0);
  hz = 16e6;
  EXPECT_EQ(Set(hz), 65534) << "D = 1 (0.75 rounded)";
  EXPECT_EQ(hz, 12e6);
}

TEST_P(GlobalTick, TiesRoundToEven) {
  double hz = 4.8e6;  // D = 2.5
  EXPECT_EQ(Set(hz), 65535 - 2);
  EXPECT_EQ(hz, 6e6);
  hz = 8e6;  // D = 1.5
  EXPECT_EQ(Set(hz), 65535 - 2);
  hz = 12e6 / 3.5;  // D = 3.5 but for the last bit of the division
  const int sent = Set(hz);
  EXPECT_TRUE(sent == 65535 - 3 || sent == 65535 - 4);
}

TEST_P(GlobalTick, RatesAbove24MHzGiveTheFastestTick) {
  double hz = 30e6;  // D = 0.4
  EXPECT_EQ(Set(hz), 65534);
  EXPECT_EQ(hz, 12e6);
  hz = 1e300;
  EXPECT_EQ(Set(hz), 65534);
  EXPECT_EQ(hz, 12e6);
}

TEST_P(GlobalTick, RatesWithoutADivisorAreRefused) {
  for (double bad : {-1.0, -1e-300, -std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::infinity(),
                     std::numeric_limits<double>::quiet_NaN()}) {
    double hz = bad;
    EXPECT_EQ(Set(hz, MIRBAX_ERROR_INVALID_PARAMETER), -1) << bad;
    if (!std::isnan(bad)) {
      EXPECT_EQ(hz, bad) << "left as it was";
    }
  }
}

TEST_P(GlobalTick, OtherFamiliesCallTheInternalFunction) {
  double hz = 2000;
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(WriteGlobalTick(0, hz), 0u);
  EXPECT_EQ(hz, 2000);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{"C 40 3c e88f 8001 0000"}));
  hz = -5;
  EXPECT_EQ(WriteGlobalTick(0, hz), MIRBAX_ERROR_INVALID_PARAMETER);
}

TEST_P(GlobalTick, AnUnreadableRate) {
  EXPECT_EQ(MIRBAX_SetGlobalTickRate(0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Memory,
                         ::testing::Values(MIRBAXSIM_DRIVER_CYUSB3, MIRBAXSIM_DRIVER_CYUSB2,
                                           MIRBAXSIM_DRIVER_WINUSB));
INSTANTIATE_TEST_SUITE_P(Drivers, GlobalTick,
                         ::testing::Values(MIRBAXSIM_DRIVER_CYUSB3, MIRBAXSIM_DRIVER_WINUSB));

}  // namespace
}  // namespace mirbax::testing
