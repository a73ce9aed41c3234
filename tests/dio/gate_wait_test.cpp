// Counter gates: selection, arming the wait, and CTR_WaitForGate ending by
// an event, by CTR_EndWaitGates from another thread, or by an unplug.
#include <future>

#include "dio_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kGateBoard = 0x8020;  // 5 blocks, selectable gates: gates 0..14
constexpr uint32_t kFixedGates = 0x8001; // counters, gates not selectable
constexpr uint32_t kNoLimit = 0;

class Gates : public DioBoardTest {
 protected:
  // Waits for a gate event on another thread; returns once the read is
  // pending on the board.
  std::future<uint32_t> WaitInBackground(uint8_t gate) {
    auto waiter = std::async(std::launch::async, [gate, this] {
      return CTR_WaitForGate(0, gate, &content_);
    });
    EXPECT_EQ(MIRBAXSIM_WaitForGateReader(board_, gate, kNoLimit), 0u);
    return waiter;
  }
  uint16_t content_ = 0xEEEE;
};
MIRBAX_ON_EVERY_DRIVER(Gates);

TEST_P(Gates, SelectionAndArmingCarryTheGateIndexes) {
  Plug(kGateBoard);
  ASSERT_EQ(CTR_8254SelectGate(0, 14), 0u);
  ASSERT_EQ(CTR_SetWaitGates(0, 1, 14), 0u);
  ASSERT_EQ(CTR_EndWaitGates(0), 0u);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{WriteLine(0x24, 14, 0), WriteLine(0x27, 0, 0x0E01),
                                                    WriteLine(0x29, 0, 0)}));
}

TEST_P(Gates, GatesBeyondTheBoardAreRefusedUnsent) {
  Plug(kGateBoard);
  uint16_t content = 0;
  EXPECT_EQ(CTR_8254SelectGate(0, 15), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_SetWaitGates(0, 15, 0), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_SetWaitGates(0, 0, 15), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_EQ(CTR_WaitForGate(0, 2, &content), MIRBAX_ERROR_INVALID_ADDRESS);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(Gates, BoardsWithoutSelectableGatesRefuseTheGateFunctions) {
  Plug(kFixedGates);
  uint16_t content = 0;
  EXPECT_EQ(CTR_8254SelectGate(0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_SetWaitGates(0, 0, 1), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_EndWaitGates(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(CTR_WaitForGate(0, 0, &content), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_P(Gates, AQueuedMessageIsReadFromThePipeOfItsGate) {
  Plug(kGateBoard);
  const uint8_t a[] = {0x34, 0x12}, b[] = {0x78, 0x56};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x82, a, 2), 0u);
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, b, 2), 0u);
  uint16_t content = 0;
  ASSERT_EQ(CTR_WaitForGate(0, 1, &content), 0u);
  EXPECT_EQ(content, 0x5678);
  ASSERT_EQ(CTR_WaitForGate(0, 0, &content), 0u);
  EXPECT_EQ(content, 0x1234);
  EXPECT_EQ(Log(board_), (std::vector<std::string>{"B 86 00000002 00000002",
                                                    "B 82 00000002 00000002"}));
}

TEST_P(Gates, TheArmedBoardReportsEventsOfGateAAndGateB) {
  Plug(kGateBoard);
  ASSERT_EQ(CTR_SetWaitGates(0, 3, 7), 0u);
  auto waiter = WaitInBackground(1);
  ASSERT_EQ(MIRBAXSIM_TriggerGate(board_, 7), 0u);  // gate B
  ASSERT_EQ(waiter.get(), 0u);
  EXPECT_EQ(content_, 1u);  // the board numbers the events of each gate
  ASSERT_EQ(MIRBAXSIM_TriggerGate(board_, 3), 0u);
  ASSERT_EQ(MIRBAXSIM_TriggerGate(board_, 3), 0u);
  ASSERT_EQ(MIRBAXSIM_TriggerGate(board_, 5), 0u);  // not armed: no event
  uint16_t content = 0;
  ASSERT_EQ(CTR_WaitForGate(0, 0, &content), 0u);
  EXPECT_EQ(content, 1u);
  ASSERT_EQ(CTR_WaitForGate(0, 0, &content), 0u);
  EXPECT_EQ(content, 2u);
}

TEST_P(Gates, EndingTheWaitFromAnotherThreadReleasesTheWaiter) {
  Plug(kGateBoard);
  ASSERT_EQ(CTR_SetWaitGates(0, 0, 1), 0u);
  for (const uint8_t gate : {0, 1}) {
    auto waiter = WaitInBackground(gate);
    ASSERT_EQ(CTR_EndWaitGates(0), 0u);
    EXPECT_EQ(waiter.get(), MIRBAX_ERROR_OPERATION_ABORTED);
    EXPECT_EQ(content_, 0xEEEE);  // nothing arrived
  }
  // The board stops reporting until it is armed again.
  ASSERT_EQ(MIRBAXSIM_TriggerGate(board_, 0), 0u);
  ASSERT_EQ(CTR_SetWaitGates(0, 0, 1), 0u);
  ASSERT_EQ(MIRBAXSIM_TriggerGate(board_, 0), 0u);
  uint16_t content = 0;
  ASSERT_EQ(CTR_WaitForGate(0, 0, &content), 0u);
  EXPECT_EQ(content, 1u);
}

TEST_P(Gates, AnUnplugReleasesTheWaiter) {
  Plug(kGateBoard);
  ASSERT_EQ(CTR_SetWaitGates(0, 0, 1), 0u);
  auto waiter = WaitInBackground(0);
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  EXPECT_EQ(waiter.get(), MIRBAX_ERROR_DEVICE_REMOVED);
}

TEST_P(Gates, ABadContentPointerTakesNoEventOffThePipe) {
  Plug(kGateBoard);
  const uint8_t a[] = {0x01, 0x00};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x82, a, 2), 0u);
  EXPECT_EQ(CTR_WaitForGate(0, 0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
  uint16_t content = 0;
  ASSERT_EQ(CTR_WaitForGate(0, 0, &content), 0u);
  EXPECT_EQ(content, 1u);
}

}  // namespace
}  // namespace mirbax::testing
