// Fault injection: which transfers fail, with what, and counting across
// threads.
#include <atomic>
#include <thread>

#include "sim_test_support.h"

namespace {

using namespace sim_test;

class FaultTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    board_ = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
    handle_ = Open(board_, true);
    ASSERT_NE(handle_, platform::kInvalidHandle);
  }
  // One transfer of each kind in turn: control, bulk, abort.
  uint32_t Transfer(int step) {
    switch (step % 3) {
      case 0:
        return CyRead(handle_, 0x06, 0x0100, 0, 18).error;
      case 1: {
        const uint8_t byte = 1;
        MIRBAXSIM_WriteBulkIn(board_, 0x86, &byte, 1);
        return CyBulk(handle_, 0x86, std::vector<uint8_t>(1)).error;
      }
      default: {
        uint8_t pipe = 0x86;
        if (platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_ABORT_PIPE, &pipe, 1, nullptr,
                                      0, nullptr)) {
          return 0;
        }
        return platform::GetLastError();
      }
    }
  }

  uint32_t board_ = 0;
  platform::Handle handle_ = platform::kInvalidHandle;
};

TEST_F(FaultTest, SkipThenFailThenPass) {
  struct Case {
    uint32_t skip;
    uint32_t count;
    uint32_t error;
  };
  const Case cases[] = {{0, 1, 31}, {0, 3, 1167}, {2, 2, 121}, {5, 1, 995}};
  for (const Case &c : cases) {
    SCOPED_TRACE(testing::Message() << "skip " << c.skip << " count " << c.count);
    ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board_, c.skip, c.count, c.error), 0u);
    for (uint32_t step = 0; step < c.skip + c.count + 3; ++step) {
      const bool fails = step >= c.skip && step < c.skip + c.count;
      EXPECT_EQ(Transfer(static_cast<int>(step)), fails ? c.error : 0u) << "step " << step;
    }
  }
}

TEST_F(FaultTest, FailedTransfersAreNotLogged) {
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 1, 31), 0u);
  EXPECT_EQ(Transfer(0), 31u);
  EXPECT_EQ(Transfer(0), 0u);
  EXPECT_EQ(LogLines(board_).size(), 1u);
}

TEST_F(FaultTest, ForeverUntilCleared) {
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 0xFFFFFFFF, 1167), 0u);
  for (int step = 0; step < 10; ++step) EXPECT_EQ(Transfer(step), 1167u) << step;
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 0, 0), 0u);
  for (int step = 0; step < 3; ++step) EXPECT_EQ(Transfer(step), 0u) << step;
}

TEST_F(FaultTest, FaultsBelongToOneBoard) {
  const uint32_t other = Attach(0x8001, MIRBAXSIM_DRIVER_CYUSB3);
  const platform::Handle otherHandle = Open(other, true);
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 5, 31), 0u);
  EXPECT_TRUE(CyRead(otherHandle, 0x06, 0x0100, 0, 18).ok);
  EXPECT_EQ(Transfer(0), 31u);
}

TEST_F(FaultTest, DriverQueriesAreNotTransfers) {
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, 1, 31), 0u);
  uint8_t word[4] = {};
  uint32_t returned = 0;
  EXPECT_TRUE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_GET_DRIVER_VERSION, word, 4,
                                        word, 4, &returned));
  EXPECT_TRUE(platform::DeviceIoControl(handle_, platform::IOCTL_ADAPT_GET_DEVICE_SPEED, word, 4,
                                        word, 4, &returned));
  EXPECT_EQ(Transfer(0), 31u);
}

TEST_F(FaultTest, ArgumentsChecked) {
  EXPECT_EQ(MIRBAXSIM_FailTransfers(board_, 1, 0), 87u);
  EXPECT_EQ(MIRBAXSIM_FailTransfers(board_ + 100, 1, 31), 2u);
  EXPECT_EQ(MIRBAXSIM_FailTransfersAfter(board_ + 100, 1, 1, 31), 2u);
}

TEST_F(FaultTest, CountedExactlyAcrossThreads) {
  constexpr int kThreads = 4;
  constexpr int kTransfersEach = 50;
  constexpr uint32_t kFaults = 37;
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board_, kFaults, 31), 0u);
  std::atomic<uint32_t> failed{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      const platform::Handle own = Open(board_, true);
      for (int i = 0; i < kTransfersEach; ++i) {
        const CyResult read = CyRead(own, 0xA2, 0x1DF8, 0, 8);
        if (!read.ok) {
          EXPECT_EQ(read.error, 31u);
          ++failed;
        }
      }
      platform::CloseHandle(own);
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(failed.load(), kFaults);
  EXPECT_EQ(LogLines(board_).size(), kThreads * kTransfersEach - kFaults);
}

}  // namespace
