// The configuration block: its pure rules, the conversion rule, and the
// functions that move and change it, on the wire of simulated boards.
#include <cmath>

#include "adc/config_block.h"
#include "adc/counts_to_volts.h"
#include "adc_fixture.h"
#include "common/unreadable_page.h"

namespace mirbax::testing {
namespace {

TEST(CountsToVolts, FollowsTheRangeCodes) {
  struct Case {
    uint8_t range;
    double count;
    double volts;
  };
  const Case cases[] = {
      {0, 32768, 5.0},  {1, 49152, 5.0},  {1, 0, -10.0},   {2, 65536 / 2, 2.5},
      {3, 16384, -2.5}, {4, 32768, 1.0},  {5, 49152, 1.0}, {6, 32768, 0.5},
      {7, 0, -1.0},     {0x0E, 32768, 0.5},  // the differential bit does not count
  };
  for (const Case &c : cases) EXPECT_DOUBLE_EQ(CountsToVolts(c.count, 1, c.range), c.volts) << int(c.range);
  // A sum of conversions is the rule applied to their mean.
  EXPECT_DOUBLE_EQ(CountsToVolts(3 * 49152.0, 3, 1), 5.0);
  EXPECT_DOUBLE_EQ(CountsToVolts(1000.0 + 1001.0, 2, 0), 1000.5 / 65536 * 10);
}

TEST(CountsToVolts, TheFoldedScaleGivesTheSameBits) {
  for (int range = 0; range < 16; ++range)
    for (uint32_t conversions : {1u, 2u, 3u, 64u, 256u})
      for (uint32_t mean : {0u, 1u, 12345u, 32768u, 65535u}) {
        const double sum = double(mean) * conversions + (conversions > 1 ? 1 : 0);
        EXPECT_EQ(TVoltsScale(uint8_t(range), conversions)(sum),
                  CountsToVolts(sum, conversions, uint8_t(range)))
            << range << " " << conversions << " " << mean;
      }
}

TEST(ConfigBlockRules, ScanLimitsInBothForms) {
  std::vector<uint8_t> block(21, 0);
  StoreScanLimits(block, 18, 63, true);
  EXPECT_EQ(block[18], 0xF2);
  EXPECT_EQ(block[20], 0x31);
  EXPECT_EQ(ScanLimitsOf(block, true).start, 18u);
  EXPECT_EQ(ScanLimitsOf(block, true).end, 63u);
  // The 20-byte form ignores byte 20.
  EXPECT_EQ(ScanLimitsOf(block, false).end, 15u);
  std::vector<uint8_t> narrow(20, 0);
  StoreScanLimits(narrow, 0, 15, false);
  EXPECT_EQ(narrow[18], 0xF0);
}

TEST(ConfigBlockRules, RangeBytesAndModes) {
  EXPECT_EQ(MakeRangeByte(3, 1), 0x0B);
  EXPECT_EQ(MakeRangeByte(2, 0), 0x02);
  EXPECT_EQ(RangeByteIndex(63, 2), 15u);
  EXPECT_EQ(RangeByteIndex(127, 3), 15u);
  EXPECT_EQ(RangeByteIndex(159, 3), 15u);  // groups past 15 share the last range byte
  for (int mode = 0; mode < 256; ++mode)
    EXPECT_EQ(IsKnownCalMode(uint8_t(mode)),
              mode == 0 || mode == 1 || mode == 3 || mode == 5 || mode == 7);
}

class ConfigFunctions : public AdcTest {};

TEST_F(ConfigFunctions, GetConfigAsksForRoomFirst) {
  Plug(kAdc64);
  std::vector<uint8_t> stored(21);
  for (int i = 0; i < 21; ++i) stored[i] = uint8_t(i + 1);
  SetBoardBlock(stored);
  uint8_t buf[32] = {};
  uint32_t size = 0;
  EXPECT_EQ(ADC_GetConfig(0, buf, &size), MIRBAX_ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 21u);
  EXPECT_TRUE(Log(board_).empty());
  size = 32;  // a larger buffer reads exactly the block
  ASSERT_EQ(ADC_GetConfig(0, buf, &size), 0u);
  EXPECT_EQ(size, 21u);
  EXPECT_EQ(std::vector<uint8_t>(buf, buf + 21), stored);
  EXPECT_EQ(buf[21], 0);
  EXPECT_EQ(ControlLines(board_, 0xD2).size(), 1u);
  EXPECT_EQ(ControlLines(board_, 0xD2)[0].substr(0, 22), "C c0 d2 0000 0000 0015");
  size = 21;
  EXPECT_EQ(ADC_GetConfig(0, nullptr, &size), MIRBAX_ERROR_INVALID_PARAMETER);
}

TEST_F(ConfigFunctions, SetConfigWritesTheBlockLength) {
  Plug(kAdc16);
  std::vector<uint8_t> block(20, 0x11);
  uint32_t size = 25;
  ASSERT_EQ(ADC_SetConfig(0, block.data(), &size), 0u);
  EXPECT_EQ(size, 20u);
  EXPECT_EQ(BoardBlock(20), block);
  EXPECT_EQ(ControlLines(board_, 0xBE),
            std::vector<std::string>{"C 40 be 0000 0000 0014 " + std::string(40, '1')});
  UnreadablePage page;
  EXPECT_EQ(ADC_SetConfig(0, block.data(), page.get<uint32_t>()), MIRBAX_ERROR_INTERNAL_ERROR);
}

TEST_F(ConfigFunctions, ScanLimitsCheckedThenWritten) {
  struct Case {
    uint32_t pid, start, end, result;
    int byte18, byte20;  // -1: not checked
  };
  const Case cases[] = {
      {kAdc16, 3, 2, 87, -1, -1},     {kAdc16, 0, 16, 87, -1, -1},
      {kAdc16, 0, 15, 0, 0xF0, -1},   {kAdc64, 18, 63, 0, 0xF2, 0x31},
      {kAdc64, 0, 64, 87, -1, -1},    {kAdcMux160, 100, 159, 0, 0xF4, 0x96},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.start * 1000 + c.end);
    Replug();
    Plug(c.pid);
    EXPECT_EQ(ADC_SetScanLimits(0, c.start, c.end), c.result);
    if (c.result != 0) {
      EXPECT_TRUE(Log(board_).empty());
      continue;
    }
    const std::vector<uint8_t> block = BoardBlock(c.pid == kAdc16 ? 20 : 21);
    EXPECT_EQ(block[18], c.byte18);
    if (c.byte20 >= 0) {
      EXPECT_EQ(block[20], c.byte20);
    }
    // Read, then write: two transfers.
    ASSERT_EQ(Log(board_).size(), 2u);
    EXPECT_EQ(Log(board_)[0].substr(0, 7), "C c0 d2");
    EXPECT_EQ(Log(board_)[1].substr(0, 7), "C 40 be");
  }
}

TEST_F(ConfigFunctions, ModeRangesAndOversample) {
  Plug(kAdc16);
  EXPECT_EQ(ADC_ADMode(0, 0x05, 2), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Log(board_).empty());
  ASSERT_EQ(ADC_ADMode(0, 0xFF, 7), 0u);
  EXPECT_EQ(BoardBlock(20)[16], 7);
  EXPECT_EQ(BoardBlock(20)[17], 0xFF);

  uint8_t codes[16];
  std::fill(std::begin(codes), std::end(codes), 3);
  codes[9] = 8;
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(ADC_RangeAll(0, codes, 1), 13u);
  EXPECT_TRUE(Log(board_).empty());
  codes[9] = 3;
  ASSERT_EQ(ADC_RangeAll(0, codes, 1), 0u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(BoardBlock(20)[i], 0x0B) << i;

  EXPECT_EQ(ADC_Range1(0, 2, 8, 0), MIRBAX_ERROR_INVALID_PARAMETER);
  ASSERT_EQ(ADC_Range1(0, 2, 6, 0), 0u);
  EXPECT_EQ(BoardBlock(20)[2], 6);
  ASSERT_EQ(ADC_SetOversample(0, 200), 0u);
  EXPECT_EQ(BoardBlock(20)[19], 200);
  EXPECT_EQ(ADC_RangeAll(0, nullptr, 0), MIRBAX_ERROR_INVALID_PARAMETER);
  UnreadablePage page;
  EXPECT_EQ(ADC_RangeAll(0, page.get<uint8_t>(), 0), MIRBAX_ERROR_INTERNAL_ERROR);
}

TEST_F(ConfigFunctions, RangeIndexesRangeBytesNotInputs) {
  Plug(kAdc64);
  EXPECT_EQ(ADC_Range1(0, 16, 0, 0), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(ConfigFunctions, DioStreamBoardTakesItsTwoBytes) {
  Plug(kAdcDioStream);
  const uint8_t codes[2] = {0x05, 0x06};
  ASSERT_EQ(ADC_RangeAll(0, codes, 1), 0u);  // unchanged, no read
  EXPECT_EQ(BoardBlock(2), (std::vector<uint8_t>{0x05, 0x06}));
  EXPECT_EQ(Log(board_), std::vector<std::string>{"C 40 be 0000 0000 0002 0506"});
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(ADC_Range1(0, 1, 2, 1), 0u);
  EXPECT_EQ(BoardBlock(2), (std::vector<uint8_t>{0x05, 0x0A}));
  EXPECT_EQ(Log(board_).size(), 2u);
  EXPECT_EQ(ADC_ADMode(0, 0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_SetScanLimits(0, 0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_SetOversample(0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
}

TEST_F(ConfigFunctions, BoardsWithoutABlockRefuseEveryFunction) {
  for (uint32_t pid : {kImmediateAdc, kDioOnly}) {
    Replug();
    Plug(pid);
    uint8_t buf[32] = {};
    uint32_t size = 32;
    EXPECT_EQ(ADC_GetConfig(0, buf, &size), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_EQ(ADC_SetConfig(0, buf, &size), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_EQ(ADC_RangeAll(0, buf, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_EQ(ADC_Range1(0, 0, 0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_EQ(ADC_ADMode(0, 0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_EQ(ADC_SetScanLimits(0, 0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_EQ(ADC_SetOversample(0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
    EXPECT_TRUE(Log(board_).empty());
  }
}

TEST_F(ConfigFunctions, AFailedReadWritesNothing) {
  Plug(kAdc16);
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 1, 31), 0u);
  EXPECT_EQ(ADC_SetOversample(0, 9), 31u);
  EXPECT_TRUE(ControlLines(board_, 0xBE).empty());
  EXPECT_EQ(BoardBlock(20)[19], 0);
}

}  // namespace
}  // namespace mirbax::testing
