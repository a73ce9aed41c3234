// Ring acquisition and ADC_ReadData: the ring's copies, the three time-out
// modes, overrun, the scan geometry of the caller's block, and streams that
// end under a waiting reader.
#include <cmath>
#include <future>
#include <numeric>

#include "adc/continuous.h"
#include "adc/ring.h"
#include "adc/adc_codes.h"
#include "adc_fixture.h"
#include "common/protected_pages.h"
#include "common/unreadable_page.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

TEST(RingBuffer, ABlockWrapsAtTheEnd) {
  TRingAcqData ring(2048);
  std::vector<uint16_t> first(1948);
  std::iota(first.begin(), first.end(), 0);
  ring.Write(first);
  std::vector<uint16_t> block(512);
  std::iota(block.begin(), block.end(), 5000);
  ring.Write(block);
  EXPECT_EQ(ring.iNextWrite, 412u);
  EXPECT_EQ(ring.RingBuffer[2047], 5099);
  EXPECT_EQ(ring.RingBuffer[0], 5100);
  EXPECT_EQ(ring.RingBuffer[411], 5511);
  EXPECT_TRUE(ring.SamplesWaiting().overrun);  // 2460 written, none read, 2048 kept
}

class Ring : public AdcTest {
 protected:
  void TearDown() override {
    if (Dev[0].ADCContAcqWorker) ADC_BulkContinuousEnd(0, nullptr);
    AdcTest::TearDown();
  }
  // A ring on a board whose first samples are minutes away: the test writes
  // the ring itself, as the buffer worker would.
  void QuietRing(uint32_t pid, uint32_t ringBytes = 8192) {
    Plug(pid);
    SetOption("sample_rate", 1);
    ASSERT_EQ(ADC_BulkContinuousRingStart(0, ringBytes, 0), 0u);
  }
  static void Feed(uint64_t from, uint32_t count) {
    std::vector<uint16_t> samples(count);
    for (uint32_t i = 0; i < count; ++i) samples[i] = uint16_t(from + i);
    BGRingContCallback(samples.data(), count * 2, 0, 0);
  }
  // A caller block: scan start..end, oversample byte, every range byte `range`.
  static std::vector<uint8_t> Block(uint32_t start, uint32_t end, uint8_t oversample,
                                    uint8_t range = 6, uint32_t size = 20) {
    std::vector<uint8_t> block(size, range);
    block[16] = block[17] = 0;
    block[18] = uint8_t((start & 15) | (end & 15) << 4);
    block[19] = oversample;
    if (size > 20) block[20] = uint8_t(start >> 4 | (end & 0xF0));
    return block;
  }
};

TEST_F(Ring, StartChecksAndBlockSizes) {
  Plug(kAdc16);
  EXPECT_EQ(ADC_BulkContinuousRingStart(0, 4095, 0), MIRBAX_ERROR_INVALID_USER_BUFFER);
  EXPECT_EQ(ADC_BulkContinuousRingStart(0, 8192, 17), MIRBAX_ERROR_INVALID_USER_BUFFER);
  ASSERT_EQ(ADC_BulkContinuousRingStart(0, 5000, 0), 0u);
  EXPECT_EQ(Dev[0].ADCContBufWorker->BytesPerBuf, 1024u);
  EXPECT_EQ(Dev[0].pRingAcqData->RingBuffer.size(), 4608u / 2);
  EXPECT_EQ(ADC_BulkContinuousRingStart(0, 5000, 0), MIRBAX_ERROR_TOO_MANY_OPEN_FILES);
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
  EXPECT_FALSE(Dev[0].pRingAcqData);
  ASSERT_EQ(ADC_BulkContinuousRingStart(0, 8192, 16), 0u);
  EXPECT_EQ(Dev[0].ADCContBufWorker->BytesPerBuf, 8192u);
}

TEST_F(Ring, TimeoutZeroTakesTheWholeScansWaiting) {
  QuietRing(kAdc16);
  const std::vector<uint8_t> block = Block(0, 3, 1);  // 4 channels x 2 conversions
  uint32_t scans = 10;
  std::vector<double> v(80, -1);
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), MIRBAX_ERROR_TIMEOUT);
  EXPECT_EQ(scans, 0u);
  Feed(0, 20);  // 2.5 scans
  scans = 10;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
  EXPECT_EQ(scans, 2u);
  for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(v[i], (2 * i + 0.5) / 65536) << i;
  EXPECT_DOUBLE_EQ(v[8], -1);
  Feed(20, 60);  // with the half scan left: 8 scans
  scans = 10;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
  EXPECT_EQ(scans, 8u);
  EXPECT_DOUBLE_EQ(v[0], 16.5 / 65536);
}

TEST_F(Ring, NegativeTimeoutIsAllOrNothing) {
  QuietRing(kAdc16);
  const std::vector<uint8_t> block = Block(0, 1, 0);  // 2 samples a scan
  Feed(0, 10);
  uint32_t scans = 10;
  std::vector<double> v(20);
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), -0.05), MIRBAX_ERROR_TIMEOUT);
  EXPECT_EQ(scans, 0u);
  scans = 10;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);  // still there
  EXPECT_EQ(scans, 5u);
  Feed(10, 20);
  scans = 10;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), -INFINITY), 0u);
  EXPECT_EQ(scans, 10u);
  EXPECT_DOUBLE_EQ(v[19], 29.0 / 65536);
  scans = 5000;  // more than the ring holds can never be waiting at once
  std::vector<double> big(10000);
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, big.data(), -1), MIRBAX_ERROR_INVALID_PARAMETER);
}

TEST_F(Ring, PositiveTimeoutDeliversWhatArrivedInTime) {
  QuietRing(kAdc16);
  const std::vector<uint8_t> block = Block(0, 1, 0);
  Feed(0, 10);
  uint32_t scans = 10;
  std::vector<double> v(20);
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0.05), 0u);
  EXPECT_EQ(scans, 5u);
  // Data arriving while the reader waits is taken as it comes.
  std::thread writer([] { Feed(10, 20); });
  scans = 10;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), INFINITY), 0u);
  writer.join();
  EXPECT_EQ(scans, 10u);
  EXPECT_DOUBLE_EQ(v[0], 10.0 / 65536);
}

TEST_F(Ring, GeometryComesFromTheCallersBlock) {
  QuietRing(kAdc16);
  Feed(0, 400);
  std::vector<double> v(100);
  // Start 14, end 1 on 16 inputs: 4 channels a scan; ranges by channel.
  std::vector<uint8_t> block = Block(14, 1, 0, 6);
  block[14] = 1;  // +-10 V for channel 14
  uint32_t scans = 2;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
  EXPECT_EQ(scans, 2u);
  EXPECT_DOUBLE_EQ(v[0], (2 * 0 / 65536.0 - 1) * 10);
  EXPECT_DOUBLE_EQ(v[1], 1.0 / 65536);
  EXPECT_DOUBLE_EQ(v[4], (2 * 4 / 65536.0 - 1) * 10);
  scans = 0;
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
}

TEST_F(Ring, AnOverrunIsReportedAndTheReaderResumesOnAScan) {
  QuietRing(kAdc16, 4096);  // 2048 samples
  const std::vector<uint8_t> block = Block(0, 2, 0);  // 3 samples a scan
  Feed(0, 2048);
  Feed(2048, 301);  // 301 unread samples overwritten
  uint32_t scans = 4;
  std::vector<double> v(12);
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), ERROR_IO_DEVICE);
  EXPECT_EQ(scans, 0u);
  scans = 4;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
  EXPECT_EQ(scans, 4u);
  EXPECT_DOUBLE_EQ(v[0], 303.0 / 65536);  // the oldest whole scan kept: samples 303-305
  EXPECT_DOUBLE_EQ(v[11], 314.0 / 65536);
}

TEST_F(Ring, AScanAcrossTheEndOfTheRingIsConvertedWhole) {
  QuietRing(kAdc16, 4096);  // 2048 samples
  const std::vector<uint8_t> block = Block(0, 2, 0);  // 3 samples a scan
  Feed(0, 2046);
  uint32_t scans = 682;
  std::vector<double> v(2046);
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
  ASSERT_EQ(scans, 682u);
  Feed(2046, 10);  // samples 2046-2055 at ring indexes 2046, 2047, 0-7
  scans = 3;
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), 0), 0u);
  ASSERT_EQ(scans, 3u);
  for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(v[i], (2046 + i) / 65536.0) << i;
}

// Reads far larger than the chunk the ring's mutex is held for, with
// oversampled multi-channel scans, every value checked.
TEST_F(Ring, ALargeReadIsConvertedCompleteAndInOrder) {
  QuietRing(kAdc16, 1 << 20);  // 512 Ki samples
  const std::vector<uint8_t> block = Block(0, 4, 2);  // 5 channels x 3 conversions
  constexpr uint32_t kScans = 30'000;                 // 450 000 samples
  for (uint32_t fed = 0; fed < kScans * 15; fed += 50'000)
    Feed(fed, std::min<uint32_t>(50'000, kScans * 15 - fed));
  uint32_t scans = kScans;
  std::vector<double> v(kScans * 5);
  ASSERT_EQ(ADC_ReadData(0, block.data(), &scans, v.data(), -1), 0u);
  ASSERT_EQ(scans, kScans);
  uint64_t wrong = 0;
  for (uint64_t i = 0; i < v.size(); ++i) {
    const uint64_t first = i * 3;  // the first of the value's three conversions
    const double sum = double(uint16_t(first) + uint16_t(first + 1) + uint16_t(first + 2));
    wrong += std::fabs(v[i] - sum / 3 / 65536) > 1e-12;
  }
  EXPECT_EQ(wrong, 0u);
}

TEST_F(Ring, AnUnwritableDataAreaGives1359AndNeverCrashes) {
  QuietRing(kAdc16);
  const std::vector<uint8_t> block = Block(0, 0, 0);
  UnreadablePage page;
  Feed(0, 100);
  uint32_t scans = 10;
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, page.get<double>(), 0), 1359u);
  scans = 10;
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, nullptr, 0), 1359u);
  // The end of a writable area: the scans that do not fit are refused.
  ProtectedPages area(2);
  area.Set(1, PageAccess::ReadOnly);
  auto *lastValues = reinterpret_cast<double *>(area.at(ProtectedPages::kPage - 16));
  scans = 3;
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, lastValues, 0), 1359u);
  scans = 2;
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, lastValues, 0), 0u);
  EXPECT_EQ(scans, 2u);
  EXPECT_DOUBLE_EQ(lastValues[0], 0.0);  // nothing was taken by the refused reads
  EXPECT_DOUBLE_EQ(lastValues[1], 1 / 65536.0);
}

TEST_F(Ring, DioStreamScansGiveThreeValues) {
  QuietRing(kAdcDioStream);
  const uint8_t block[2] = {6, 1};
  Feed(0x10000, 16);  // values 0, 1, 2, 3, 4, ...
  uint32_t scans = 4;
  std::vector<double> v(12);
  ASSERT_EQ(ADC_ReadData(0, block, &scans, v.data(), 0), 0u);
  EXPECT_EQ(scans, 4u);
  EXPECT_DOUBLE_EQ(v[0], 0.0);
  EXPECT_DOUBLE_EQ(v[1], (2 * 1 / 65536.0 - 1) * 10);
  EXPECT_DOUBLE_EQ(v[2], 2.0 * 65536 + 3);
  EXPECT_DOUBLE_EQ(v[11], 14.0 * 65536 + 15);
}

TEST_F(Ring, AStreamThroughTheRingArrivesComplete) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);
  SetOption("sample_rate", 400000);
  ASSERT_EQ(ADC_BulkContinuousRingStart(0, 1 << 20, 0), 0u);
  const std::vector<uint8_t> block = Block(0, 0, 0);
  std::vector<double> v(50000);
  uint64_t n = 0, disorder = 0;
  while (n < 400000) {
    uint32_t scans = 50000;
    const uint32_t result = ADC_ReadData(0, block.data(), &scans, v.data(), 5.0);
    ASSERT_EQ(result, 0u);
    for (uint32_t i = 0; i < scans; ++i, ++n) disorder += v[i] != double(uint16_t(n)) / 65536;
  }
  EXPECT_EQ(disorder, 0u);
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
}

TEST_F(Ring, ReadDataNeedsARingAndAnUnplugEndsAWaitingReader) {
  Plug(kAdc16);
  const std::vector<uint8_t> block = Block(0, 0, 0);
  uint32_t scans = 1;
  double v[4];
  EXPECT_EQ(ADC_ReadData(0, block.data(), &scans, v, 0), MIRBAX_ERROR_NOT_SUPPORTED);
  SetOption("sample_rate", 1);
  ASSERT_EQ(ADC_BulkContinuousRingStart(0, 8192, 0), 0u);
  auto reader = std::async(std::launch::async, [&] {
    uint32_t wanted = 4;
    double values[4];
    return ADC_ReadData(0, block.data(), &wanted, values, INFINITY);
  });
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  const uint32_t result = reader.get();
  EXPECT_TRUE(result == MIRBAX_ERROR_TIMEOUT || result == MIRBAX_ERROR_DEVICE_REMOVED) << result;
  EXPECT_EQ(ADC_BulkContinuousEnd(0, nullptr), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_FALSE(Dev[0].pRingAcqData);
}

TEST_F(Ring, FullStartRingSetsUpTheWholeAcquisition) {
  Plug(kAdc16);
  SetOption("cal_supported", 0);
  std::vector<uint8_t> block = Block(0, 3, 1, 2);
  uint32_t size = 5;
  EXPECT_EQ(ADC_FullStartRing(0, block.data(), &size, nullptr, nullptr, 8192, 0),
            MIRBAX_ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 20u);
  EXPECT_EQ(ADC_FullStartRing(0, nullptr, &size, nullptr, nullptr, 8192, 0),
            MIRBAX_ERROR_INVALID_PARAMETER);
  ASSERT_EQ(ADC_FullStartRing(0, block.data(), &size, ":AUTO:", nullptr, 8192, 0), 0u);
  EXPECT_EQ(BoardBlock(20), block);
  EXPECT_TRUE(Dev[0].pRingAcqData);
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
  Replug();
  Plug(kAdcDioStream);
  const uint8_t ranges[2] = {0, 0};
  size = 2;
  double hz = 0;
  ASSERT_EQ(ADC_FullStartRing(0, ranges, &size, nullptr, &hz, 8192, 0), 0u);
  EXPECT_EQ(hz, 1e6);
}

}  // namespace
}  // namespace mirbax::testing
