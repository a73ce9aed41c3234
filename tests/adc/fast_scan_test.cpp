// Fast scans: the stored configurations, their reads and the backups.
#include "adc/bulk_acquire.h"
#include "adc/counts_to_volts.h"
#include "adc_fixture.h"

namespace mirbax::testing {
namespace {

class FastScans : public AdcTest {};

TEST_F(FastScans, FastITCoversTheFirstSixtyFourChannels) {
  Plug(kAdc64);
  SetOption("adc_pattern", 1);
  std::vector<uint8_t> user(21, 0);
  user[17] = 0x12;
  SetBoardBlock(user);
  ASSERT_EQ(ADC_InitFastITScanV(0), 0u);
  const std::vector<uint8_t> armed = BoardBlock(21);
  EXPECT_EQ(armed[18], 0xF0);
  EXPECT_EQ(armed[20], 0x30);
  EXPECT_EQ(armed[19], 3);
  EXPECT_EQ(armed[17], 0x15);
  EXPECT_EQ(ControlLines(board_, 0xD4), std::vector<std::string>{"C 40 d4 001e 0000 0001 01"});
  MIRBAXSIM_ClearLog(board_);
  std::vector<double> v(64, -1);
  ASSERT_EQ(ADC_GetFastITScanV(0, v.data()), 0u);
  EXPECT_EQ(ControlLines(board_, 0xBC)[0], "C 40 bc 0000 0100 0004 05000000");  // 256 samples
  // Channels 0-3 (range group 0) use conversion 3 only, the others 1-3.
  EXPECT_DOUBLE_EQ(v[0], CountsToVolts(3, 1, 0));
  EXPECT_DOUBLE_EQ(v[3], CountsToVolts(15, 1, 0));
  EXPECT_DOUBLE_EQ(v[4], CountsToVolts(17 + 18 + 19, 3, 0));
  ASSERT_EQ(ADC_SetFastITScanVChannels(0, 8), 0u);
  EXPECT_EQ(BoardBlock(21)[18], 0x70);
  EXPECT_EQ(BoardBlock(21)[20], 0x00);
  ASSERT_EQ(ADC_ResetFastITScanV(0), 0u);
  EXPECT_EQ(BoardBlock(21), user);
  EXPECT_EQ(ControlLines(board_, 0xD4).back(), "C 40 d4 001e 0000 0001 00");
}

TEST_F(FastScans, SixteenChannelAndMultiplexerBoards) {
  Plug(kAdc16);
  ASSERT_EQ(ADC_InitFastITScanV(0), 0u);
  EXPECT_EQ(BoardBlock(20)[18], 0xF0);
  Replug();
  Plug(kAdcMux160);
  ASSERT_EQ(ADC_InitFastITScanV(0), 0u);
  EXPECT_EQ(BoardBlock(21)[20], 0x30);  // channels 0-63
  ASSERT_EQ(ADC_SetFastITScanVChannels(0, 100), 0u);
  EXPECT_EQ(BoardBlock(21)[18], 0x30);
  EXPECT_EQ(BoardBlock(21)[20], 0x60);  // channels 0-99
}

TEST_F(FastScans, CsaKeepsTheCallersLimits) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);
  std::vector<uint8_t> user(20, 0);
  user[18] = 4 | 9 << 4;
  SetBoardBlock(user);
  ASSERT_EQ(ADC_CSA_InitFastScanV(0), 0u);
  EXPECT_EQ(BoardBlock(20)[19], 1);
  EXPECT_EQ(BoardBlock(20)[18], user[18]);
  std::vector<double> v(16, -1);
  ASSERT_EQ(ADC_CSA_GetFastScanV(0, v.data()), 0u);
  for (int ch = 0; ch < 16; ++ch) {
    if (ch < 4 || ch > 9) EXPECT_DOUBLE_EQ(v[ch], -1) << ch;
    else EXPECT_DOUBLE_EQ(v[ch], CountsToVolts(2 * (ch - 4) + 1, 1, 0)) << ch;  // the second of two
  }
  ASSERT_EQ(ADC_CSA_ResetFastScanV(0), 0u);
  EXPECT_EQ(BoardBlock(20), user);
}

TEST_F(FastScans, ATimedOutReadLeavesTheBoardAsItWas) {
  Plug(kAdc16);
  SetOption("adc_trigger", 0);  // the counter never starts the scan
  std::vector<uint8_t> user(20, 0);
  user[0] = 5;
  SetBoardBlock(user);
  std::vector<double> v(16);
  EXPECT_EQ(ADC_GetITScanV(0, v.data()), MIRBAX_ERROR_TIMEOUT);
  EXPECT_EQ(BoardBlock(20), user);
  EXPECT_FALSE(Dev[0].ADCWorker && !Dev[0].ADCWorker->IsFinished());
}

TEST_F(FastScans, StatesAndCapabilities) {
  Plug(kAdc16);
  std::vector<double> v(16);
  EXPECT_EQ(ADC_SetFastITScanVChannels(0, 4), 21u);
  EXPECT_EQ(ADC_ResetFastITScanV(0), MIRBAX_ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(ADC_CSA_ResetFastScanV(0), MIRBAX_ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(ADC_CSA_InitFastScanV(0), 0u);
  ASSERT_EQ(ADC_CSA_ResetFastScanV(0), 0u);
  Replug();
  Plug(kAdcDioStream);
  EXPECT_EQ(ADC_InitFastITScanV(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_CSA_InitFastScanV(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_CSA_GetFastScanV(0, v.data()), MIRBAX_ERROR_BAD_TOKEN_TYPE);
}

TEST_F(FastScans, ScanOversamplesAreTheRawConversions) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);
  std::vector<uint8_t> user(20, 0);
  user[18] = 0x10;  // channels 0-1
  user[19] = 3;
  SetBoardBlock(user);
  std::vector<uint16_t> raw(10, 0xEEEE);
  ASSERT_EQ(ADC_CSA_GetScanOversamples(0, raw.data()), 0u);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(raw[i], i);
  EXPECT_EQ(raw[8], 0xEEEE);
}

}  // namespace
}  // namespace mirbax::testing
