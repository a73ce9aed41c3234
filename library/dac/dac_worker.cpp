#include "dac/dac_worker.h"

#include <chrono>
#include <mutex>
#include <string>

#include "core/device_table.h"
#include "core/frame.h"
#include "dac/waveform.h"

namespace mirbax {

namespace {

// How often a worker with nothing to send checks that its board is still
// linked.  Only a board that went away is noticed this way; buffers and the
// close wake the worker at once.
constexpr auto kLinkCheckInterval = std::chrono::milliseconds(100);

}  // namespace

TDACWorker::~TDACWorker() {
  if (thread_.joinable()) {
    RequestStop();
    thread_.join();
  }
}

void TDACWorker::Start() {
  thread_ = std::thread([this] { Execute(); });
}

void TDACWorker::RequestStop() {
  stopRequested_ = true;
  Dev[Index].hDACDataSem.Release();
}

void TDACWorker::WaitFor() {
  if (thread_.joinable()) thread_.join();
}

std::string TDACWorker::SpareBuffer() {
  std::lock_guard lock(spareMutex_);
  if (spare_.empty()) return {};
  std::string buffer = std::move(spare_.back());
  spare_.pop_back();
  return buffer;
}

void TDACWorker::KeepSpare(std::string &&buffer) {
  buffer.clear();
  std::lock_guard lock(spareMutex_);
  // As many as can be alive at once: a queue that was let grow by one frame's
  // buffers, and the one being sent.
  if (spare_.size() <= kMaxQueuedBuffers + kMaxBuffersPerFrame) spare_.push_back(std::move(buffer));
}

void TDACWorker::SendBuffers() {
  TDeviceData &device = Dev[Index];
  int64_t budget = kAutoStartBytes;
  for (;;) {
    if (!device.hDACDataSem.AcquireFor(kLinkCheckInterval)) {
      if (!device.bGotHandle) return;  // nothing queued can reach the board now
      continue;
    }
    if (stopRequested_) return;
    std::string buffer;
    {
      std::lock_guard lock(device.hDACDataMutex);
      if (device.DACData.empty()) {
        if (device.bDACClosing || !device.bGotHandle) return;
        continue;
      }
      buffer = std::move(device.DACData.front());
      device.DACData.erase(device.DACData.begin());
    }
    // A buffer the board did not take is skipped: the waveform goes on.
    uint32_t sent = 0;
    ::AWU_GenericBulkOut(uint32_t(Index), kWaveformPipe, buffer.data(), uint32_t(buffer.size()),
                         &sent);
    const std::size_t size = buffer.size();
    KeepSpare(std::move(buffer));
    if (budget > 0) {
      budget -= int64_t(size);
      if (budget <= 0) {
        budget = 0;
        AutoStartOutput(uint32_t(Index));
      }
    }
    if (stopRequested_) return;
  }
}

void TDACWorker::Execute() {
  TDeviceData &device = Dev[Index];
  try {
    SendBuffers();
  } catch (...) {
    // Any failure inside an iteration ends the worker; the clean-up runs.
  }
  {
    std::lock_guard lock(device.hDACDataMutex);
    device.DACData.clear();
  }
  while (device.hDACDataSem.TryAcquire()) {
  }
  device.bDACClosing = false;
  device.bDACAborting = false;
  device.bDACStarted = false;
  finished_.Set();
}

}  // namespace mirbax
