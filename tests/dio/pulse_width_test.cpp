// The pulse-width monitor: stable, changing and zero counters, fetching
// consumes, restart and stop.  The tests wait for the monitor's passes on
// the board's read count, never on the clock.
#include <chrono>

#include "core/device_table.h"
#include "dio/pulse_width.h"
#include "dio_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kOneBlock = 0x8040;
constexpr uint32_t kTwoBlocks = 0x8006;
constexpr uint32_t kNoCounters = 0x8030;
constexpr uint32_t kNoLimit = 0;

class PulseWidth : public DioBoardTest {
 protected:
  void TearDown() override {
    CTR_StopMeasuringPulseWidth(0);  // never leave a monitor running
    DioBoardTest::TearDown();
  }
  // Waits until the monitor has compared `passes` pairs of readings taken
  // after the call: once the board has answered the read after them, the
  // monitor has recorded them.
  void WaitForPasses(uint32_t passes) {
    ASSERT_EQ(MIRBAXSIM_WaitForCounterReads(board_, passes + 2, kNoLimit), 0u);
  }
  uint32_t Fetch(uint32_t block, uint32_t counter, uint16_t &value) {
    value = 0xEEEE;
    return CTR_GetPulseWidthMeasurement(0, block, counter, &value);
  }
};
MIRBAX_ON_EVERY_DRIVER(PulseWidth);

TEST_P(PulseWidth, AStableCounterIsMeasuredAgainAndAFetchConsumesIt) {
  Plug(kOneBlock);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 2, 500, 0), 0u);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(1);
  // Keep the counter moving: no pass can record it again.
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 2, 600, 1), 0u);
  WaitForPasses(2);
  uint16_t value = 0;
  ASSERT_EQ(Fetch(0, 2, value), 0u);
  EXPECT_EQ(value, 500);
  EXPECT_EQ(Fetch(0, 2, value), MIRBAX_ERROR_NO_DATA_DETECTED);
  EXPECT_EQ(value, 0);
  // Holding still again, it is measured again.
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 2, 500, 0), 0u);
  WaitForPasses(1);
  ASSERT_EQ(Fetch(0, 2, value), 0u);
  EXPECT_EQ(value, 500);
  WaitForPasses(1);
  ASSERT_EQ(Fetch(0, 2, value), 0u);
  EXPECT_EQ(value, 500);
}

TEST_P(PulseWidth, AChangingCounterNeverYieldsAMeasurement) {
  Plug(kOneBlock);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 1, 100, 1), 0u);  // changes on every read
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 2, 42, 0), 0u);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(20);
  uint16_t value = 0;
  EXPECT_EQ(Fetch(0, 1, value), MIRBAX_ERROR_NO_DATA_DETECTED);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(Fetch(0, 2, value), 0u);  // its neighbour in the same reading is
  EXPECT_EQ(value, 42);
}

TEST_P(PulseWidth, ACounterHoldingZeroFetchesAsNoData) {
  Plug(kOneBlock);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(2);
  uint16_t value = 0;
  EXPECT_EQ(Fetch(0, 0, value), MIRBAX_ERROR_NO_DATA_DETECTED);
  EXPECT_EQ(value, 0);
}

TEST_P(PulseWidth, FlatAddressesReachTheSecondBlock) {
  Plug(kTwoBlocks);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 4, 1234, 0), 0u);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(1);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 4, 1, 1), 0u);  // no new measurement from here
  WaitForPasses(2);
  uint16_t value = 0;
  ASSERT_EQ(Fetch(0, 4, value), 0u);
  EXPECT_EQ(value, 1234);
  EXPECT_EQ(Fetch(1, 1, value), MIRBAX_ERROR_NO_DATA_DETECTED);  // the same entry, consumed
  EXPECT_EQ(Fetch(0, 6, value), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(Fetch(2, 0, value), MIRBAX_ERROR_INVALID_ADDRESS);
}

TEST_P(PulseWidth, StartingAgainReplacesTheMonitorWithFreshEntries) {
  Plug(kOneBlock);
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 0, 9, 0), 0u);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(1);
  const auto first = Dev[0].CtrMonitorThread;
  ASSERT_EQ(MIRBAXSIM_SetCounter(board_, 0, 9, 1), 0u);  // nothing for the new one to record
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  EXPECT_NE(Dev[0].CtrMonitorThread, first);
  EXPECT_EQ(first.use_count(), 1);  // the old monitor was stopped and dropped
  uint16_t value = 0;
  EXPECT_EQ(Fetch(0, 0, value), MIRBAX_ERROR_NO_DATA_DETECTED);
}

TEST_P(PulseWidth, StopEndsTheMonitorAndLaterCallsFindNone) {
  Plug(kOneBlock);
  uint16_t value = 0;
  EXPECT_EQ(CTR_StopMeasuringPulseWidth(0), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Fetch(0, 0, value), MIRBAX_ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(1);
  ASSERT_EQ(CTR_StopMeasuringPulseWidth(0), 0u);
  EXPECT_FALSE(Dev[0].CtrMonitorThread);
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(CTR_StopMeasuringPulseWidth(0), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(Fetch(0, 0, value), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(Log(board_).empty());  // nothing reads the counters any more
}

TEST_P(PulseWidth, AVanishedBoardDoesNotKeepTheStopWaiting) {
  Plug(kOneBlock);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  WaitForPasses(1);
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  // On WinUSB the entry is marked removed at the monitor's next read, and
  // every call on it gives 1617 from then on: the monitor must end by
  // itself.  The bound only keeps a broken build from hanging the suite.
  EXPECT_TRUE(Dev[0].CtrMonitorThread->WaitUntilEnded(std::chrono::seconds(60)));
  Dev[0].CtrMonitorThread.reset();
}

TEST_P(PulseWidth, FetchChecksComeInOrder) {
  Plug(kNoCounters);
  uint16_t value = 0;
  EXPECT_EQ(CTR_StartMeasuringPulseWidth(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_StopMeasuringPulseWidth(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(Fetch(0, 0, value), MIRBAX_ERROR_BAD_TOKEN_TYPE);
}

TEST_P(PulseWidth, AnUnwritableResultGives998) {
  Plug(kOneBlock);
  ASSERT_EQ(CTR_StartMeasuringPulseWidth(0), 0u);
  EXPECT_EQ(CTR_GetPulseWidthMeasurement(0, 0, 0, nullptr), MIRBAX_ERROR_NOACCESS);
}

}  // namespace
}  // namespace mirbax::testing
