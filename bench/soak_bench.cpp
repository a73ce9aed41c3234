// A soak of continuous acquisition (pattern 1: sample n carries n mod
// 65536) through the buffer pool and a callback that checks every sample
// against the running count.
// The process's resident memory and the pool's size are sampled once a
// second; the figures say whether memory stays flat and whether any sample
// was lost or came out of order.
//
// The board is paced at the USB 2.0 high-speed ceiling (26.6 M samples/s,
// 53.2 MB/s), the most a real board can send.  Unpaced, the simulated
// board never waits and the acquisition worker never waits either (it adds
// a buffer when none is blank, so that nothing is lost): every moment the
// callback's thread is not scheduled grows the pool for good, which
// measures the machine's load, not the library.
//
// MIRBAX_SOAK_SECONDS sets the duration (600 when unset; `make bench
// SOAK_SECONDS=20` for a short try), MIRBAX_SOAK_RATE the samples per
// second (0: unpaced), MIRBAX_SOAK_BUFFER the buffer size (64 KiB),
// MIRBAX_SOAK_BUFFERS the pool's buffers at the start (64, 4 MiB: an
// application's pool that rides out the moments its callback's thread is
// not scheduled; each such moment beyond the pool's reserve adds buffers to
// the pool for good).
#include <benchmark/benchmark.h>
#include <mirbax.h>
#include <mirbax_sim.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "adc/buffer_pool.h"

namespace {

constexpr uint32_t kAdc16 = 0x8040;

constexpr double kUsb2HighSpeedSamples = 26.6e6;  // 53.2 MB/s of 2-byte samples

// A number from the environment, or `fallback` when unset or negative.
double Setting(const char *name, double fallback) {
  const char *text = std::getenv(name);
  const double value = text != nullptr ? std::atof(text) : fallback;
  return value >= 0 ? value : fallback;
}

// Resident memory of the process, in KiB (/proc/self/statm).
uint64_t ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  uint64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * uint64_t(sysconf(_SC_PAGESIZE)) / 1024;
}

// What the checking callback has seen.  Only the buffer worker writes it.
struct StreamCheck {
  std::atomic<bool> checking{true};  // cleared before the end: the end's last
                                     // read is aborted, which is no loss
  std::atomic<uint64_t> samples{0};
  std::atomic<uint64_t> lost{0};        // samples missing from the running count
  std::atomic<uint64_t> outOfOrder{0};  // samples that broke the running count
  std::atomic<uint64_t> inserted{0};    // buffers the pool added (no blank was free)
  uint16_t next = 0;
} gCheck;

// True when the samples continue the running count from `from` (a loop
// the compiler vectorizes: the check must keep up with the board).
bool Continues(const uint16_t *sample, std::size_t count, uint16_t from) {
  uint16_t difference = 0;
  for (std::size_t i = 0; i < count; ++i) difference |= uint16_t(sample[i] ^ uint16_t(from + i));
  return difference == 0;
}

void CheckingCallback(uint16_t *pBuf, uint32_t BufSize, uint32_t Flags, uint32_t) {
  if ((Flags & mirbax::CallbackFlag_EndStream) || !gCheck.checking.load()) return;
  if (Flags & mirbax::CallbackFlag_Inserted) gCheck.inserted.fetch_add(1);
  const std::size_t count = BufSize / 2;
  if (Continues(pBuf, count, gCheck.next)) {
    gCheck.next = uint16_t(gCheck.next + count);
  } else {
    for (std::size_t i = 0; i < count; ++i) {
      if (pBuf[i] != gCheck.next) {
        gCheck.lost.fetch_add(uint16_t(pBuf[i] - gCheck.next));
        gCheck.outOfOrder.fetch_add(1);
        gCheck.next = pBuf[i];
      }
      ++gCheck.next;
    }
  }
  gCheck.samples.fetch_add(count, std::memory_order_relaxed);
}

uint32_t PoolBuffers() {
  uint32_t blanks = 0, accessings = 0, gotDatas = 0;
  if (ADC_BulkContinuousDebug(0, &blanks, &accessings, &gotDatas) != 0) return 0;
  return blanks + accessings + gotDatas;
}

void BM_ContinuousSoak(benchmark::State &state) {
  const double seconds = std::max(1.0, Setting("MIRBAX_SOAK_SECONDS", 600));
  const double rate = Setting("MIRBAX_SOAK_RATE", kUsb2HighSpeedSamples);
  const auto bufSize = uint32_t(Setting("MIRBAX_SOAK_BUFFER", 64 << 10));
  const auto baseBufCount = uint32_t(Setting("MIRBAX_SOAK_BUFFERS", 64));
  // The figures after the warm-up, once the simulated board's transfer log
  // (100 000 lines) is full: from then on, memory must not grow.
  const int warmUp = std::max(10, int(seconds / 10));
  for (auto _ : state) {
    MIRBAXSIM_Reset();
    uint32_t board = 0;
    MIRBAXSIM_Attach(kAdc16, MIRBAXSIM_DRIVER_CYUSB3, &board);
    MIRBAX_ReloadDeviceLinks();
    MIRBAXSIM_SetOption(board, "adc_pattern", 1);
    MIRBAXSIM_SetOption(board, "sample_rate", uint64_t(rate));
    const uint64_t rssBefore = ResidentKiB();
    if (ADC_BulkContinuousCallbackStart(0, bufSize, baseBufCount, 0, CheckingCallback) != 0) {
      state.SkipWithError("start failed");
      return;
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<uint64_t> rss;
    uint32_t poolFirst = 0, poolWarm = 0;
    bool running = true;
    for (int second = 1; second <= int(seconds) && running; ++second) {
      std::this_thread::sleep_until(start + std::chrono::seconds(second));
      rss.push_back(ResidentKiB());
      if (second == 1) poolFirst = PoolBuffers();
      if (second == warmUp) poolWarm = PoolBuffers();
      running = PoolBuffers() != 0;  // 0: the acquisition has ended by itself
    }
    const uint32_t poolLast = PoolBuffers();
    gCheck.checking = false;
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    uint32_t ioStatus = 0;
    const uint32_t endResult = ADC_BulkContinuousEnd(0, &ioStatus);
    if (!running || endResult != 0 || rss.empty()) state.SkipWithError("the acquisition failed");

    const uint64_t samples = gCheck.samples;
    state.SetIterationTime(elapsed);
    state.counters["seconds"] = elapsed;
    state.counters["samples"] = double(samples);
    state.counters["rate"] = rate;
    state.counters["buffer_bytes"] = bufSize;
    state.counters["MB_per_s"] = double(samples) * 2 / elapsed / 1e6;
    state.counters["lost"] = double(gCheck.lost);
    state.counters["out_of_order"] = double(gCheck.outOfOrder);
    state.counters["inserted_buffers"] = double(gCheck.inserted);
    state.counters["pool_first"] = poolFirst;
    state.counters["pool_last"] = poolLast;
    state.counters["pool_warm"] = poolWarm;
    state.counters["warm_up_s"] = warmUp;
    state.counters["base_buffers"] = baseBufCount;
    const bool warm = int(rss.size()) >= warmUp;
    state.counters["rss_warm_kib"] = warm ? double(rss[warmUp - 1]) : 0;
    state.counters["rss_max_after_warm_up_kib"] =
        warm ? double(*std::max_element(rss.begin() + (warmUp - 1), rss.end())) : 0;
    state.counters["rss_before_kib"] = double(rssBefore);
    state.counters["rss_first_kib"] = rss.empty() ? 0 : double(rss.front());
    state.counters["rss_last_kib"] = rss.empty() ? 0 : double(rss.back());
    state.counters["rss_max_kib"] = rss.empty() ? 0 : double(*std::max_element(rss.begin(), rss.end()));
    state.counters["rss_samples"] = double(rss.size());
  }
}
BENCHMARK(BM_ContinuousSoak)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace
