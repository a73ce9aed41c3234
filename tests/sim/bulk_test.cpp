// Bulk pipes: queued data, sources and sinks of family models, and how a
// pending transfer ends (data, abort, unplug, reset, time-out).
#include <future>
#include <mutex>
#include <thread>

#include "sim/bus.h"
#include "sim_test_support.h"

namespace {

using namespace sim_test;
using mirbax::sim::BulkWait;
using mirbax::sim::Bus;
using mirbax::sim::Clock;

class BulkTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    board_ = Attach(0x8040, MIRBAXSIM_DRIVER_CYUSB3);
    handle_ = Open(board_, true);
    ASSERT_NE(handle_, platform::kInvalidHandle);
  }
  mirbax::sim::Board &Internal() { return *Bus::Instance().Find(board_); }

  // A source that tells `entered` the first time a read reaches it, then
  // waits for the read to end (as a paced source waits for its next sample).
  void InstallWaitingSource(std::promise<void> &entered) {
    Internal().InPipe(0x86)->SetSource([&entered, once = std::make_shared<std::once_flag>()](
                                           std::span<uint8_t>, BulkWait &wait) -> uint32_t {
      std::call_once(*once, [&] { entered.set_value(); });
      while (wait.WaitUntil(Clock::now() + std::chrono::hours(1))) {
      }
      return 0;
    });
  }

  void Abort(uint8_t pipe) {
    ASSERT_TRUE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_ABORT_PIPE, &pipe, 1,
                                          nullptr, 0, nullptr));
  }

  uint32_t board_ = 0;
  platform::Handle handle_ = platform::kInvalidHandle;
};

TEST_F(BulkTest, QueuedDataIsReadInOrderAndInPieces) {
  const uint8_t data[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, data, 10), 0u);
  const CyResult first = CyBulk(handle_, 0x86, std::vector<uint8_t>(4));
  ASSERT_TRUE(first.ok);
  EXPECT_EQ(first.bytesReturned, 4u);
  EXPECT_EQ(first.data, (std::vector<uint8_t>{0, 1, 2, 3}));
  const CyResult rest = CyBulk(handle_, 0x86, std::vector<uint8_t>(16));
  ASSERT_TRUE(rest.ok);
  EXPECT_EQ(rest.bytesReturned, 6u);
  EXPECT_EQ(rest.data[0], 4);
  EXPECT_EQ(rest.data[5], 9);
  EXPECT_EQ(LogLines(board_),
            (std::vector<std::string>{"B 86 00000004 00000004", "B 86 00000010 00000006"}));
}

TEST_F(BulkTest, PipesAreSeparate) {
  const uint8_t a = 0xA, b = 0xB;
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x82, &a, 1), 0u);
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, &b, 1), 0u);
  EXPECT_EQ(CyBulk(handle_, 0x86, std::vector<uint8_t>(1)).data[0], 0xB);
  EXPECT_EQ(CyBulk(handle_, 0x82, std::vector<uint8_t>(1)).data[0], 0xA);
}

TEST_F(BulkTest, ReadWaitsForData) {
  std::future<CyResult> read = std::async(
      std::launch::async, [&] { return CyBulk(handle_, 0x82, std::vector<uint8_t>(3)); });
  const uint8_t data[3] = {7, 8, 9};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x82, data, 3), 0u);
  const CyResult result = read.get();
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(result.data, (std::vector<uint8_t>{7, 8, 9}));
}

TEST_F(BulkTest, AbortEndsAPendingReadOnly) {
  std::promise<void> entered;
  InstallWaitingSource(entered);
  std::future<CyResult> read = std::async(
      std::launch::async, [&] { return CyBulk(handle_, 0x86, std::vector<uint8_t>(16)); });
  entered.get_future().wait();
  Abort(0x86);
  const CyResult result = read.get();
  EXPECT_FALSE(result.ok);
  EXPECT_EQ(result.error, 995u);
  EXPECT_EQ(LogLines(board_), (std::vector<std::string>{"A 86", "B 86 00000010 00000000"}));

  // A later read is not affected by the abort.
  Internal().InPipe(0x86)->SetSource({});
  const uint8_t data = 0x42;
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, &data, 1), 0u);
  EXPECT_TRUE(CyBulk(handle_, 0x86, std::vector<uint8_t>(1)).ok);
}

TEST_F(BulkTest, AbortOfAnotherPipeLeavesTheReadPending) {
  std::promise<void> entered;
  InstallWaitingSource(entered);
  std::future<CyResult> read = std::async(
      std::launch::async, [&] { return CyBulk(handle_, 0x86, std::vector<uint8_t>(4)); });
  entered.get_future().wait();
  Abort(0x82);
  Abort(0x02);
  Abort(0x86);
  EXPECT_EQ(read.get().error, 995u);
  EXPECT_EQ(LogLines(board_).size(), 4u);
}

TEST_F(BulkTest, UnplugAndResetEndPendingReads) {
  for (bool reset : {false, true}) {
    SCOPED_TRACE(reset ? "reset" : "detach");
    const uint32_t board = Attach(0x8040, MIRBAXSIM_DRIVER_WINUSB);
    const platform::Handle file = Open(board, false);
    platform::Handle interface = 0;
    ASSERT_TRUE(platform::WinUsbInitialize(file, &interface));
    std::future<uint32_t> read = std::async(std::launch::async, [&]() -> uint32_t {
      uint8_t buffer[8];
      uint32_t transferred = 0;
      if (platform::WinUsbReadPipe(interface, 0x86, buffer, 8, &transferred)) return 0;
      return platform::GetLastError();
    });
    if (reset) {
      ASSERT_EQ(MIRBAXSIM_Reset(), 0u);
    } else {
      ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
    }
    EXPECT_EQ(read.get(), 1167u);
    EXPECT_TRUE(platform::WinUsbFree(interface));
    EXPECT_TRUE(platform::CloseHandle(file));
  }
}

TEST_F(BulkTest, ReadTimesOut) {
  uint64_t timeout = 0;
  ASSERT_EQ(MIRBAXSIM_GetOption(board_, "bulk_timeout_ms", &timeout), 0u);
  EXPECT_EQ(timeout, 42000u);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "bulk_timeout_ms", 1), 0u);
  const CyResult read = CyBulk(handle_, 0x86, std::vector<uint8_t>(4));
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.error, 121u);
  EXPECT_EQ(LogLines(board_), std::vector<std::string>{"B 86 00000004 00000000"});
}

TEST_F(BulkTest, WinUsbPipesHaveNoTimeOutByDefault) {
  const uint32_t board = Attach(0x8040, MIRBAXSIM_DRIVER_WINUSB);
  uint64_t timeout = 1;
  ASSERT_EQ(MIRBAXSIM_GetOption(board, "bulk_timeout_ms", &timeout), 0u);
  EXPECT_EQ(timeout, 0u);
}

TEST_F(BulkTest, PacedSourceProducesData) {
  // Delivers one running count per call, each a moment after the last.
  auto next = std::make_shared<uint8_t>(0);
  Internal().InPipe(0x86)->SetSource([next](std::span<uint8_t> buffer, BulkWait &wait) -> uint32_t {
    if (!wait.WaitUntil(Clock::now() + std::chrono::microseconds(100))) return 0;
    buffer[0] = (*next)++;
    return 1;
  });
  for (uint8_t expected = 0; expected < 3; ++expected) {
    const CyResult read = CyBulk(handle_, 0x86, std::vector<uint8_t>(8));
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.bytesReturned, 1u);
    EXPECT_EQ(read.data[0], expected);
  }
}

TEST_F(BulkTest, QueuedDataComesBeforeTheSource) {
  Internal().InPipe(0x86)->SetSource([](std::span<uint8_t> buffer, BulkWait &) -> uint32_t {
    buffer[0] = 0x55;
    return 1;
  });
  const uint8_t queued = 0x11;
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, &queued, 1), 0u);
  EXPECT_EQ(CyBulk(handle_, 0x86, std::vector<uint8_t>(4)).data[0], 0x11);
  EXPECT_EQ(CyBulk(handle_, 0x86, std::vector<uint8_t>(4)).data[0], 0x55);
}

TEST_F(BulkTest, ControlRequestsGoOnWhileAReadWaits) {
  std::promise<void> entered;
  InstallWaitingSource(entered);
  std::future<CyResult> read = std::async(
      std::launch::async, [&] { return CyBulk(handle_, 0x86, std::vector<uint8_t>(4)); });
  entered.get_future().wait();
  EXPECT_TRUE(CyRead(handle_, 0x06, 0x0100, 0, 18).ok);
  uint8_t byte = 0;
  EXPECT_EQ(MIRBAXSIM_Peek(board_, "eeprom", 0, &byte, 1), 0u);
  Abort(0x86);
  EXPECT_EQ(read.get().error, 995u);
}

TEST_F(BulkTest, WritesAreRecordedUntilTaken) {
  ASSERT_TRUE(CyBulk(handle_, 0x06, {1, 2, 3}).ok);
  ASSERT_TRUE(CyBulk(handle_, 0x06, {4}).ok);
  uint32_t size = 0;
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, nullptr, &size), 122u);
  EXPECT_EQ(size, 4u);
  uint8_t taken[4] = {};
  size = 3;
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, taken, &size), 122u);
  EXPECT_EQ(size, 4u);
  size = 4;
  ASSERT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, taken, &size), 0u);
  EXPECT_EQ(std::vector<uint8_t>(taken, taken + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
  size = 0;
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, nullptr, &size), 0u);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x02, nullptr, &size), 0u);
}

TEST_F(BulkTest, SinkTakesWritesInsteadOfTheRecord) {
  auto received = std::make_shared<std::vector<uint8_t>>();
  Internal().OutPipe(0x02)->SetSink([received](std::span<const uint8_t> data, BulkWait &) {
    received->insert(received->end(), data.begin(), data.end());
    return static_cast<uint32_t>(data.size() - 1);  // takes all but the last byte
  });
  const CyResult write = CyBulk(handle_, 0x02, {9, 8, 7});
  ASSERT_TRUE(write.ok);
  EXPECT_EQ(write.bytesReturned, 2u);
  EXPECT_EQ(*received, (std::vector<uint8_t>{9, 8, 7}));
  uint32_t size = 0;
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x02, nullptr, &size), 0u);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(LogLines(board_), std::vector<std::string>{"B 02 00000003 00000002"});
}

TEST_F(BulkTest, EmptyReadCompletesAtOnce) {
  const CyResult read = CyBulk(handle_, 0x86, {});
  EXPECT_TRUE(read.ok);
  EXPECT_EQ(read.bytesReturned, 0u);
}

TEST_F(BulkTest, ControlApiRefusesOtherPipes) {
  const uint8_t byte = 0;
  uint32_t size = 0;
  for (uint32_t pipe : {0x02u, 0x06u, 0x81u, 0x186u}) {
    EXPECT_EQ(MIRBAXSIM_WriteBulkIn(board_, pipe, &byte, 1), 87u) << pipe;
  }
  for (uint32_t pipe : {0x82u, 0x86u, 0x01u, 0x102u}) {
    EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, pipe, nullptr, &size), 87u) << pipe;
  }
  EXPECT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, nullptr, 1), 87u);
  EXPECT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, nullptr, nullptr), 87u);
}

}  // namespace
