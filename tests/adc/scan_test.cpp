// Immediate and scan reads on the three kinds of analog boards.
#include <cmath>

#include "adc/scan.h"
#include "adc/counts_to_volts.h"
#include "adc_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

class Scans : public AdcTest {
 protected:
  // A 20-byte block: scan start..end, oversample, start mode, range bytes.
  static std::vector<uint8_t> Block(uint32_t start, uint32_t end, uint8_t oversample,
                                    uint8_t startMode = 0, uint8_t range = 0) {
    std::vector<uint8_t> block(20, range);
    block[16] = 0;
    block[17] = startMode;
    block[18] = uint8_t(start | end << 4);
    block[19] = oversample;
    return block;
  }
};

TEST_F(Scans, OversampleIsCappedAtOneThousandTwentyFourSamples) {
  Plug(kAdc16);
  SetBoardBlock(Block(0, 15, 100, 0x03));
  for (uint32_t ch = 0; ch < 16; ++ch) MIRBAXSIM_SetAnalogInput(board_, ch, uint16_t(1000 * ch + 7));
  uint16_t counts[16] = {};
  ASSERT_EQ(ADC_GetScan(0, counts), 0u);
  for (uint32_t ch = 0; ch < 16; ++ch) EXPECT_EQ(counts[ch], 1000 * ch + 7) << ch;
  const std::vector<uint8_t> after = BoardBlock(20);
  EXPECT_EQ(after[19], 63);    // 16 x 64 = 1024 samples
  EXPECT_EQ(after[17], 0x04);  // a software-started scan
  EXPECT_EQ(ControlLines(board_, 0xBC),
            std::vector<std::string>{"C 40 bc 0000 0400 0004 05000000"});
  EXPECT_EQ(ControlLines(board_, 0xBF), std::vector<std::string>{"C 40 bf 0000 0000 0000"});
  EXPECT_EQ(LinesStarting("B 86"), std::vector<std::string>{"B 86 00000800 00000800"});
}

TEST_F(Scans, OversampleZeroTakesTwoConversionsAndLimitsBoundTheOutput) {
  Plug(kAdc16);
  SetBoardBlock(Block(4, 6, 0));
  for (uint32_t ch = 0; ch < 16; ++ch) MIRBAXSIM_SetAnalogInput(board_, ch, uint16_t(100 + ch));
  uint16_t counts[16];
  std::fill(std::begin(counts), std::end(counts), 0xEEEE);
  ASSERT_EQ(ADC_GetScan(0, counts), 0u);
  EXPECT_EQ(BoardBlock(20)[19], 1);
  for (uint32_t ch = 0; ch < 16; ++ch)
    EXPECT_EQ(counts[ch], ch >= 4 && ch <= 6 ? 100 + ch : 0xEEEE) << ch;
  EXPECT_EQ(ControlLines(board_, 0xBC)[0], "C 40 bc 0000 0006 0004 05000000");
}

TEST_F(Scans, MeansDropTheFirstConversionAndRoundTiesToEven) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);  // sample n carries n
  SetBoardBlock(Block(0, 1, 2));
  uint16_t counts[2] = {};
  ASSERT_EQ(ADC_GetScan(0, counts), 0u);
  EXPECT_EQ(counts[0], 2);  // samples 0,1,2: mean of 1 and 2 is 1.5
  EXPECT_EQ(counts[1], 4);  // samples 3,4,5: mean of 4 and 5 is 4.5
}

TEST_F(Scans, VoltsFollowEachChannelsRange) {
  Plug(kAdc16);
  std::vector<uint8_t> block = Block(0, 1, 3);
  block[0] = 1;  // +-10 V
  block[1] = 6;  // 0 to 1 V
  SetBoardBlock(block);
  MIRBAXSIM_SetAnalogInput(board_, 0, 49152);
  MIRBAXSIM_SetAnalogInput(board_, 1, 32768);
  double volts[2] = {};
  ASSERT_EQ(ADC_GetScanV(0, volts), 0u);
  EXPECT_DOUBLE_EQ(volts[0], 5.0);
  EXPECT_DOUBLE_EQ(volts[1], 0.5);
}

TEST_F(Scans, WrappedScanCoversTheLastAndFirstInputs) {
  Plug(kAdc16);
  SetBoardBlock(Block(14, 1, 1));
  for (uint32_t ch = 0; ch < 16; ++ch) MIRBAXSIM_SetAnalogInput(board_, ch, uint16_t(10 * ch));
  uint16_t counts[16] = {};
  ASSERT_EQ(ADC_GetScan(0, counts), 0u);
  for (uint32_t ch : {14u, 15u, 0u, 1u}) EXPECT_EQ(counts[ch], 10 * ch) << ch;
  EXPECT_EQ(ControlLines(board_, 0xBC)[0], "C 40 bc 0000 0008 0004 05000000");
}

TEST_F(Scans, ImmediateInputsReadZeroToFiveVoltsWithThePostScale) {
  Plug(kImmediateAdc);
  MIRBAXSIM_SetAnalogInput(board_, 0, 65535);
  MIRBAXSIM_SetAnalogInput(board_, 1, 1234);
  uint16_t counts[2] = {};
  ASSERT_EQ(ADC_GetScan(0, counts), 0u);
  EXPECT_EQ(counts[0], 65535);
  EXPECT_EQ(counts[1], 1234);
  EXPECT_EQ(ControlLines(board_, 0xBF), std::vector<std::string>(1, "C c0 bf 0000 0000 0004 ffffd204"));
  double volts[2] = {};
  ASSERT_EQ(ADC_GetScanV(0, volts), 0u);
  EXPECT_DOUBLE_EQ(volts[0], 65535.0 * 5 / 65536 * 0.8192);
  ASSERT_EQ(ADC_GetTrigScanV(0, volts, 5), 0u);
  EXPECT_DOUBLE_EQ(volts[0], 65535.0 * 5 / 65536);
  EXPECT_EQ(ADC_GetImmediate(0, 0, counts), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  double one = 0;
  EXPECT_EQ(ADC_GetChannelV(0, 2, &one), MIRBAX_ERROR_INVALID_INDEX);
}

TEST_F(Scans, TriggeredScanForcedByTheTimeOut) {
  Plug(kAdc16);
  SetOption("adc_trigger", 0);  // the hardware start never comes
  SetBoardBlock(Block(0, 0, 1, 0x02));
  MIRBAXSIM_SetAnalogInput(board_, 0, 4321);
  uint16_t counts[1] = {0xEEEE};
  EXPECT_EQ(ADC_GetTrigScan(0, counts, 0), MIRBAX_ERROR_TIMEOUT);  // 0 becomes 1 ms
  EXPECT_EQ(counts[0], 0xEEEE);
  EXPECT_EQ(BoardBlock(20)[17], 0x06);  // the hardware start stays chosen
  EXPECT_EQ(ControlLines(board_, 0xBF), std::vector<std::string>{"C 40 bf 0000 0000 0000"});
  double volts[1] = {};
  EXPECT_EQ(ADC_GetTrigScanV(0, volts, 2), MIRBAX_ERROR_TIMEOUT);
  EXPECT_DOUBLE_EQ(volts[0], CountsToVolts(4321, 1, 0));
}

TEST_F(Scans, TriggeredScanThatGetsItsStart) {
  Plug(kAdc16);
  SetBoardBlock(Block(0, 0, 1, 0x02));
  MIRBAXSIM_SetAnalogInput(board_, 0, 777);
  uint16_t counts[1] = {};
  ASSERT_EQ(ADC_GetTrigScan(0, counts, 60000), 0u);  // the thread is stopped, not waited out
  EXPECT_EQ(counts[0], 777);
  EXPECT_TRUE(ControlLines(board_, 0xBF).empty());
}

TEST_F(Scans, ChannelOutsideTheScanIsNaN) {
  Plug(kAdc16);
  SetBoardBlock(Block(0, 3, 1));
  double v = 0;
  ASSERT_EQ(ADC_GetChannelV(0, 9, &v), 0u);
  EXPECT_TRUE(std::isnan(v));
  EXPECT_TRUE(std::signbit(v));
  EXPECT_EQ(ADC_GetChannelV(0, 16, &v), MIRBAX_ERROR_INVALID_INDEX);
  MIRBAXSIM_SetAnalogInput(board_, 2, 32768);
  ASSERT_EQ(ADC_GetChannelV(0, 2, &v), 0u);
  EXPECT_DOUBLE_EQ(v, 5.0);
}

TEST_F(Scans, CalibrationReferencesReadAndTheBlockComesBack) {
  Plug(kAdc16);
  std::vector<uint8_t> block = Block(2, 5, 7, 0x01, 1);  // range byte 0: +-10 V
  SetBoardBlock(block);
  double v = 0;
  EXPECT_EQ(ADC_GetCalRefV(0, 2, &v), MIRBAX_ERROR_INVALID_INDEX);
  EXPECT_EQ(BoardBlock(20), block);
  EXPECT_TRUE(LinesStarting("B 86").empty());
  ASSERT_EQ(ADC_GetCalRefV(0, 1, &v), 0u);
  // High reference 65103 counts in bipolar coding: (65103 + 65536) / 2.
  EXPECT_DOUBLE_EQ(v, CountsToVolts(65320, 1, 1));
  EXPECT_EQ(BoardBlock(20), block);
  ASSERT_EQ(ADC_GetCalRefV(0, 0, &v), 0u);
  EXPECT_DOUBLE_EQ(v, 0.0);  // low reference 0 in bipolar coding: mid-scale
  EXPECT_EQ(LinesStarting("C 40 bc")[0], "C 40 bc 0000 0100 0004 05000000");  // 256 conversions
}

TEST_F(Scans, DioStreamBoardReadsItsStreamRecords) {
  Plug(kAdcDioStream);
  const uint8_t ranges[2] = {0, 6};
  ASSERT_EQ(ADC_RangeAll(0, ranges, 0), 0u);
  MIRBAXSIM_SetAnalogInput(board_, 0, 1000);
  MIRBAXSIM_SetAnalogInput(board_, 1, 32768);
  MIRBAXSIM_ClearLog(board_);
  uint16_t counts[2] = {};
  ASSERT_EQ(ADC_GetScan(0, counts), 0u);
  EXPECT_EQ(counts[0], 1000);
  EXPECT_EQ(counts[1], 32768);
  EXPECT_EQ(Log(board_)[0], "C 40 bc 0003 0000 0000");
  EXPECT_EQ(Log(board_)[1], "B 86 00000400 00000400");
  EXPECT_EQ(Log(board_)[2], "C 40 bc 0000 0000 0000");
  double volts[2] = {};
  ASSERT_EQ(ADC_GetScanV(0, volts), 0u);
  EXPECT_DOUBLE_EQ(volts[1], 0.5);
}

TEST_F(Scans, DioReadNeverWritesPastTheArea) {
  Plug(kAdcDioStream);
  std::vector<uint8_t> area(300 + 16, 0xA5);
  ASSERT_EQ(_BlockingADCDIORead(0, area.data(), 300), 0u);
  for (std::size_t i = 300; i < area.size(); ++i) ASSERT_EQ(area[i], 0xA5) << i;
  EXPECT_EQ(LinesStarting("B 86"), std::vector<std::string>{"B 86 00000200 00000200"});
}

TEST_F(Scans, ImmediateStartIsRefusedWhileAcquiring) {
  Plug(kAdc16);
  uint16_t value = 0xFFFF;
  ASSERT_EQ(ADC_GetImmediate(0, 5, &value), 0u);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(ControlLines(board_, 0xBF), std::vector<std::string>{"C 40 bf 0000 0005 0000"});
  EXPECT_EQ(ADC_GetImmediate(0, 5, nullptr), MIRBAX_ERROR_NOACCESS);
}

TEST_F(Scans, BoardsWithoutAnalogInputs) {
  Plug(kDioOnly);
  uint16_t counts[4];
  double volts[4];
  EXPECT_EQ(ADC_GetScan(0, counts), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_GetScanV(0, volts), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_GetChannelV(0, 0, volts), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_GetCalRefV(0, 0, volts), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

}  // namespace
}  // namespace mirbax::testing
