// Immediate DAC output, the board range, the range-limit block and the
// per-channel calibration tables in flash.
#include <filesystem>
#include <fstream>

#include "common/unreadable_page.h"
#include "dac/dac_fixture.h"

namespace mirbax::testing {
namespace {

class ImmediateOutput : public DacBoardTest {};

TEST_F(ImmediateOutput, DACDirectSetsOneChannel) {
  OpenBoard(kImmediateBoard);
  ASSERT_EQ(DACDirect(0, 7, 0x1234), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 b3 1234 0007 0000"});
  EXPECT_EQ(Output(7), 0x1234);
}

TEST_F(ImmediateOutput, ChecksComeInOrderAndSendNothing) {
  OpenBoard(kNoDacBoard);
  EXPECT_EQ(DACDirect(0, 0, 1), ERROR_BAD_TOKEN_TYPE);
  const TDACEntry entry{0, 1};
  EXPECT_EQ(DACMultiDirect(0, &entry, 1), ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ImmediateOutput, AChannelBeyondTheBoardGives487) {
  OpenBoard(kImmediateBoard);
  EXPECT_EQ(DACDirect(0, 8, 1), ERROR_INVALID_ADDRESS);
  const TDACEntry entries[] = {{1, 5}, {8, 6}};
  EXPECT_EQ(DACMultiDirect(0, entries, 2), ERROR_INVALID_ADDRESS);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ImmediateOutput, MultiDirectSendsGroupsUpToTheHighestChannel) {
  OpenBoard(kSlowWaveBoard);  // 16 channels
  const TDACEntry entries[] = {{9, 0xBEEF}, {3, 0x1111}, {3, 0x0A0B}};
  ASSERT_EQ(DACMultiDirect(0, entries, 3), 0u);
  // Group 0: mask 0x08, channel 3 at bytes 7-8; group 1: mask 0x02, channel 9
  // at bytes 20-21 (the later value of a channel named twice wins).
  EXPECT_EQ(Controls(), std::vector<std::string>{
                            "C 40 b3 0000 0000 0022 "
                            "08" "000000000000" "0b0a" "0000000000000000"
                            "02" "0000" "efbe" "000000000000000000000000"});
  EXPECT_EQ(Output(3), 0x0A0B);
  EXPECT_EQ(Output(9), 0xBEEF);
}

TEST_F(ImmediateOutput, MultiDirectOfNothingSucceedsWithoutTheBoard) {
  OpenBoard(kImmediateBoard);
  EXPECT_EQ(DACMultiDirect(0, nullptr, 0), 0u);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ImmediateOutput, MultiDirectOfUnreadableEntriesGives998) {
  OpenBoard(kImmediateBoard);
  UnreadablePage page;
  EXPECT_EQ(DACMultiDirect(0, page.get<TDACEntry>(), 3), ERROR_NOACCESS);
  EXPECT_EQ(DACMultiDirect(0, nullptr, 1), ERROR_NOACCESS);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ImmediateOutput, MultiDirectReadsLargeArraysWhole) {
  OpenBoard(kImmediateBoard);
  std::vector<TDACEntry> entries(5000);
  for (uint32_t i = 0; i < entries.size(); ++i) entries[i] = {uint16_t(i % 8), uint16_t(i)};
  ASSERT_EQ(DACMultiDirect(0, entries.data(), uint32_t(entries.size())), 0u);
  for (uint16_t channel = 0; channel < 8; ++channel)
    EXPECT_EQ(Output(channel), 4992 + channel);
}

TEST_F(ImmediateOutput, ThroughTheDigitalStreamAValueIsTwoSamplesAt1048576Hz) {
  OpenBoard(kStreamDacBoard);
  ASSERT_EQ(DACDirect(0, 0, 0x0ABC), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 bb 0000 0000 0000",
                                                  "C 40 bd 0000 0000 0005 009fc40000"}));
  EXPECT_EQ(Bulks(), std::vector<std::string>{"B 02 00000004 00000004"});
  EXPECT_EQ(StreamWords(), (std::vector<uint16_t>{0x0ABC, 0x0ABC}));
  EXPECT_EQ(Output(0), 0x0ABC);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  // Only the last entry of a multiple write counts.
  const TDACEntry entries[] = {{0, 1}, {0, 2}};
  ASSERT_EQ(DACMultiDirect(0, entries, 2), 0u);
  EXPECT_EQ(Output(0), 2);
}

TEST_F(ImmediateOutput, AnOpenWaveformStreamRefusesImmediateWrites) {
  OpenBoard(kWaveformBoard);
  double hz = 100'000;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  MIRBAXSIM_ClearLog(board_);
  const TDACEntry entry{0, 1};
  EXPECT_EQ(DACDirect(0, 0, 1), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_EQ(DACMultiDirect(0, &entry, 1), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(Log(board_).empty());
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
  EXPECT_EQ(DACDirect(0, 0, 1), 0u);
}

// ---- Range and range limits -------------------------------------------------

TEST_F(ImmediateOutput, BoardRangeSendsTheCode) {
  OpenBoard(kRangeAdcBoard);
  ASSERT_EQ(DACSetBoardRange(0, 0x10003), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 b7 0003 0000 0000"});
  EXPECT_EQ(DacState().RangeCode, 3u);
}

TEST_F(ImmediateOutput, BoardRangeNeedsTheCapability) {
  OpenBoard(kImmediateBoard);
  EXPECT_EQ(DACSetBoardRange(0, 1), ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

struct StreamRangeCase {
  uint8_t report[2];
  std::vector<std::string> controls;
};

class StreamBoardRange : public DacBoardTest,
                         public ::testing::WithParamInterface<StreamRangeCase> {};

TEST_P(StreamBoardRange, ReadsTheBoardsRangeAndSetsItsZeroFirst) {
  OpenBoard(kStreamDacBoard);
  ASSERT_EQ(MIRBAXSIM_Poke(board_, "dacrange", 0, GetParam().report, 2), 0u);
  ASSERT_EQ(DACSetBoardRange(0, 77), 0u);
  EXPECT_EQ(Controls(), GetParam().controls);
}

INSTANTIATE_TEST_SUITE_P(
    Reports, StreamBoardRange,
    ::testing::Values(
        StreamRangeCase{{1, 1}, {"C c0 b7 0000 0000 0002 0101", "C 40 b7 0000 0000 0000"}},
        StreamRangeCase{{2, 0},
                        {"C c0 b7 0000 0000 0002 0200", "C 40 bb 0000 0000 0000",
                         "C 40 bd 0000 0000 0005 009fc40000", "C 40 b7 0000 0000 0000"}},
        StreamRangeCase{{2, 1},
                        {"C c0 b7 0000 0000 0002 0201", "C 40 bb 0000 0000 0000",
                         "C 40 bd 0000 0000 0005 009fc40000", "C 40 b7 0000 0000 0000"}}));

TEST_F(ImmediateOutput, StreamBoardRangeSetsBipolarZero) {
  OpenBoard(kStreamDacBoard);
  const uint8_t report[] = {2, 1};
  ASSERT_EQ(MIRBAXSIM_Poke(board_, "dacrange", 0, report, 2), 0u);
  ASSERT_EQ(DACSetBoardRange(0, 0), 0u);
  EXPECT_EQ(StreamWords(), (std::vector<uint16_t>{0x8000, 0x8000}));
}

TEST_F(ImmediateOutput, RangeLimitsGoToTheEEPROMBlock) {
  OpenBoard(kImmediateBoard);
  uint8_t limits[32];
  for (int i = 0; i < 32; ++i) limits[i] = uint8_t(0xA0 + i);
  ASSERT_EQ(DAC_CSA_SetRangeLimits(0, limits), 0u);
  uint8_t block[33];
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0x1D00, block, 33), 0u);
  EXPECT_EQ(block[0], 1);
  EXPECT_EQ(std::vector<uint8_t>(block + 1, block + 33), std::vector<uint8_t>(limits, limits + 32));
  ASSERT_EQ(DAC_CSA_ClearRangeLimits(0), 0u);
  EXPECT_EQ(Controls().back(), "C 40 a2 1d00 0000 0001 00");
  ASSERT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0x1D00, block, 33), 0u);
  EXPECT_EQ(block[0], 0);
  EXPECT_EQ(block[1], 0xA0);  // only the flag byte is cleared
}

TEST_F(ImmediateOutput, UnreadableRangeLimitsGive998BeforeTheIndexIsLookedAt) {
  OpenBoard(kImmediateBoard);
  UnreadablePage page;
  EXPECT_EQ(DAC_CSA_SetRangeLimits(0, page.get()), ERROR_NOACCESS);
  EXPECT_EQ(DAC_CSA_SetRangeLimits(40, nullptr), ERROR_NOACCESS);
  EXPECT_TRUE(Log(board_).empty());
  const uint8_t limits[32] = {};
  EXPECT_EQ(DAC_CSA_SetRangeLimits(40, limits), ERROR_INVALID_INDEX);
  EXPECT_EQ(DAC_CSA_ClearRangeLimits(40), ERROR_INVALID_INDEX);
}

}  // namespace
}  // namespace mirbax::testing
