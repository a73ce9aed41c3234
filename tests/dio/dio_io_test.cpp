// Immediate digital I/O: bit, byte and whole-port writes through the output
// mirror, the single-bit write of capable boards, reads of the input lines,
// and the combined DAC and digital write.
#include <cstddef>

#include "common/unreadable_page.h"
#include "core/device_table.h"
#include "dio_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kFourBytes = 0x8001;  // D 4, newer firmware by default
constexpr uint32_t kDacBoard = 0x8140;   // D 2, 4 immediate DACs
constexpr uint32_t kDacThroughStream = 0x800C;
constexpr uint32_t kNoDigital = 0x4003;

using Bytes = std::vector<uint8_t>;

std::string MirrorLine(const Bytes &mirror) { return WriteLine(0x10, 0, 0, mirror); }

// The capability record of a board that takes single-bit writes: 15 valid
// bytes, HasDIOWrite1 (the last) set.
void ReportSingleBitWrite(uint32_t board, uint8_t size = 15) {
  std::vector<uint8_t> record(15, 0);
  record[0] = size;
  record[14] = 1;
  ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, record.data(), 15), 0u);
}

class DioIO : public DioBoardTest {};
MIRBAX_ON_EVERY_DRIVER(DioIO);

// The same record cut before HasDIOWrite1.
void ReportNoSingleBitWrite(uint32_t board) { ReportSingleBitWrite(board, 14); }

TEST_P(DioIO, BitAndByteWritesSendTheWholeMirror) {
  Plug(kFourBytes, ReportNoSingleBitWrite);
  const Bytes zeros(4, 0);
  const uint8_t outMask = 0x0F;
  ASSERT_EQ(DIO_Configure(0, 0, &outMask, zeros.data()), 0u);
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(DIO_Write1(0, 3, 1), 0u);
  ASSERT_EQ(DIO_Write8(0, 2, 0xA5), 0u);
  ASSERT_EQ(DIO_Write1(0, 31, 0xFF), 0u);  // the last line
  ASSERT_EQ(DIO_Write1(0, 3, 0), 0u);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{
                             MirrorLine({0x08, 0, 0, 0}), MirrorLine({0x08, 0, 0xA5, 0}),
                             MirrorLine({0x08, 0, 0xA5, 0x80}), MirrorLine({0, 0, 0xA5, 0x80})}));
  // The board drives its outputs from what it was sent.
  Bytes outputs(4);
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "dio_outputs", 0, outputs.data(), 4), 0u);
  EXPECT_EQ(outputs, (Bytes{0, 0, 0xA5, 0x80}));
}

TEST_P(DioIO, AddressesBeyondTheBoardAreRefusedUnsent) {
  Plug(kFourBytes);
  uint8_t byte = 0x77;
  EXPECT_EQ(DIO_Write1(0, 32, 1), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(DIO_Write1(0, 0xFFFFFFFF, 1), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(DIO_Write8(0, 4, 1), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(DIO_Read1(0, 32, &byte), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(DIO_Read1(0, 0xFFFFFFFF, &byte), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(DIO_Read8(0, 4, &byte), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(byte, 0x77);
  EXPECT_TRUE(Log(board_).empty());
  EXPECT_EQ(Dev[0].LastDIOData, Bytes(4, 0));
}

TEST_P(DioIO, ACapableBoardTakesTheSingleBitWrite) {
  Plug(kFourBytes, [](uint32_t board) { ReportSingleBitWrite(board); });
  ASSERT_EQ(DIO_Write1(0, 9, 0xFF), 0u);
  ASSERT_EQ(DIO_Write1(0, 9, 1), 0u);
  ASSERT_EQ(DIO_Write1(0, 9, 0), 0u);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{WriteLine(0x10, 0xFFFF, 9),
                                                    WriteLine(0x10, 0x0001, 9),
                                                    WriteLine(0x10, 0x0000, 9)}));
  EXPECT_EQ(Dev[0].LastDIOData, Bytes(4, 0));  // the mirror follows all the same
  ASSERT_EQ(DIO_Write1(0, 9, 1), 0u);
  Bytes outputs(4);
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "dio_outputs", 0, outputs.data(), 4), 0u);
  EXPECT_EQ(outputs, (Bytes{0, 0x02, 0, 0}));
  EXPECT_EQ(Dev[0].LastDIOData, outputs);
}

TEST_P(DioIO, TheSingleBitWriteNeedsTheWholeRecordAndTheNewerFirmware) {
  const struct {
    const char *what;
    uint8_t recordSize;
    uint64_t firmware20;
  } cases[] = {{"record too short to hold HasDIOWrite1", 14, 1},
               {"older firmware generation", 15, 0}};
  for (const auto &c : cases) {
    ForgetEverything();
    Plug(kFourBytes, [&](uint32_t board) {
      ReportSingleBitWrite(board, c.recordSize);
      MIRBAXSIM_SetOption(board, "firmware20", c.firmware20);
    });
    ASSERT_EQ(DIO_Write1(0, 1, 1), 0u) << c.what;
    EXPECT_EQ(Log(board_), std::vector<std::string>{MirrorLine({0x02, 0, 0, 0})}) << c.what;
  }
}

TEST_P(DioIO, ReadsSeeTheInputLines) {
  Plug(kFourBytes);
  const Bytes levels = {0x81, 0x00, 0xFF, 0x10};
  ASSERT_EQ(MIRBAXSIM_SetDigitalInputs(board_, levels.data(), 4), 0u);
  Bytes all(4, 0xEE);
  ASSERT_EQ(DIO_ReadAll(0, all.data()), 0u);
  EXPECT_EQ(all, levels);
  uint8_t byte = 0;
  ASSERT_EQ(DIO_Read8(0, 3, &byte), 0u);
  EXPECT_EQ(byte, 0x10);
  const struct {
    uint32_t bit;
    uint8_t level;
  } bits[] = {{0, 1}, {1, 0}, {7, 1}, {8, 0}, {20, 1}, {28, 1}, {31, 0}};
  for (const auto &b : bits) {
    byte = 0xEE;
    ASSERT_EQ(DIO_Read1(0, b.bit, &byte), 0u);
    EXPECT_EQ(byte, b.level) << "bit " << b.bit;
  }
  for (const std::string &line : Log(board_)) EXPECT_EQ(line, ReadHead(0x11, 0, 0, 4) + " 8100ff10");
}

TEST_P(DioIO, AFailedReadLeavesTheCallersByte) {
  Plug(kFourBytes);
  uint8_t byte = 0x5A;
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 2, 31), 0u);
  EXPECT_EQ(DIO_Read1(0, 0, &byte), 31u);
  EXPECT_EQ(DIO_Read8(0, 0, &byte), 31u);
  EXPECT_EQ(byte, 0x5A);
}

TEST_P(DioIO, AFailedWriteKeepsTheNewMirror) {
  Plug(kFourBytes);
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 1, 31), 0u);
  EXPECT_EQ(DIO_Write8(0, 1, 0x42), 31u);
  EXPECT_EQ(Dev[0].LastDIOData, (Bytes{0, 0x42, 0, 0}));
}

TEST_P(DioIO, BadCallerPointersFailWithoutCrashing) {
  Plug(kFourBytes);
  UnreadablePage page;
  EXPECT_EQ(DIO_WriteAll(0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(DIO_WriteAll(0, page.get()), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(Dev[0].LastDIOData, Bytes(4, 0));  // a copy that failed changed nothing
  EXPECT_EQ(DIO_Read1(0, 0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(DIO_Read8(0, 0, page.get<uint8_t>()), MIRBAX_ERROR_INTERNAL_ERROR);
  EXPECT_EQ(DIO_ReadAll(0, page.get()), MIRBAX_ERROR_NOACCESS);
  const uint8_t mask = 0;
  EXPECT_EQ(DIO_Configure(0, 0, &mask, page.get()), MIRBAX_ERROR_INTERNAL_ERROR);
}

TEST_P(DioIO, ABoardWithoutDigitalBytesRefusesEveryTransfer) {
  Plug(kNoDigital);
  uint8_t byte = 0;
  EXPECT_EQ(DIO_Write1(0, 0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_Write8(0, 0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_WriteAll(0, &byte), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_Read1(0, 0, &byte), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_Read8(0, 0, &byte), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_ReadAll(0, &byte), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  const uint16_t counts[8] = {};
  EXPECT_EQ(DACDIO_WriteAll(0, counts, &byte), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(DioIO, CombinedWritePacksDigitalBytesAndLittleEndianCounts) {
  Plug(kDacBoard);
  const uint16_t counts[4] = {0x1234, 0xFFFF, 0x0000, 0x0801};
  const Bytes digital = {0xA1, 0xB2};
  ASSERT_EQ(DACDIO_WriteAll(0, counts, digital.data()), 0u);
  EXPECT_EQ(Log(board_), std::vector<std::string>{WriteLine(
                             0x8C, 0, 0, {0x02, 0xA1, 0xB2, 0x08, 0x34, 0x12, 0xFF, 0xFF, 0x00,
                                          0x00, 0x01, 0x08})});
  EXPECT_EQ(Dev[0].LastDIOData, Bytes(2, 0));  // the mirror is bypassed
}

TEST_P(DioIO, CombinedWriteNeedsImmediateDACsNotFedByTheStream) {
  for (const uint32_t pid : {kFourBytes, kDacThroughStream}) {
    ForgetEverything();
    Plug(pid);
    const uint16_t counts[4] = {};
    const uint8_t digital[4] = {};
    EXPECT_EQ(DACDIO_WriteAll(0, counts, digital), MIRBAX_ERROR_BAD_TOKEN_TYPE) << pid;
    EXPECT_TRUE(Log(board_).empty());
  }
}

}  // namespace
}  // namespace mirbax::testing
