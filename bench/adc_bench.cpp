// Analog-input throughput on simulated boards, each next to memcpy of the
// same bytes in the same run:
//   - continuous acquisition through the buffer pool (16 KiB, 64 KiB and
//     1 MiB buffers): bytes and samples per second reaching the callback;
//   - ADC_ReadData: samples per second converted to volts from the ring,
//     next to memcpy of the doubles delivered;
//   - ADC_GetScanV: one scan of the 16 channels, each channel's conversions
//     averaged into volts, next to memcpy of the counts the board sends.
#include <benchmark/benchmark.h>
#include <mirbax.h>
#include <mirbax_sim.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "adc/ring.h"

namespace {

constexpr uint32_t kAdc16 = 0x8040;
std::atomic<uint64_t> gBytes{0};

void CountingCallback(uint16_t *, uint32_t BufSize, uint32_t, uint32_t) {
  gBytes.fetch_add(BufSize, std::memory_order_relaxed);
}

uint32_t PlugBoard() {
  MIRBAXSIM_Reset();
  uint32_t board = 0;
  MIRBAXSIM_Attach(kAdc16, MIRBAXSIM_DRIVER_CYUSB3, &board);
  MIRBAX_ReloadDeviceLinks();
  MIRBAXSIM_SetOption(board, "adc_pattern", 1);
  return board;
}

void BM_ContinuousThroughPool(benchmark::State &state) {
  const uint32_t bufSize = uint32_t(state.range(0));
  PlugBoard();
  gBytes = 0;
  if (ADC_BulkContinuousCallbackStart(0, bufSize, 8, 0, CountingCallback) != 0) {
    state.SkipWithError("start failed");
    return;
  }
  const uint64_t chunk = 64ull << 20;  // 64 MiB per iteration
  uint64_t target = 0;
  for (auto _ : state) {
    target += chunk;
    while (gBytes.load(std::memory_order_relaxed) < target) std::this_thread::yield();
  }
  ADC_BulkContinuousEnd(0, nullptr);
  state.SetBytesProcessed(int64_t(target));
  state.counters["samples/s"] =
      benchmark::Counter(double(target / 2), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ContinuousThroughPool)->Arg(16 << 10)->Arg(64 << 10)->Arg(1 << 20)->UseRealTime();

void BM_MemcpyOfBuffers(benchmark::State &state) {
  const std::size_t bufSize = std::size_t(state.range(0));
  std::vector<uint8_t> from(bufSize, 1), to(bufSize);
  const uint64_t chunk = 64ull << 20;
  for (auto _ : state) {
    for (uint64_t done = 0; done < chunk; done += bufSize) {
      std::memcpy(to.data(), from.data(), bufSize);
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(int64_t(state.iterations() * chunk));
  state.counters["samples/s"] = benchmark::Counter(double(state.iterations() * chunk / 2),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_MemcpyOfBuffers)->Arg(16 << 10)->Arg(64 << 10)->Arg(1 << 20);

constexpr uint32_t kRingBytes = 4 << 20;

// ADC_ReadData of `scans` one-channel scans (a sample each) from a ring the
// benchmark fills itself (the clock stops while it does): the samples are
// converted to volts and delivered to the caller's array of doubles.
void BM_ReadDataConversion(benchmark::State &state) {
  const auto scans = uint32_t(state.range(0));
  const uint32_t board = PlugBoard();
  MIRBAXSIM_SetOption(board, "sample_rate", 1);  // the board stays quiet
  ADC_BulkContinuousRingStart(0, kRingBytes, 0);
  std::vector<uint8_t> block(20, 1);  // +-10 V
  block[18] = 0;
  block[19] = 0;
  std::vector<uint16_t> samples(scans);
  for (uint32_t i = 0; i < scans; ++i) samples[i] = uint16_t(i);
  std::vector<double> volts(scans);
  for (auto _ : state) {
    state.PauseTiming();
    BGRingContCallback(samples.data(), scans * 2, 0, 0);
    state.ResumeTiming();
    uint32_t read = scans;
    if (ADC_ReadData(0, block.data(), &read, volts.data(), 0) != 0 || read != scans)
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(volts.data());
  }
  ADC_BulkContinuousEnd(0, nullptr);
  state.SetItemsProcessed(int64_t(state.iterations()) * scans);
  state.SetBytesProcessed(int64_t(state.iterations()) * scans * int64_t(sizeof(double)));
}
BENCHMARK(BM_ReadDataConversion)->Arg(1 << 20);

// The reference: memcpy of the doubles the conversion delivers (8 bytes a
// sample, the larger side of the conversion: it reads 2 bytes a sample).
void BM_MemcpyOfVolts(benchmark::State &state) {
  const auto scans = std::size_t(state.range(0));
  std::vector<double> from(scans, 1.0), to(scans);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), scans * sizeof(double));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(scans));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(scans * sizeof(double)));
}
BENCHMARK(BM_MemcpyOfVolts)->Arg(1 << 20);

constexpr uint32_t kScanChannels = 16;

// ADC_GetScanV of all 16 channels with `oversample` extra conversions each:
// the whole call (configuration write, the block's bulk read, averaging and
// conversion), as an application makes it.
void BM_GetScanVAveraging(benchmark::State &state) {
  const auto oversample = uint8_t(state.range(0));
  PlugBoard();
  if (ADC_SetScanLimits(0, 0, kScanChannels - 1) != 0 || ADC_SetOversample(0, oversample) != 0) {
    state.SkipWithError("configuration failed");
    return;
  }
  std::vector<double> volts(kScanChannels);
  for (auto _ : state) {
    if (ADC_GetScanV(0, volts.data()) != 0) {
      state.SkipWithError("scan failed");
      break;
    }
    benchmark::DoNotOptimize(volts.data());
  }
  const int64_t samples = int64_t(kScanChannels) * (oversample + 1);
  state.SetItemsProcessed(int64_t(state.iterations()) * samples);
  state.SetBytesProcessed(int64_t(state.iterations()) * samples * 2);
}
BENCHMARK(BM_GetScanVAveraging)->Arg(255);

// The reference: memcpy of the 16-bit counts one such scan brings.
void BM_MemcpyOfScanCounts(benchmark::State &state) {
  const auto samples = std::size_t(kScanChannels) * std::size_t(state.range(0) + 1);
  std::vector<uint16_t> from(samples, 1), to(samples);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), samples * sizeof(uint16_t));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(samples));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(samples * sizeof(uint16_t)));
}
BENCHMARK(BM_MemcpyOfScanCounts)->Arg(255);

}  // namespace
