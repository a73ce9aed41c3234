// Queueing waveform frames (DACOutputFrame) next to a plain memcpy of the
// same bytes: the caller's cost of handing the library a frame (copy, flag
// bits, cutting into 8192-byte buffers, the queue under its mutex).
#include <benchmark/benchmark.h>
#include <mirbax.h>
#include <mirbax_sim.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "core/device_table.h"
#include "dac/waveform.h"

namespace {

constexpr uint32_t kChannels = 5;  // the waveform board's DACsUsed

// A waveform-FIFO board with its output open; the board takes data as fast
// as the worker sends it.
class OpenWaveformBoard {
 public:
  OpenWaveformBoard() {
    MIRBAXSIM_Reset();
    MIRBAXSIM_Attach(0x4001, MIRBAXSIM_DRIVER_CYUSB3, &board_);
    MIRBAX_ReloadDeviceLinks();
    double hz = 1'000'000;
    ok_ = DACOutputOpen(0, &hz) == 0;
  }
  ~OpenWaveformBoard() {
    DACOutputCloseNoEnd(0, 0);
    MIRBAXSIM_Reset();
  }
  bool ok() const { return ok_; }

 private:
  uint32_t board_ = 0;
  bool ok_ = false;
};

// True when the queue takes another frame (the check QueueFrame makes).
bool QueueHasRoom() {
  std::lock_guard lock(mirbax::Dev[0].hDACDataMutex);
  return mirbax::Dev[0].DACData.size() <= mirbax::kMaxQueuedBuffers;
}

// The caller's cost of queueing a frame the library takes at once.  While
// the queue is full (the worker and the simulated board drain it) the clock
// stops and the benchmark waits without calling the library; only calls
// that find room are timed.
void BM_DACOutputFrame(benchmark::State &state) {
  const auto points = uint32_t(state.range(0));
  const std::vector<uint16_t> frame(points * kChannels, 0x0555);
  OpenWaveformBoard board;
  if (!board.ok()) {
    state.SkipWithError("the output did not open");
    return;
  }
  uint64_t waits = 0;
  for (auto _ : state) {
    for (; !QueueHasRoom(); ++waits) std::this_thread::yield();
    const auto start = std::chrono::steady_clock::now();
    const uint32_t result = DACOutputFrame(0, points, frame.data());
    const auto end = std::chrono::steady_clock::now();
    if (result != 0) {
      state.SkipWithError("the frame was refused");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size() * 2));
  state.counters["waits"] = double(waits);
}
BENCHMARK(BM_DACOutputFrame)->Arg(100)->Arg(1000)->Arg(6400)->UseManualTime();

void BM_MemcpyOfAFrame(benchmark::State &state) {
  const auto points = std::size_t(state.range(0));
  const std::vector<uint16_t> frame(points * kChannels, 0x0555);
  std::vector<uint16_t> copy(frame.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), frame.data(), frame.size() * 2);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(frame.size() * 2));
}
BENCHMARK(BM_MemcpyOfAFrame)->Arg(100)->Arg(1000)->Arg(6400);

}  // namespace
